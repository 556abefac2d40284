// Copying the selection of a formatted document to the clipboard: RVF with its length in
// front, 8-bit text, a picture, UTF-16 text and RTF, in that order.
#include <cstring>

#include "platform/core/Streams.h"
#include "platform/gui/Clipbrd.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVUni.h"
#include "richtext/viewer/CRVFData.h"

namespace {

constexpr TRVOptions kAutoCopyOptions =
    rvoAutoCopyText | rvoAutoCopyUnicodeText | rvoAutoCopyRVF | rvoAutoCopyImage | rvoAutoCopyRTF;

/// The system makes 8-bit text from UTF-16 text on its own (our clipboard offers text in
/// both forms from either), so with both text options only the UTF-16 text is written.
constexpr bool kClipboardConvertsText = true;

/// Closes the clipboard on leaving the scope, also when a format raised: a clipboard left
/// open would swallow every later copy.
class TClipboardOpen {
 public:
  explicit TClipboardOpen(TClipboard& Clipboard) : clipboard_(Clipboard) { clipboard_.Open(); }
  ~TClipboardOpen() { clipboard_.Close(); }
  TClipboardOpen(const TClipboardOpen&) = delete;
  TClipboardOpen& operator=(const TClipboardOpen&) = delete;

 private:
  TClipboard& clipboard_;
};

/// The selected item of a normalised item range when the range covers exactly one non-text
/// item (possibly with empty ends in the texts around it); -1 otherwise.
int SelectedSingleItem(const TCustomRVData& Data, int S, int SO, int E, int EO) {
  const auto startOf = [&](int i) { return Data.GetItemStartOffset(i); };
  const auto endOf = [&](int i) { return Data.GetItemEndOffset(i); };
  if (E == S) return SO <= 0 && EO >= 1 ? S : -1;
  if (E == S + 1) {
    if (SO > startOf(S)) return SO >= endOf(S) && EO >= endOf(E) ? E : -1;
    return EO < endOf(E) && EO <= startOf(E) && SO <= startOf(S) ? S : -1;
  }
  if (E == S + 2) return SO >= endOf(S) && EO <= startOf(E) ? S + 1 : -1;
  return -1;
}

}  // namespace

bool TCustomRVFormattedData::HasOnCopy() const {
  const TCustomRVFormattedData* root = FormattedRoot();
  return root != nullptr && root != this && root->HasOnCopy();
}

void TCustomRVFormattedData::DoCopy() {
  TCustomRVFormattedData* root = FormattedRoot();
  if (root != nullptr && root != this) root->DoCopy();
}

bool TCustomRVFormattedData::CopyDefault(TColor Color, TRVBackground* Background) {
  if (TCustomRVFormattedData* sub = FocusedFormattedSub()) return sub->CopyDefault(clNone, nullptr);
  const TRVOptions options = GetOptions();
  if ((options & kAutoCopyOptions) == 0 && !HasOnCopy()) return false;
  if (!SelectionExists(true, true)) return true;
  TClipboard& clipboard = Clipboard();
  clipboard.Clear();
  const TClipboardOpen open(clipboard);
  DoCopy();
  if ((options & rvoAutoCopyRVF) != 0) CopyRVF(Color, Background);
  if ((options & rvoAutoCopyText) != 0 &&
      !(kClipboardConvertsText && (options & rvoAutoCopyUnicodeText) != 0))
    CopyText();
  if ((options & rvoAutoCopyImage) != 0) CopyImage();
  if ((options & rvoAutoCopyUnicodeText) != 0) CopyUnicodeText();
  if ((options & rvoAutoCopyRTF) != 0) CopyRTF(Color, Background);
  return true;
}

void TCustomRVFormattedData::CopyRVF(TColor Color, TRVBackground* Background) {
  TMemoryStream stream;
  const uint32_t placeholder = 0;
  stream.Write(&placeholder, 4);
  // A selection that could not be written whole is not offered: a reader would take the
  // truncated block for the document.
  if (!SaveRVFToStream(stream, true, Color, Background, nullptr)) return;
  const uint32_t length = static_cast<uint32_t>(stream.Size() - 4);
  const uint8_t prefix[4] = {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                             static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
  std::memcpy(stream.Memory(), prefix, 4);
  Clipboard().SetBuffer(RegisterClipboardFormat("RV Format"), stream.Bytes());
}

void TCustomRVFormattedData::CopyRTF(TColor Color, TRVBackground* Background) {
  (void)Background;
  TMemoryStream stream;
  if (!SaveRTFToStream(stream, true, 0, Color, nullptr, nullptr, nullptr, nullptr, nullptr, 0)) return;
  Clipboard().SetBuffer(RegisterClipboardFormat("Rich Text Format"), stream.Bytes());
}

void TCustomRVFormattedData::CopyText() {
  if (!SelectionExists(true, true)) return;
  std::string text;
  GetSelText(false, text);
  Clipboard().SetAsText(text);
}

void TCustomRVFormattedData::CopyUnicodeText() {
  if (!SelectionExists(true, true)) return;
  std::string text;
  GetSelText(true, text);
  Clipboard().SetUnicodeText(RVBytesToWideString(text));
}

void TCustomRVFormattedData::CopyImage() {
  if (TGraphic* picture = GetSelectedImage()) Clipboard().SetPicture(*picture);
}

void TCustomRVFormattedData::GetSelText(bool Unicode, std::string& S) {
  if (TCustomRVFormattedData* sub = FocusedFormattedSub()) {
    sub->GetSelText(Unicode, S);
    return;
  }
  S.clear();
  if (!SelectionExists(false, true)) return;
  TMemoryStream stream;
  if (SaveTextRangeToStream("", stream, 80, true, true, Unicode)) S = stream.DataString();
}

TGraphic* TCustomRVFormattedData::GetSelectedImage() {
  if (TCustomRVFormattedData* sub = FocusedFormattedSub()) return sub->GetSelectedImage();
  int s = -1, so = 0, e = -1, eo = 0;
  GetItemSelectionBounds(s, so, e, eo, true);
  if (s < 0 || e < 0 || e >= GetItemCount()) return nullptr;
  const int itemNo = SelectedSingleItem(*this, s, so, e, eo);
  return itemNo >= 0 ? GetItem(itemNo)->GetItemPicture() : nullptr;
}
