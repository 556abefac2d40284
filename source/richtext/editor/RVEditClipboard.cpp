// Pasting into the editor: its own RVF block, RTF (with the folder of an HTML source for
// linked pictures), UTF-16 and 8-bit text, bitmaps and metafiles; cutting is copying (the
// viewer's) and then deleting the selection.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Metafile.h"
#include "platform/gui/Clipbrd.h"
#include "richtext/editor/RVEdit.h"

namespace {

uint32_t RVFFormat() {
  return RegisterClipboardFormat("RV Format");
}
uint32_t RTFFormat() {
  return RegisterClipboardFormat("Rich Text Format");
}
uint32_t HTMLFormat() {
  return RegisterClipboardFormat("HTML Format");
}

bool ClipboardHas(uint32_t Format) {
  return Clipboard().HasFormat(Format);
}

TMemoryStream StreamOf(const uint8_t* Data, size_t Size) {
  TMemoryStream stream;
  if (Size > 0) stream.Write(Data, static_cast<int64_t>(Size));
  stream.SetPosition(0);
  return stream;
}

int HexDigit(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

/// A URL's %XX escapes decoded; a malformed escape stays as it is.
std::string PercentDecoded(std::string_view S) {
  std::string out;
  out.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '%' && i + 2 < S.size()) {
      const int high = HexDigit(S[i + 1]);
      const int low = HexDigit(S[i + 2]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    out += S[i];
  }
  return out;
}

/// The length of a URL's scheme with its "://" ("http://", "ftp://"), 0 when S has none.
size_t SchemeLength(std::string_view S) {
  size_t i = 0;
  while (i < S.size() &&
         (std::isalnum(static_cast<unsigned char>(S[i])) != 0 || S[i] == '+' || S[i] == '-' || S[i] == '.'))
    ++i;
  if (i == 0 || std::isalpha(static_cast<unsigned char>(S[0])) == 0) return 0;
  return S.substr(i).starts_with("://") ? i + 3 : 0;
}

}  // namespace

std::string RVHTMLSourceFolder(std::string_view Block) {
  const size_t key = Block.find("SourceURL:");
  if (key == std::string_view::npos) return std::string();
  std::string_view value = Block.substr(key + std::strlen("SourceURL:"));
  value = value.substr(0, value.find_first_of(std::string_view("\0\r\n", 3)));
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  if (value.empty()) return std::string();
  std::string lower(value.substr(0, 7));
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower == "file://") {
    // A local file: its path, with escapes decoded (file names on this system are UTF-8).
    const std::string path = PercentDecoded(value.substr(7));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  }
  const size_t scheme = SchemeLength(value);
  const size_t slash = value.rfind('/');
  // An address without a path ("http://host") is its own folder.
  if (scheme > 0 && (slash == std::string_view::npos || slash < scheme)) return std::string(value) + "/";
  return slash == std::string_view::npos ? std::string() : std::string(value.substr(0, slash + 1));
}

bool TCustomRVEdit::CanPaste() {
  if (TCustomRVEdit* inner = dynamic_cast<TCustomRVEdit*>(GetInplaceEditor())) return inner->CanPaste();
  return ClipboardHas(CF_TEXT) || ClipboardHas(CF_UNICODETEXT) || ClipboardHas(CF_BITMAP) ||
         ClipboardHas(CF_METAFILEPICT) || ClipboardHas(RTFFormat()) || ClipboardHas(RVFFormat());
}

bool TCustomRVEdit::CanPasteRVF() {
  return ClipboardHas(RVFFormat());
}

bool TCustomRVEdit::CanPasteRTF() {
  return ClipboardHas(RTFFormat());
}

void TCustomRVEdit::Paste() {
  if (TCustomRVEdit* inner = dynamic_cast<TCustomRVEdit*>(GetInplaceEditor())) {
    inner->Paste();
    return;
  }
  if (!CanChange(false)) return;
  if (OnPaste) {
    bool doDefault = true;
    OnPaste(this, doDefault);
    if (!doDefault) return;
  }
  // The caret is placed again whatever happens, also when a format could not be read.
  struct TPlaceCaretAtEnd {
    TRVEditRVData& data;
    ~TPlaceCaretAtEnd() {
      if (data.CaretDrawItemNo >= 0) data.ChangeCaret(false, true, false, false);
    }
  } placeCaret{EditRVData()};
  if (ClipboardHas(RVFFormat())) {
    PasteRVF();
  } else if (ClipboardHas(RTFFormat())) {
    PasteRTF();
  } else if (ClipboardHas(CF_UNICODETEXT)) {
    // A style of one code page takes the system's 8-bit text when there is one.
    TRVEditRVData& data = GetInnermostEditor()->EditRVData();
    if (!data.IsUnicodeStyle(data.CurTextStyleNo) && ClipboardHas(CF_TEXT))
      PasteText();
    else
      PasteTextW();
  } else if (ClipboardHas(CF_TEXT)) {
    PasteText();
  } else if (ClipboardHas(CF_BITMAP)) {
    PasteBitmap(false);
  } else if (ClipboardHas(CF_METAFILEPICT)) {
    PasteMetafile(false);
  }
}

void TCustomRVEdit::PasteRVF() {
  if (TCustomRVEdit* inner = dynamic_cast<TCustomRVEdit*>(GetInplaceEditor())) {
    inner->PasteRVF();
    return;
  }
  if (!ClipboardHas(RVFFormat())) return;
  const std::vector<uint8_t> block = Clipboard().GetBuffer(RVFFormat());
  // The block is the length of the RVF, then the RVF; a length the block cannot hold is not
  // ours to read.
  int32_t length = -1;
  if (block.size() >= 4) std::memcpy(&length, block.data(), 4);
  if (length < 0 || static_cast<uint64_t>(length) > block.size() - 4) {
    EditRVData().Beep();
    return;
  }
  TMemoryStream stream = StreamOf(block.data() + 4, static_cast<size_t>(length));
  InsertRVFFromStream(stream);
}

void TCustomRVEdit::PasteRTF() {
  if (TCustomRVEdit* inner = dynamic_cast<TCustomRVEdit*>(GetInplaceEditor())) {
    inner->PasteRTF();
    return;
  }
  if (!ClipboardHas(RTFFormat())) return;
  const std::vector<uint8_t> block = Clipboard().GetBuffer(RTFFormat());
  TMemoryStream stream = StreamOf(block.data(), block.size());
  TRVCustomRTFReaderProperties* props = GetRTFReadProperties();
  if (props == nullptr) {
    InsertRTFFromStream(stream);
    return;
  }
  // Linked pictures of RTF copied from a web page are found beside the page.
  props->BasePath = GetHTMLSourceURL();
  try {
    InsertRTFFromStream(stream);
  } catch (...) {
    props->BasePath.clear();
    throw;
  }
  props->BasePath.clear();
}

std::string TCustomRVEdit::GetHTMLSourceURL() {
  if (!ClipboardHas(HTMLFormat())) return std::string();
  const std::vector<uint8_t> block = Clipboard().GetBuffer(HTMLFormat());
  return RVHTMLSourceFolder(std::string_view(reinterpret_cast<const char*>(block.data()), block.size()));
}

void TCustomRVEdit::PasteTextW() {
  if (TCustomRVEdit* inner = dynamic_cast<TCustomRVEdit*>(GetInplaceEditor())) {
    inner->PasteTextW();
    return;
  }
  if (!CanChange(false) || !ClipboardHas(CF_UNICODETEXT)) return;
  const std::vector<uint8_t> block = Clipboard().GetBuffer(CF_UNICODETEXT);
  // The text ends at its first null character.
  size_t chars = 0;
  while (chars < block.size() / 2 && (block[2 * chars] != 0 || block[2 * chars + 1] != 0)) ++chars;
  if (chars == 0) return;
  InsertTextW(std::string(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(2 * chars)));
}

void TCustomRVEdit::PasteText() {
  if (TCustomRVEdit* inner = dynamic_cast<TCustomRVEdit*>(GetInplaceEditor())) {
    inner->PasteText();
    return;
  }
  if (!CanChange(false) || !ClipboardHas(CF_TEXT)) return;
  std::string text = Clipboard().AsText();
  text.resize(std::min(text.size(), text.find('\0')));
  InsertText(text, false);
}

namespace {

/// The clipboard's text as a picture's name when asked and present.
std::string PictureName(bool TextAsName) {
  if (!TextAsName || !ClipboardHas(CF_TEXT)) return std::string();
  std::string text = Clipboard().AsText();
  text.resize(std::min(text.size(), text.find('\0')));
  return text;
}

}  // namespace

void TCustomRVEdit::PasteBitmap(bool TextAsName) {
  if (TCustomRVEdit* inner = dynamic_cast<TCustomRVEdit*>(GetInplaceEditor())) {
    inner->PasteBitmap(TextAsName);
    return;
  }
  if (!CanChange(false) || !ClipboardHas(CF_BITMAP)) return;
  std::unique_ptr<TBitmap> bitmap = Clipboard().Picture();
  if (bitmap == nullptr) return;
  InsertPicture(PictureName(TextAsName), std::move(bitmap), 0);
}

void TCustomRVEdit::PasteMetafile(bool TextAsName) {
  if (TCustomRVEdit* inner = dynamic_cast<TCustomRVEdit*>(GetInplaceEditor())) {
    inner->PasteMetafile(TextAsName);
    return;
  }
  if (!CanChange(false) || !ClipboardHas(CF_METAFILEPICT)) return;
  const std::vector<uint8_t> block = Clipboard().GetBuffer(CF_METAFILEPICT);
  TMemoryStream stream = StreamOf(block.data(), block.size());
  auto metafile = std::make_unique<TMetafile>();
  try {
    metafile->LoadFromStream(stream);
  } catch (const EInvalidGraphic&) {
    EditRVData().Beep();
    return;
  }
  const int32_t width = metafile->Width();
  const int32_t height = metafile->Height();
  const TMetafile* pasted = metafile.get();
  // A refused picture is freed: only a taken one may be looked for by its address.
  if (!InsertPicture(PictureName(TextAsName), std::move(metafile), 0)) return;
  // The picture keeps the size the metafile had, whatever its device would make of it.
  TRVEditRVData& data = EditRVData();
  const int itemNo = data.GetCaretItemNo();
  if (itemNo < 0 || itemNo >= data.GetItemCount()) return;
  TCustomRVItemInfo* item = data.GetItem(itemNo);
  if (item->GetItemPicture() != pasted) return;
  item->SetIntPropertyByCode(rvipImageWidth, width);
  item->SetIntPropertyByCode(rvipImageHeight, height);
}

void TCustomRVEdit::CutSelection() {
  if (TCustomRVEdit* inner = dynamic_cast<TCustomRVEdit*>(GetInplaceEditor())) {
    inner->CutSelection();
    return;
  }
  if (CanChange(false) && CopyToClipboard()) DeleteSelection();
}

void TCustomRVEdit::EMCanPaste(TMessage& Message) {
  Message.Result = 0;
  if (GetReadOnly()) return;
  const auto format = static_cast<uint32_t>(Message.WParam);
  bool can = false;
  if (format == 0)
    can = CanPaste();
  else if (format == CF_TEXT || format == CF_BITMAP || format == CF_METAFILEPICT || format == CF_UNICODETEXT)
    can = ClipboardHas(format);
  else if (format == RTFFormat())
    can = CanPasteRTF();
  else if (format == RVFFormat())
    can = CanPasteRVF();
  Message.Result = can ? 1 : 0;
}
