#include "richtext/core/RVStyle.h"

#include <algorithm>

#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"
#include "platform/core/TypInfo.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/GraphicResources.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Picture.h"

void RVWriteString(TStream& stream, std::string_view s) {
  stream.WriteBuffer(s);
}

void RVWriteLine(TStream& stream, std::string_view s) {
  stream.WriteBuffer(s);
  stream.WriteBuffer("\r\n");
}

TRVStyle::TRVStyle(TComponent* owner) : TComponent(owner) {
  RegisterJumpCursor();
  // The style classes are asked for each new item rather than once here: a descendant's
  // overrides cannot answer while this constructor runs, but they do for every item made
  // afterwards (added, streamed in, or rebuilt by ResetTextStyles and ResetParaStyles).
  textStyles_ = std::make_unique<TFontInfos>([this] { return GetTextStyleClass()(); }, this);
  paraStyles_ = std::make_unique<TParaInfos>([this] { return GetParaStyleClass()(); }, this);
  listStyles_ = std::make_unique<TRVListInfos>([this] { return GetListStyleClass()(); }, this);
  textStyles_->SetPropName("TextStyles");
  paraStyles_->SetPropName("ParaStyles");
  listStyles_->SetPropName("ListStyles");
  ResetParaStyles();
  ResetTextStyles();
}

TRVStyle::~TRVStyle() = default;

const TPropertyList& TRVStyle::ClassProperties() {
  using T = TRVStyle;
  static const TPropertyList list =
      TPropertyBuilder<T>(TComponent::ClassProperties())
          .Object("TextStyles", [](T& s) -> TFontInfos* { return &s.TextStyles(); })
          .Object("ParaStyles", [](T& s) -> TParaInfos* { return &s.ParaStyles(); })
          .Object("ListStyles", [](T& s) -> TRVListInfos* { return &s.ListStyles(); })
          .Integer("SpacesInTab", &T::SpacesInTab, &T::SpacesInTab)
          .Default(8)
          .IdentInteger("JumpCursor", &T::JumpCursor, &T::JumpCursor, CursorIdents())
          .Default(crJump)
          .Boolean("FullRedraw", &T::FullRedraw, &T::FullRedraw)
          .Default(false)
          .Boolean("UseSound", &T::UseSound, &T::UseSound)
          .Default(true)
          .Color("Color", &T::Color, &T::Color)
          .Default(clWindow)
          .Color("HoverColor", &T::HoverColor, &T::HoverColor)
          .Default(clNone)
          .Color("SelColor", &T::SelColor, &T::SelColor)
          .Default(clHighlight)
          .Color("SelTextColor", &T::SelTextColor, &T::SelTextColor)
          .Default(clHighlightText)
          .Color("InactiveSelColor", &T::InactiveSelColor, &T::InactiveSelColor)
          .Default(clHighlight)
          .Color("InactiveSelTextColor", &T::InactiveSelTextColor, &T::InactiveSelTextColor)
          .Default(clHighlightText)
          .Color("CheckpointColor", &T::CheckpointColor, &T::CheckpointColor)
          .Default(clGreen)
          .Color("CheckpointEvColor", &T::CheckpointEvColor, &T::CheckpointEvColor)
          .Default(clLime)
          .Color("PageBreakColor", &T::PageBreakColor, &T::PageBreakColor)
          .Default(clBtnShadow)
          .Color("SoftPageBreakColor", &T::SoftPageBreakColor, &T::SoftPageBreakColor)
          .Default(clBtnFace)
          .Integer("DefUnicodeStyle", &T::DefUnicodeStyle, &T::DefUnicodeStyle)
          .Default(-1)
          .Integer("DefCodePage", &T::DefCodePage, &T::DefCodePage)
          .Default(0)
          .Object(
              "InvalidPicture", [](T& s) { return s.InvalidPictureIfAny(); },
              [](T& s) -> TPicture* { return &s.InvalidPicture(); })
          .Build();
  return list;
}

TCollectionItemClass TRVStyle::GetTextStyleClass() const {
  return CollectionItemClass<TFontInfo>();
}

TCollectionItemClass TRVStyle::GetParaStyleClass() const {
  return CollectionItemClass<TParaInfo>();
}

TCollectionItemClass TRVStyle::GetListStyleClass() const {
  return CollectionItemClass<TRVListInfo>();
}

void TRVStyle::SetTextStyles(const TFontInfos& value) {
  if (&value != textStyles_.get()) textStyles_->Assign(&value);
}

void TRVStyle::SetParaStyles(const TParaInfos& value) {
  if (&value != paraStyles_.get()) paraStyles_->Assign(&value);
}

void TRVStyle::SetListStyles(const TRVListInfos& value) {
  if (&value != listStyles_.get()) listStyles_->Assign(&value);
}

void TRVStyle::RegisterJumpCursor() {
  // There is no system hand cursor to borrow here: the program's own one serves.
  RegisterGraphicResources();
  auto cursor = std::make_shared<TIcon>();
  LoadCursorResource("RV_JUMP_CURSOR", *cursor);
  SetScreenCursor(crJump, std::move(cursor));
}

TPicture& TRVStyle::InvalidPicture() {
  if (!invalidPicture_) {
    RegisterGraphicResources();
    auto picture = std::make_unique<TPicture>();
    picture->Bitmap().LoadFromResourceName("RV_BAD_PICTURE");
    invalidPicture_ = std::move(picture);
  }
  return *invalidPicture_;
}

void TRVStyle::SetInvalidPicture(const TPicture* value) {
  if (value == invalidPicture_.get()) return;
  if (value == nullptr) {
    invalidPicture_.reset();
    return;
  }
  if (!invalidPicture_) invalidPicture_ = std::make_unique<TPicture>();
  invalidPicture_->Assign(value);
}

void TRVStyle::ResetTextStyles() {
  textStyles_->Clear();
  struct Default {
    const char* name;
    TFontStyles style;
    TColor color;
    bool jump;
  };
  const Default defaults[] = {
      {"Normal text", {}, clWindowText, false}, {"Heading", {fsBold}, clBlue, false},
      {"Subheading", {fsBold}, clNavy, false},  {"Keywords", {fsItalic}, clMaroon, false},
      {"Jump 1", {fsUnderline}, clGreen, true}, {"Jump 2", {fsUnderline}, clGreen, true},
  };
  for (const Default& d : defaults) {
    TFontInfo* style = textStyles_->AddStyle();
    style->StyleName = d.name;
    style->Style = d.style;
    style->Color = d.color;
    if (d.jump) {
      style->Jump = true;
      style->JumpCursor = JumpCursor;
    }
  }
}

void TRVStyle::ResetParaStyles() {
  paraStyles_->Clear();
  paraStyles_->AddStyle()->StyleName = "Paragraph Style";
  TParaInfo* centered = paraStyles_->AddStyle();
  centered->StyleName = "Centered";
  centered->Alignment = rvaCenter;
}

void TRVStyle::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  // A component being destroyed is told of here from its own destructor, where it is no
  // longer known as an image list: match the levels' image lists by address.
  if (operation == opRemove) listStyles_->RemoveImageList(component);
}

// ---------------------------------------------------------------------------------------
// Drawing services

void TRVStyle::ApplyStyle(TCanvas& canvas, int styleNo, TRVBiDiMode defBiDiMode) {
  bool doDefault = true;
  if (OnApplyStyle) OnApplyStyle(*this, canvas, styleNo, doDefault);
  if (doDefault) TextStyles().Items(styleNo)->ApplyToCanvas(canvas, defBiDiMode);
}

void TRVStyle::ApplyStyleColor(TCanvas& canvas, int styleNo, TRVTextDrawStates drawState, bool printing,
                               TRVColorMode colorMode) {
  bool doDefault = true;
  if (OnApplyStyleColor) OnApplyStyleColor(*this, canvas, styleNo, drawState, doDefault);
  if (doDefault) TextStyles().Items(styleNo)->ApplyColor(canvas, *this, drawState, printing, colorMode);
}

void TRVStyle::DrawStyleText(const std::string& s, TCanvas& canvas, int itemNo, int offsetInItem, int styleNo,
                             TCustomRVData* rvData, int32_t spaceBefore, int32_t left, int32_t top,
                             int32_t width, int32_t height, TRVTextDrawStates drawState, bool printing,
                             bool previewCorrection, TRVColorMode colorMode, TRVBiDiMode defBiDiMode) {
  const TFontInfo& style = *TextStyles().Items(styleNo);
  const std::string text = (style.StyleEx & rvfsAllCaps) ? RVApplyAllCaps(s, true, style.Unicode) : s;
  bool doDefault = true;
  if (OnDrawStyleText) {
    ItemNo = itemNo;
    OffsetInItem = offsetInItem;
    RVData = rvData;
    OnDrawStyleText(*this, text, canvas, styleNo, spaceBefore, left, top, width, height, drawState,
                    doDefault);
  }
  if (doDefault)
    style.Draw(text, canvas, styleNo, spaceBefore, left, top, width, height, *this, drawState, printing,
               previewCorrection, colorMode, defBiDiMode);
}

void TRVStyle::DrawTextBack(TCanvas& canvas, int itemNo, int styleNo, TCustomRVData* rvData, int32_t left,
                            int32_t top, int32_t width, int32_t height, TRVTextDrawStates drawState) {
  if (!OnDrawTextBack) return;
  ItemNo = itemNo;
  RVData = rvData;
  bool doDefault = true;
  OnDrawTextBack(*this, canvas, styleNo, left, top, width, height, drawState, doDefault);
}

bool TRVStyle::IsStyleHoverSensitive(int styleNo) {
  const TFontInfo& style = *TextStyles().Items(styleNo);
  bool sensitive = GetHoverColor(style.HoverColor) != clNone || style.HoverBackColor != style.BackColor;
  if (OnStyleHoverSensitive) OnStyleHoverSensitive(*this, styleNo, sensitive);
  return sensitive;
}

void TRVStyle::DrawCheckpoint(TCanvas& canvas, int32_t x, int32_t y, int itemNo, int32_t xShift,
                              bool raiseEvent, TObject* control, int32_t controlWidth) {
  bool doDefault = true;
  if (OnDrawCheckpoint) OnDrawCheckpoint(*this, canvas, x, y, itemNo, xShift, raiseEvent, control, doDefault);
  if (!doDefault) return;
  canvas.Pen().SetColor(raiseEvent ? CheckpointEvColor : CheckpointColor);
  canvas.Brush().SetStyle(bsClear);
  if (itemNo != -1) {
    canvas.Pen().SetStyle(psSolid);
    canvas.Rectangle(x - 2, y - 2, x + 2, y + 2);
  }
  canvas.Pen().SetStyle(psDot);
  canvas.MoveTo(-xShift, y);
  canvas.LineTo(controlWidth, y);
  canvas.Pen().SetStyle(psSolid);
  canvas.Brush().SetStyle(bsClear);
}

void TRVStyle::DrawPageBreak(TCanvas& canvas, int32_t y, int32_t xShift, TRVPageBreakType pageBreakType,
                             TObject* control, int32_t controlClientWidth) {
  bool doDefault = true;
  if (OnDrawPageBreak) OnDrawPageBreak(*this, canvas, y, xShift, pageBreakType, control, doDefault);
  if (!doDefault) return;
  canvas.Pen().SetColor(pageBreakType == rvpbPageBreak ? PageBreakColor : SoftPageBreakColor);
  canvas.Pen().SetWidth(1);
  canvas.Pen().SetStyle(psSolid);
  const int32_t x2 = controlClientWidth - xShift - 8;
  canvas.Brush().SetColor(clWindow);
  canvas.Brush().SetStyle(bsSolid);
  canvas.MoveTo(-xShift, y);
  canvas.LineTo(x2, y);
  // A folded corner at the right end.
  const TPoint corner[] = {Point(x2, y), Point(x2 + 8, y + 8), Point(x2, y + 8)};
  canvas.Polygon(corner);
  canvas.Pen().SetStyle(psSolid);
  canvas.Brush().SetStyle(bsClear);
}

void TRVStyle::DrawParaBack(TCanvas& canvas, int paraNo, const TRect& rect, bool printing,
                            TRVColorMode colorMode) {
  bool doDefault = true;
  if (OnDrawParaBack) OnDrawParaBack(*this, canvas, paraNo, rect, doDefault);
  if (doDefault) ParaStyles().Items(paraNo)->Background().Draw(rect, canvas, printing, colorMode);
}

// ---------------------------------------------------------------------------------------
// CSS

namespace {

// Names come from documents: keep them from ending the comment or the style block they are
// written into.
std::string CSSCommentText(std::string_view name) {
  std::string text;
  for (char c : name)
    if (c != '<' && c != '>') text += c;
  return StringReplace(text, "*/", "* /", ReplaceFlag::ReplaceAll);
}

std::string CSSFontFamily(std::string_view name) {
  std::string text;
  for (char c : name)
    if (c != '"' && c != '<' && c != '>' && c != '\\') text += c;
  return text;
}

std::string StyleComment(const TCustomRVInfo& style) {
  return style.Standard ? Format(" /* %s */", {CSSCommentText(style.StyleName)}) : std::string();
}

std::string TextDecoration(const TFontInfo& f) {
  std::string a = f.Style.Contains(fsUnderline)   ? "underline"
                  : f.Style.Contains(fsStrikeOut) ? "line-through"
                                                  : "";
  const std::string o = (f.StyleEx & rvfsOverline) ? "overline" : "";
  if (!a.empty()) {
    if (f.Jump && a != "underline") a = "none " + a;
    return o.empty() ? a : o + " " + a;
  }
  if (o.empty()) return "none";
  return f.Jump ? "none " + o : o;
}

std::string VerticalAlign(const TFontInfo& f) {
  if (f.VShift > 0) return "super";
  if (f.VShift < 0) return "sub";
  return {};
}

std::string BackgroundCSS(TColor color) {
  return color == clNone ? std::string("transparent") : RVColorToHTML(color);
}

bool HasVisibleBorder(const TParaInfo& p) {
  return p.Border().Style != rvbNone && p.Border().Color != clNone;
}

}  // namespace

void TRVStyle::SaveCSSToStream(TStream& stream, TRVSaveCSSOptions options) const {
  WriteTextStylesCSS(stream, options);
  WriteParaStylesCSS(stream, options);
}

void TRVStyle::WriteTextStylesCSS(TStream& stream, TRVSaveCSSOptions options) const {
  const TFontInfos& styles = TextStyles();
  RVWriteLine(stream, "/*----------Text Styles----------*/");
  RVWriteLine(stream, "HR { color: " + RVColorToHTML(styles.Items(0)->Color) + "}");
  const TFontInfo& first = *styles.Items(0);
  const bool firstIsBody = !first.Jump && first.BackColor == clNone;
  for (int i = 0; i < styles.Count(); ++i) {
    const TFontInfo& f = *styles.Items(i);
    const std::string comment = StyleComment(f);
    if (i == 0 && firstIsBody)
      RVWriteLine(stream, Format("BODY, TABLE%s", {comment}));
    else if (f.Jump)
      RVWriteLine(stream, Format("A.RVTS%d, SPAN.RVTS%d%s", {i, i, comment}));
    else
      RVWriteLine(stream, Format("SPAN.RVTS%d%s", {i, comment}));
    RVWriteLine(stream, "{");

    const TFontInfo* r = nullptr;
    if ((options & rvcssUseBaseStyles) && f.BaseStyleNo >= 0 && f.BaseStyleNo < styles.Count())
      r = styles.Items(f.BaseStyleNo);
    else if (i > 0 && firstIsBody)
      r = &first;

    if (!r || r->Size != f.Size) RVWriteLine(stream, Format("  font-size: %dpt;", {f.Size}));
    if (!r || UpperCase(r->FontName) != UpperCase(f.FontName))
      RVWriteLine(stream, Format("  font-family: \"%s\";", {CSSFontFamily(f.FontName)}));
    const bool italic = f.Style.Contains(fsItalic);
    if (!r || r->Style.Contains(fsItalic) != italic)
      RVWriteLine(stream, Format("  font-style: %s;", {italic ? "italic" : "normal"}));
    const bool bold = f.Style.Contains(fsBold);
    if (!r || r->Style.Contains(fsBold) != bold)
      RVWriteLine(stream, Format("  font-weight: %s;", {bold ? "bold" : "normal"}));
    if (!r || r->Color != f.Color) RVWriteLine(stream, Format("  color: %s;", {RVColorToHTML(f.Color)}));
    if ((!r && f.CharSpacing != 0) || (r && r->CharSpacing != f.CharSpacing))
      RVWriteLine(stream, Format("  letter-spacing: %dpx;", {f.CharSpacing}));
    const bool caps = (f.StyleEx & rvfsAllCaps) != 0;
    const bool refCaps = r && (r->StyleEx & rvfsAllCaps) != 0;
    if (caps && !refCaps)
      RVWriteLine(stream, "  text-transform: uppercase;");
    else if (!caps && refCaps)
      RVWriteLine(stream, "  text-transform: none;");
    if ((i > 0 && !r) || (!r && f.BackColor != clNone) || (r && r->BackColor != f.BackColor))
      RVWriteLine(stream, Format("  background-color: %s;", {BackgroundCSS(f.BackColor)}));
    const std::string v = VerticalAlign(f);
    if ((!r && !v.empty()) || (r && VerticalAlign(*r) != v))
      RVWriteLine(stream, Format("  vertical-align: %s;", {v}));
    const std::string d = TextDecoration(f);
    if (!r || TextDecoration(*r) != d || (f.Jump && d == "none"))
      RVWriteLine(stream, Format("  text-decoration: %s;", {d}));
    RVWriteLine(stream, "}");

    if (!f.Jump) continue;
    const TColor hover = GetHoverColor(f.HoverColor);
    if (hover == clNone && f.HoverBackColor == clNone) continue;
    const bool plainRef = !r || !r->Jump;
    RVWriteString(stream, Format("A.RVTS%d:hover {", {i}));
    if ((plainRef && hover != clNone) || (r && GetHoverColor(r->HoverColor) != hover))
      RVWriteString(stream, Format(" color: %s;", {RVColorToHTML(hover)}));
    if ((plainRef && f.HoverBackColor != clNone) || (r && r->HoverBackColor != f.HoverBackColor))
      RVWriteString(stream, Format(" background-color: %s;", {RVColorToHTML(f.HoverBackColor)}));
    RVWriteLine(stream, " }");
  }
}

void TRVStyle::WriteParaStylesCSS(TStream& stream, TRVSaveCSSOptions options) const {
  static const char* const kAlignments[] = {"left", "right", "center", "justify"};
  const TParaInfos& styles = ParaStyles();
  RVWriteLine(stream, "/*----------Para Styles----------*/");
  for (int i = 0; i < styles.Count(); ++i) {
    const TParaInfo& p = *styles.Items(i);
    const std::string comment = StyleComment(p);
    RVWriteLine(stream, i == 0 ? Format("P,UL,OL%s", {comment}) : Format(".RVPS%d%s", {i, comment}));

    const TParaInfo* r = nullptr;
    if ((options & rvcssUseBaseStyles) && p.BaseStyleNo >= 0 && p.BaseStyleNo < styles.Count())
      r = styles.Items(p.BaseStyleNo);
    else if (i > 0)
      r = styles.Items(0);
    RVWriteLine(stream, "{");

    if ((!r && (!(options & rvcssSkipLeftAlignment) || p.Alignment != rvaLeft)) ||
        (r && r->Alignment != p.Alignment))
      RVWriteLine(stream, std::string("  text-align: ") + kAlignments[p.Alignment & 3] + ";");
    if (!r || r->FirstIndent != p.FirstIndent)
      RVWriteLine(stream, Format("  text-indent: %dpx;", {p.FirstIndent}));
    const bool percent = p.LineSpacingType == rvlsPercent;
    const bool refPercent = r && r->LineSpacingType == rvlsPercent;
    if (percent && ((!r && p.LineSpacing != 100) || (refPercent && r->LineSpacing != p.LineSpacing)))
      RVWriteLine(stream, Format("  line-height: %d%%;", {p.LineSpacing}));
    else if (refPercent && r->LineSpacing != 100 && !percent)
      RVWriteLine(stream, "  line-height: normal;");
    if (p.Options & rvpaoNoWrap)
      RVWriteLine(stream, "  white-space: nowrap;");
    else if (r && (r->Options & rvpaoNoWrap))
      RVWriteLine(stream, "  white-space: normal;");

    TRect padding;
    if (HasVisibleBorder(p)) {
      const TRVBorder& border = p.Border();
      RVWriteLine(stream, Format("  border-color: %s;", {RVColorToHTML(border.Color)}));
      RVWriteLine(stream, Format("  border-style: %s;", {border.Style == rvbSingle ? "solid" : "double"}));
      int32_t width = border.Width;
      switch (border.Style) {
        case rvbDouble:
          width = border.Width + border.InternalWidth;
          break;
        case rvbTriple:
          width = border.Width + 2 * border.InternalWidth;
          break;
        case rvbThickInside:
        case rvbThickOutside:
          width = border.Width * 3 / 2 + border.InternalWidth;
          break;
        default:
          break;
      }
      RVWriteLine(stream, Format("  border-width: %dpx;", {width}));
      const TRVBooleanRect& visible = border.VisibleBorders();
      if (!visible.Top) RVWriteLine(stream, "  border-top: none;");
      if (!visible.Right) RVWriteLine(stream, "  border-right: none;");
      if (!visible.Bottom) RVWriteLine(stream, "  border-bottom: none;");
      if (!visible.Left) RVWriteLine(stream, "  border-left: none;");
      border.BorderOffsets().AssignToRect(padding);
    } else if (r && HasVisibleBorder(*r)) {
      RVWriteLine(stream, "  border: none;");
    }
    const TRVBackgroundRect& background = p.Background();
    if ((!r && background.Color != clNone) || (r && r->Background().Color != background.Color))
      RVWriteLine(stream, Format("  background: %s;", {BackgroundCSS(background.Color)}));
    if (background.Color != clNone) background.BorderOffsets().AssignToRectIfGreater(padding);
    RVWriteLine(stream, Format("  padding: %dpx %dpx %dpx %dpx;",
                               {padding.Top, padding.Right, padding.Bottom, padding.Left}));
    RVWriteLine(stream, Format("  margin: %dpx %dpx %dpx %dpx;",
                               {p.SpaceBefore - padding.Top, p.RightIndent - padding.Right,
                                p.SpaceAfter - padding.Bottom, p.LeftIndent - padding.Left}));
    RVWriteLine(stream, "}");
  }
}
