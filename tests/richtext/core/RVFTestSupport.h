// Helpers of the RVF tests: byte-string builders for hand-written streams, a document that
// supplies image lists, pictures and controls by name or tag as a viewer would, and a text
// description of a document that round-trip tests compare.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/ImageList.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVBack.h"
#include "richtext/core/RVFMisc.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"

namespace rvftest {

/// Each line followed by CR LF.
inline std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string s;
  for (std::string_view line : lines) {
    s += line;
    s += "\r\n";
  }
  return s;
}

inline std::string Int32LE(int32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
  return s;
}

/// A binary line: int32 length and the bytes.
inline std::string BinaryLine(std::string_view bytes) {
  return Int32LE(static_cast<int32_t>(bytes.size())) + std::string(bytes);
}

/// Upper-case hex, two digits a byte (written here, not with the code under test).
inline std::string Hex(std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  for (unsigned char c : bytes) {
    s += digits[c >> 4];
    s += digits[c & 15];
  }
  return s;
}

/// UTF-16LE bytes of ASCII or BMP text.
inline std::string Utf16(std::u16string_view text) {
  std::string s;
  for (char16_t c : text) {
    s += static_cast<char>(c & 0xFF);
    s += static_cast<char>(c >> 8);
  }
  return s;
}

/// A Unicode line: UTF-16LE text ended by U+2029.
inline std::string UnicodeLine(std::u16string_view text) {
  return Utf16(text) + "\x29\x20";
}

inline std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

/// A short string of the component streaming format.
inline std::string Short(std::string_view s) {
  return static_cast<char>(s.size()) + std::string(s);
}

/// A BMP file of a w x h bitmap filled with one colour.
inline std::string BitmapFile(int w, int h, TColor color) {
  TBitmap bitmap;
  bitmap.SetSize(w, h);
  bitmap.Canvas().Brush().SetColor(color);
  bitmap.Canvas().FillRect(Rect(0, 0, w, h));
  TMemoryStream stream;
  bitmap.SaveToStream(stream);
  return stream.DataString();
}

/// A document that answers the reader's requests as a viewer would: image lists by tag,
/// pictures and controls for records without a body by name.
class TTestRVData : public TCustomRVData {
 public:
  std::map<int32_t, TCustomImageList*> ImageLists;
  std::map<std::string, std::string> Pictures;  // name -> BMP file
  std::map<std::string, int32_t> Controls;      // name -> width of a new control

  TCustomImageList* RVFImageListNeeded(int32_t ImageListTag) override {
    auto it = ImageLists.find(ImageListTag);
    return it == ImageLists.end() ? nullptr : it->second;
  }
  std::unique_ptr<TGraphic> RVFPictureNeeded(const std::string& Name, const TRVTag&) override {
    auto it = Pictures.find(Name);
    if (it == Pictures.end()) return nullptr;
    auto bitmap = std::make_unique<TBitmap>();
    TMemoryStream stream(it->second);
    bitmap->LoadFromStream(stream);
    return bitmap;
  }
  std::unique_ptr<TControl> RVFControlNeeded(const std::string& Name, const TRVTag&) override {
    auto it = Controls.find(Name);
    if (it == Controls.end()) return nullptr;
    auto control = std::make_unique<TControl>();
    control->SetWidth(it->second);
    return control;
  }
};

/// A line per item (kind, styles, options, tag, checkpoint, text and kind-specific fields)
/// and one for a pending checkpoint: equal descriptions mean equal documents.
inline std::string Describe(const TCustomRVData& data) {
  std::string s;
  auto tagText = [](const TRVTag& tag) { return tag.Text ? "'" + *tag.Text + "'" : IntToStr(tag.Value); };
  for (int i = 0; i < data.GetItemCount(); ++i) {
    const TCustomRVItemInfo* item = data.GetItem(i);
    s += IntToStr(item->StyleNo) + " p" + IntToStr(item->ParaNo) + " o" + IntToStr(item->ItemOptions) + " t" +
         tagText(item->Tag);
    if (item->Checkpoint)
      s += " cp[" + item->Checkpoint->Name + "," + tagText(item->Checkpoint->Tag) + "," +
           (item->Checkpoint->RaiseEvent ? "1" : "0") + "]";
    s += " \"" + data.GetItemText(i) + "\"";
    if (auto* b = dynamic_cast<const TRVBreakItemInfo*>(item))
      s += " break" + IntToStr(b->Color) + "/" + IntToStr(b->Style) + "/" + IntToStr(b->LineWidth);
    if (auto* r = dynamic_cast<const TRVRectItemInfo*>(item))
      s += " va" + IntToStr(r->VAlign) + " vs" + IntToStr(r->VShift) + " sp" + IntToStr(r->Spacing) + " mh" +
           IntToStr(r->MinHeightOnPage) + (r->DeleteProtect ? " unrem" : "");
    if (auto* g = dynamic_cast<const TRVGraphicItemInfo*>(item)) {
      s += " pic:" + (g->Image ? g->Image->ClassName() + ":" + IntToStr(g->Image->Width()) + "x" +
                                     IntToStr(g->Image->Height())
                               : std::string("none"));
      s += " size" + IntToStr(g->ImageWidth) + "x" + IntToStr(g->ImageHeight);
    }
    if (auto* h = dynamic_cast<const TRVHotspotItemInfo*>(item)) s += " hot" + IntToStr(h->HotImageIndex);
    if (auto* b = dynamic_cast<const TRVBulletItemInfo*>(item))
      s += " il" + IntToStr(b->ImageList ? b->ImageList->Tag() : -1) + " idx" + IntToStr(b->ImageIndex);
    if (auto* m = dynamic_cast<const TRVMarkerItemInfo*>(item))
      s += " list" + IntToStr(m->ListNo) + "/" + IntToStr(m->Level) + "/" + IntToStr(m->StartFrom) + "/" +
           (m->Reset ? "1" : "0");
    s += "\n";
  }
  if (const TRVCPInfo* cp = data.GetPendingCheckpoint()) s += "pending cp[" + cp->Name + "]\n";
  return s;
}

}  // namespace rvftest
