#include "platform/graphics/Font.h"

#include "platform/core/SysUtils.h"
#include "platform/core/TypInfo.h"

const TPropertyList& TFont::ClassProperties() {
  static const TPropertyList list =
      TPropertyBuilder<TFont>(TPersistent::ClassProperties())
          .Charset("Charset", &TFont::Charset, &TFont::SetCharset)
          .Color("Color", &TFont::Color, &TFont::SetColor)
          .Integer("Height", &TFont::Height, &TFont::SetHeight)
          .String("Name", &TFont::Name, &TFont::SetName)
          .Enum("Pitch", &TFont::Pitch, &TFont::SetPitch, {"fpDefault", "fpVariable", "fpFixed"})
          .Default(fpDefault)
          .Integer("Size", &TFont::Size, &TFont::SetSize)
          .Stored(false)
          .Set(
              "Style", [](const TFont& f) { return f.Style().Bits(); },
              [](TFont& f, uint8_t bits) { f.SetStyle(TFontStyles::FromBits(bits)); },
              {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"})
          .Build();
  return list;
}

void TFont::Assign(const TPersistent* source) {
  if (const auto* font = dynamic_cast<const TFont*>(source)) {
    Assign(*font);
    return;
  }
  TPersistent::Assign(source);
}

TFont::TFont() : name_("MS Sans Serif"), height_(-MulDiv(8, 96, 72)), color_(clWindowText) {}

void TFont::Assign(const TFont& source) {
  if (&source == this) return;
  name_ = source.name_;
  // The size in points carries over; the pixel height follows this font's resolution.
  height_ = source.pixels_per_inch_ == pixels_per_inch_ ? source.height_
                                                        : -MulDiv(source.Size(), pixels_per_inch_, 72);
  width_ = source.width_;
  style_ = source.style_;
  color_ = source.color_;
  charset_ = source.charset_;
  pitch_ = source.pitch_;
  Changed();
}

void TFont::SetName(const std::string& name) {
  if (name.empty() || name == name_) return;
  name_ = name;
  Changed();
}

int32_t TFont::Size() const {
  return -MulDiv(height_, 72, pixels_per_inch_);
}

void TFont::SetSize(int32_t points) {
  SetHeight(-MulDiv(points, pixels_per_inch_, 72));
}

void TFont::SetHeight(int32_t pixels) {
  if (pixels == height_) return;
  height_ = pixels;
  Changed();
}

void TFont::SetWidth(int32_t pixels) {
  if (pixels < 0) pixels = 0;
  if (pixels == width_) return;
  width_ = pixels;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TFont::SetCharset(uint8_t charset) {
  if (charset == charset_) return;
  charset_ = charset;
  Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == pitch_) return;
  pitch_ = pitch;
  Changed();
}

void TFont::SetPixelsPerInch(int32_t ppi) {
  if (ppi > 0) pixels_per_inch_ = ppi;
}

TLogFont TFont::GetLogFont() const {
  TLogFont lf;
  lf.lfHeight = height_;
  lf.lfWidth = width_;
  lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = style_.Contains(fsItalic);
  lf.lfUnderline = style_.Contains(fsUnderline);
  lf.lfStrikeOut = style_.Contains(fsStrikeOut);
  lf.lfCharSet = charset_;
  lf.lfPitchAndFamily = static_cast<uint8_t>(pitch_);
  lf.lfFaceName = name_;
  return lf;
}

void TFont::SetLogFont(const TLogFont& lf) {
  if (!lf.lfFaceName.empty()) name_ = lf.lfFaceName;
  height_ = lf.lfHeight;
  width_ = lf.lfWidth < 0 ? -lf.lfWidth : lf.lfWidth;
  TFontStyles style;
  if (lf.lfWeight >= 600) style.Include(fsBold);
  if (lf.lfItalic) style.Include(fsItalic);
  if (lf.lfUnderline) style.Include(fsUnderline);
  if (lf.lfStrikeOut) style.Include(fsStrikeOut);
  style_ = style;
  charset_ = lf.lfCharSet;
  const uint8_t pitch = lf.lfPitchAndFamily & 3;
  pitch_ = pitch <= fpFixed ? static_cast<TFontPitch>(pitch) : fpDefault;
  Changed();
}

bool TFont::operator==(const TFont& other) const {
  return SameText(name_, other.name_) && height_ == other.height_ && width_ == other.width_ &&
         style_ == other.style_ && color_ == other.color_ && charset_ == other.charset_ &&
         pitch_ == other.pitch_;
}

void TFont::Changed() {
  if (OnChange) OnChange(*this);
}
