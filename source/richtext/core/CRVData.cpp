#include "richtext/core/CRVData.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/core/SysUtils.h"
#include "platform/graphics/Graphic.h"
#include "platform/gui/Application.h"
#include "richtext/core/RVNonTextItems.h"
#include "richtext/core/RVStyle.h"

// ---------------------------------------------------------------------------------------
// TRVItemList

int TRVItemList::Add(std::string text, std::unique_ptr<TCustomRVItemInfo> item) {
  entries_.push_back(Entry{std::move(text), std::move(item)});
  return Count() - 1;
}

void TRVItemList::Insert(int index, std::string text, std::unique_ptr<TCustomRVItemInfo> item) {
  if (index < 0 || index > Count()) RaiseListIndexError(index);
  entries_.insert(entries_.begin() + index, Entry{std::move(text), std::move(item)});
}

std::unique_ptr<TCustomRVItemInfo> TRVItemList::ExtractObject(int index) {
  return std::move(entries_[CheckIndex(index)].Item);
}

void TRVItemList::DeleteRange(int index, int count) {
  if (count <= 0) return;
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
  if (count > Count() - index) RaiseListIndexError(static_cast<long long>(index) + count - 1);
  entries_.erase(entries_.begin() + index, entries_.begin() + index + count);
}

int TRVItemList::IndexOfObject(const TCustomRVItemInfo* item) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].Item.get() == item) return static_cast<int>(i);
  return -1;
}

// ---------------------------------------------------------------------------------------
// Construction

TCustomRVData::TCustomRVData() : ownItems_(std::make_unique<TRVItemList>()) {
  Items = ownItems_.get();
}

TCustomRVData::~TCustomRVData() {
  TCustomRVData::Clear();
}

// ---------------------------------------------------------------------------------------
// Settings

const TCustomRVData* TCustomRVData::ForwardRoot() const {
  const TCustomRVData* root = const_cast<TCustomRVData*>(this)->GetRootData();
  return root == this ? nullptr : root;
}

TCustomRVData* TCustomRVData::ForwardRoot() {
  TCustomRVData* root = GetRootData();
  return root == this ? nullptr : root;
}

TRVOptions TCustomRVData::GetOptions() const {
  const TCustomRVData* root = ForwardRoot();
  return root != nullptr ? root->GetOptions() : ownSettings_.Options;
}

void TCustomRVData::SetOptions(TRVOptions Value) {
  if (TCustomRVData* root = ForwardRoot())
    root->SetOptions(Value);
  else
    ownSettings_.Options = Value;
}

TRVFOptions TCustomRVData::GetRVFOptions() const {
  const TCustomRVData* root = ForwardRoot();
  return root != nullptr ? root->GetRVFOptions() : ownSettings_.RVFOptions;
}

void TCustomRVData::SetRVFOptions(TRVFOptions Value) {
  if (TCustomRVData* root = ForwardRoot())
    root->SetRVFOptions(Value);
  else
    ownSettings_.RVFOptions = Value;
}

TRVRTFOptions TCustomRVData::GetRTFOptions() const {
  const TCustomRVData* root = ForwardRoot();
  return root != nullptr ? root->GetRTFOptions() : ownSettings_.RTFOptions;
}

void TCustomRVData::SetRTFOptions(TRVRTFOptions Value) {
  if (TCustomRVData* root = ForwardRoot())
    root->SetRTFOptions(Value);
  else
    ownSettings_.RTFOptions = Value;
}

TRVFWarnings TCustomRVData::GetRVFReadWarnings() const {
  const TCustomRVData* root = ForwardRoot();
  return root != nullptr ? root->GetRVFReadWarnings() : ownSettings_.RVFWarnings;
}

void TCustomRVData::SetRVFReadWarnings(TRVFWarnings Value) {
  if (TCustomRVData* root = ForwardRoot())
    root->SetRVFReadWarnings(Value);
  else
    ownSettings_.RVFWarnings = Value;
}

const TRVFPictureReport& TCustomRVData::GetRVFPictureReport() const {
  const TCustomRVData* root = ForwardRoot();
  return root != nullptr ? root->GetRVFPictureReport() : ownSettings_.PictureReport;
}

TRVFPictureReport& TCustomRVData::RVFPictureReport() {
  TCustomRVData* root = ForwardRoot();
  return root != nullptr ? root->RVFPictureReport() : ownSettings_.PictureReport;
}

TRVFReaderStyleMode TCustomRVData::GetRVFTextStylesReadMode() const {
  const TCustomRVData* root = ForwardRoot();
  return root != nullptr ? root->GetRVFTextStylesReadMode() : ownSettings_.TextStylesReadMode;
}

TRVFReaderStyleMode TCustomRVData::GetRVFParaStylesReadMode() const {
  const TCustomRVData* root = ForwardRoot();
  return root != nullptr ? root->GetRVFParaStylesReadMode() : ownSettings_.ParaStylesReadMode;
}

TRVPalette TCustomRVData::GetRVPalette() const {
  const TCustomRVData* root = ForwardRoot();
  return root != nullptr ? root->GetRVPalette() : nullptr;
}

TRVPaletteAction TCustomRVData::GetDoInPaletteMode() const {
  const TCustomRVData* root = ForwardRoot();
  return root != nullptr ? root->GetDoInPaletteMode() : rvpaDoNothing;
}

TRVBiDiMode TCustomRVData::GetBiDiMode() const {
  const TCustomRVData* root = ForwardRoot();
  return root != nullptr ? root->GetBiDiMode() : ownSettings_.BiDiMode;
}

TRVStyle* TCustomRVData::GetRVStyle() const {
  const TCustomRVData* parent = GetParentData();
  return parent != nullptr ? parent->GetRVStyle() : ownSettings_.Style;
}

std::string TCustomRVData::GetDelimiters() const {
  const TCustomRVData* root = ForwardRoot();
  return root != nullptr ? root->GetDelimiters() : ownSettings_.Delimiters;
}

TWinControl* TCustomRVData::GetParentControl() const {
  const TCustomRVData* root = ForwardRoot();
  return root != nullptr ? root->GetParentControl() : nullptr;
}

void TCustomRVData::GetParentItemInfo(int& ParentItemNo, std::unique_ptr<TRVStoreSubRVData>& Location) {
  ParentItemNo = -1;
  Location.reset();
}

// ---------------------------------------------------------------------------------------
// Notices

void TCustomRVData::ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, std::string& Text,
                               TCustomRVData* RVData) {
  (void)Action, (void)Item, (void)Text, (void)RVData;
}

void TCustomRVData::ControlAction(TRVControlAction Action, int ItemNo, TCustomRVItemInfo* Item) {
  if (TCustomRVData* root = ForwardRoot()) root->ControlAction(Action, ItemNo, Item);
}

void TCustomRVData::ReadHyperlink(const std::string& Target, const std::string& Extras, std::string& Text,
                                  TRVTag& Tag, TRVItemStyleNo& StyleNo, int Kind) {
  if (TCustomRVData* root = ForwardRoot()) root->ReadHyperlink(Target, Extras, Text, Tag, StyleNo, Kind);
}

void TCustomRVData::Beep() const {
  const TRVStyle* style = GetRVStyle();
  if (style != nullptr && style->UseSound) MessageBeep();
}

void TCustomRVData::NotifyControlAction(TRVControlAction Action, int ItemNo, TCustomRVItemInfo* Item) {
  if (Item != nullptr && Item->QueryFeature(rvfqOwnsControlDirectly)) ControlAction(Action, ItemNo, Item);
}

// ---------------------------------------------------------------------------------------
// Item access

void TCustomRVData::SetItemText(int ItemNo, const std::string& Text) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  std::string text = Text;
  ItemAction(rviaTextModifying, item, text, this);
  if (item->IsTwoByteText()) RVCheckUni(text.size());
  Items->Put(ItemNo, std::move(text));
}

TRVCodePage TCustomRVData::ItemCodePage(int ItemNo) const {
  return GetStyleCodePage(GetItemStyleNo(ItemNo));
}

std::string TCustomRVData::GetItemTextA(int ItemNo) const {
  const std::string& text = GetItemText(ItemNo);
  if (!GetItem(ItemNo)->IsTwoByteText()) return text;
  // A trailing odd byte is not a character.
  return RVUnicodeToAnsi(ItemCodePage(ItemNo), std::string_view(text).substr(0, text.size() & ~size_t{1}));
}

std::u16string TCustomRVData::GetItemTextW(int ItemNo) const {
  const std::string& text = GetItemText(ItemNo);
  if (GetItem(ItemNo)->IsTwoByteText()) return RVBytesToWideString(text);
  return RVBytesToWideString(RVAnsiToUnicode(ItemCodePage(ItemNo), text));
}

bool TCustomRVData::GetPageBreakBefore(int ItemNo) const {
  if (ItemNo < 0 || ItemNo >= GetItemCount()) throw ERVError("Item index is out of bounds");
  if (ItemNo > 0 && GetItemStyleNo(ItemNo - 1) == rvsListMarker)
    return GetItem(ItemNo - 1)->GetPageBreakBefore();
  return GetItem(ItemNo)->GetPageBreakBefore();
}

int TCustomRVData::GetItemTextLength(int ItemNo) const {
  const TCustomRVItemInfo* item = GetItem(ItemNo);
  return item->IsTextItem() ? RVCharCount(GetItemText(ItemNo), item->ItemOptions) : 1;
}

int TCustomRVData::GetItemEndOffset(int ItemNo) const {
  return GetItem(ItemNo)->IsTextItem() ? GetItemTextLength(ItemNo) + 1 : 1;
}

bool TCustomRVData::GetItemIntProperty(int ItemNo, int Code, int32_t& Value) const {
  return GetItem(ItemNo)->GetIntPropertyByCode(Code, Value);
}

int TCustomRVData::FindItemByOwnedObject(const TObject* Obj) const {
  for (int i = 0; i < GetItemCount(); ++i)
    if (GetItem(i)->OwnsControl(Obj)) return i;
  return -1;
}

void TCustomRVData::ClampItemNo(int& ItemNo) const {
  if (ItemNo >= GetItemCount()) ItemNo = GetItemCount() - 1;
  if (ItemNo < 0) ItemNo = 0;
}

TRVCodePage TCustomRVData::GetStyleCodePage(TRVItemStyleNo StyleNo) const {
  const TRVStyle* style = GetRVStyle();
  if (style == nullptr) return 0;
  if (StyleNo < 0) return style->DefCodePage;
  return RVCodePageFromCharset(style->TextStyles().Items(StyleNo)->Charset);
}

TRVCodePage TCustomRVData::GetDefaultCodePage() const {
  const TRVStyle* style = GetRVStyle();
  return style != nullptr ? style->DefCodePage : 0;
}

bool TCustomRVData::IsUnicodeStyle(TRVItemStyleNo StyleNo) const {
  const TRVStyle* style = GetRVStyle();
  return style != nullptr && StyleNo >= 0 && style->TextStyles().Items(StyleNo)->Unicode;
}

// ---------------------------------------------------------------------------------------
// Paragraphs, lines and characters

int TCustomRVData::GetParaStartItemNo(int ItemNo) const {
  while (ItemNo > 0 && !StartsParagraph(ItemNo)) --ItemNo;
  return ItemNo < 0 ? 0 : ItemNo;
}

int TCustomRVData::GetLineStartItemNo(int ItemNo) const {
  while (ItemNo > 0 && !GetItemStartsLine(ItemNo)) --ItemNo;
  return ItemNo < 0 ? 0 : ItemNo;
}

void TCustomRVData::ExpandToParas(int ItemNo1, int ItemNo2, int& FirstItemNo, int& LastItemNo) const {
  FirstItemNo = GetParaStartItemNo(ItemNo1);
  int i = ItemNo2 + 1;
  while (i < GetItemCount() && !StartsParagraph(i)) ++i;
  LastItemNo = i - 1;
}

void TCustomRVData::ExpandToLines(int ItemNo1, int ItemNo2, int& FirstItemNo, int& LastItemNo) const {
  FirstItemNo = GetLineStartItemNo(ItemNo1);
  int i = ItemNo2 + 1;
  while (i < GetItemCount() && !GetItemStartsLine(i)) ++i;
  LastItemNo = i - 1;
}

namespace {

char16_t CodeUnitAt(std::string_view text, int index) {
  const auto lo = static_cast<unsigned char>(text[2 * static_cast<size_t>(index)]);
  const auto hi = static_cast<unsigned char>(text[2 * static_cast<size_t>(index) + 1]);
  return static_cast<char16_t>(lo | (hi << 8));
}

bool IsHighSurrogate(char16_t ch) {
  return ch >= 0xD800 && ch <= 0xDBFF;
}

bool IsLowSurrogate(char16_t ch) {
  return ch >= 0xDC00 && ch <= 0xDFFF;
}

}  // namespace

int TCustomRVData::GetNextCharOffset(int ItemNo, std::string_view Text, int Offset) const {
  if (!RVUnicodeSupported || !GetItem(ItemNo)->IsTwoByteText()) return Offset + 1;
  const int length = static_cast<int>(Text.size() / 2);
  int pos = std::clamp(Offset - 1, 0, length);
  if (pos < length) {
    const bool pair = pos + 1 < length && IsHighSurrogate(CodeUnitAt(Text, pos)) &&
                      IsLowSurrogate(CodeUnitAt(Text, pos + 1));
    pos += pair ? 2 : 1;
  }
  return pos + 1;
}

int TCustomRVData::GetPrevCharOffset(int ItemNo, std::string_view Text, int Offset) const {
  if (!RVUnicodeSupported || !GetItem(ItemNo)->IsTwoByteText()) return Offset - 1;
  const int length = static_cast<int>(Text.size() / 2);
  int pos = std::clamp(Offset - 1, 0, length);
  if (pos > 0) {
    const bool pair =
        pos >= 2 && IsLowSurrogate(CodeUnitAt(Text, pos - 1)) && IsHighSurrogate(CodeUnitAt(Text, pos - 2));
    pos -= pair ? 2 : 1;
  }
  return pos + 1;
}

TRVBiDiMode TCustomRVData::GetItemBiDiMode(int ItemNo) const {
  const TCustomRVItemInfo* item = GetItem(ItemNo);
  const TRVStyle* style = GetRVStyle();
  if (item->IsTextItem() && style != nullptr) {
    const TRVBiDiMode mode = style->TextStyles().Items(item->StyleNo)->BiDiMode;
    if (mode != rvbdUnspecified) return mode;
  }
  return GetParaBiDiMode(item->ParaNo);
}

TRVBiDiMode TCustomRVData::GetParaBiDiMode(int32_t ParaNo) const {
  if (const TRVStyle* style = GetRVStyle()) {
    const TRVBiDiMode mode = style->ParaStyles().Items(ParaNo)->BiDiMode;
    if (mode != rvbdUnspecified) return mode;
  }
  return GetBiDiMode();
}

bool TCustomRVData::CanMergeItems(int ItemNo, const TCustomRVItemInfo* Item1, bool NewLine,
                                  const TCustomRVItemInfo* Item2) const {
  if (Item1 == nullptr || Item2 == nullptr || !Item1->IsTextItem() || !Item2->IsTextItem()) return false;
  if (ItemNo < 0 || ItemNo + 1 >= GetItemCount()) return false;
  const bool anyEmpty = GetItemText(ItemNo).empty() || GetItemText(ItemNo + 1).empty();
  if (anyEmpty) return NewLine || Item2->GetSameAsPrev();
  if (Item1->StyleNo != Item2->StyleNo) return false;
  if (!NewLine && !Item2->GetSameAsPrev()) return false;
  if (Item1->IsTwoByteText() != Item2->IsTwoByteText()) return false;
  if (!RVAreTagsEqual(Item1->Tag, Item2->Tag, TagsArePChars()) || Item2->Checkpoint) return false;
  const TRVStyle* style = GetRVStyle();
  if (style == nullptr) return true;
  return (style->TextStyles().Items(Item1->StyleNo)->Protection & (rvprModifyProtect | rvprConcateProtect)) ==
         0;
}

void TCustomRVData::NormalizeParaNos(int ItemNo) {
  if (GetItemCount() == 0) return;
  ClampItemNo(ItemNo);
  const int first = GetParaStartItemNo(ItemNo);
  const int32_t paraNo = GetItem(first)->ParaNo;
  for (int i = first + 1; i < GetItemCount() && !StartsParagraph(i); ++i) GetItem(i)->ParaNo = paraNo;
}

// ---------------------------------------------------------------------------------------
// Adding, inserting, moving

void TCustomRVData::AddItem(std::string Text, std::unique_ptr<TCustomRVItemInfo> Item) {
  if (!Item) return;
  const int count = GetItemCount();
  TCustomRVItemInfo* last = count > 0 ? GetItem(count - 1) : nullptr;
  const bool continues = TCustomRVItemInfo::ContinuesParagraph(last, Item->ParaNo);
  // A list marker is never the last item of its paragraph.
  if (!continues && last != nullptr && last->StyleNo == rvsListMarker) AddTextItem(std::string(), 0, -1);
  Item->PlaceInParagraph(continues ? last : nullptr, Item->ParaNo);
  if (!continues) Item->SetBR(Item->GetBR() || !AllowNewParagraphs);
  // A record the item brings along (a duplicated item's) becomes the pending checkpoint
  // unless one is pending already; the pending one then goes to the item.
  if (Item->Checkpoint) {
    std::unique_ptr<TRVCPInfo> carried = std::move(Item->Checkpoint);
    AddCheckpoint(carried->Name, carried->RaiseEvent, carried->Tag);
  }
  if (PendingCheckpoint) LinkCheckpointAfter(Item.get(), LastCheckpoint, PendingCheckpoint);
  Item->UpdatePaletteInfo(GetDoInPaletteMode(), false, GetRVPalette());
  TCustomRVItemInfo* item = Item.get();
  BeforeInsert(*item, Text, false);
  const int index = Items->Add(std::move(Text), std::move(Item));
  AfterInsert(*item, index);
}

void TCustomRVData::BeforeInsert(TCustomRVItemInfo& Item, std::string& Text, bool Clearing) {
  Item.Inserting(this, Clearing);
  ItemAction(rviaInserting, &Item, Text, this);
}

void TCustomRVData::AfterInsert(TCustomRVItemInfo& Item, int ItemNo) {
  Item.Inserted(this, ItemNo);
  std::string none;
  ItemAction(rviaInserted, &Item, none, this);
}

void TCustomRVData::AddTextItemTag(std::string Text, TRVItemStyleNo StyleNo, int32_t ParaNo,
                                   const TRVTag& Tag) {
  if (StyleNo < 0) throw ERVError("Text items need a text style number of 0 or more");
  const bool unicode = IsUnicodeStyle(StyleNo);
  if (unicode) RVCheckUni(Text.size());
  std::unique_ptr<TCustomRVItemInfo> item = RVGetTextItemClass()->Create(this);
  item->StyleNo = StyleNo;
  item->ParaNo = ParaNo;
  item->Tag = Tag;
  if (unicode) item->ItemOptions |= rvioTwoByteText;
  if (Text.find('\t') != std::string::npos) Text = ExpandTabs(Text, StyleNo, unicode);
  AddItem(std::move(Text), std::move(item));
}

void TCustomRVData::AddWideTextItem(std::u16string_view Text, TRVItemStyleNo StyleNo, int32_t ParaNo,
                                    const TRVTag& Tag) {
  std::string bytes = RVWideStringToBytes(Text);
  // Without a style sheet text items are 8-bit: convert with the ANSI code page rather
  // than store UTF-16 bytes as 8-bit text.
  if (!IsUnicodeStyle(StyleNo)) bytes = RVUnicodeToAnsi(GetStyleCodePage(StyleNo), bytes);
  AddTextItemTag(std::move(bytes), StyleNo, ParaNo, Tag);
}

void TCustomRVData::AddPictureItem(std::string Name, std::unique_ptr<TGraphic> Graphic, int32_t ParaNo,
                                   uint8_t VAlign, const TRVTag& Tag) {
  std::unique_ptr<TRVGraphicItemInfo> item =
      TRVGraphicItemInfo::CreateWithPicture(this, std::move(Graphic), VAlign);
  item->ParaNo = ParaNo;
  item->Tag = Tag;
  AddItem(std::move(Name), std::move(item));
}

int TCustomRVData::AddCheckpoint(const std::string& Name, bool RaiseEvent, const TRVTag& Tag) {
  if (PendingCheckpoint) return CheckpointCount - 1;
  PendingCheckpoint = std::make_unique<TRVCPInfo>();
  PendingCheckpoint->Name = Name;
  PendingCheckpoint->RaiseEvent = RaiseEvent;
  PendingCheckpoint->Tag = Tag;
  return CheckpointCount++;
}

bool TCustomRVData::InsertItemObject(int& ItemNo, std::string Text, std::unique_ptr<TCustomRVItemInfo> Item,
                                     bool& FullReformat, int& NewListNo) {
  FullReformat = false;
  NewListNo = -1;
  if (!Item) return false;
  if (ItemNo < 0 || ItemNo > GetItemCount()) RaiseListIndexError(ItemNo);
  TCustomRVItemInfo* item = Item.get();
  BeforeInsert(*item, Text, false);
  Items->Insert(ItemNo, std::move(Text), std::move(Item));
  AfterInsert(*item, ItemNo);
  if (item->StyleNo == rvsListMarker) AddMarkerToList(ItemNo);
  return true;
}

void TCustomRVData::AppendItemsFrom(TCustomRVData* Source) {
  if (Source == nullptr || Source == this || Source->Items == Items) return;
  if (TagsArePChars() != Source->TagsArePChars())
    throw ERVError("Can't assign RV document to RV document - tags types mismatch");
  TRVItemList& source = *Source->Items;
  Items->Reserve(GetItemCount() + source.Count());
  Source->MoveItemsTo(0, source.Count(), *this);
  // The source's pending checkpoint belongs before the next item added here.
  if (Source->PendingCheckpoint) {
    FreeCheckpoint(PendingCheckpoint, false, true);
    PendingCheckpoint = std::move(Source->PendingCheckpoint);
    ++CheckpointCount;
  }
  source.Clear();
  Source->FirstCheckpoint = nullptr;
  Source->LastCheckpoint = nullptr;
  Source->PendingCheckpoint.reset();
  Source->CheckpointCount = 0;
  Source->Clear();
}

void TCustomRVData::MoveItemsTo(int FirstItemNo, int Count, TCustomRVData& Target) {
  if (Count <= 0) return;
  // The items leave this document whole before the target takes any: finding a marker's
  // place in the list walks both documents.
  std::vector<std::pair<std::string, std::unique_ptr<TCustomRVItemInfo>>> moving;
  moving.reserve(static_cast<size_t>(Count));
  for (int i = FirstItemNo; i < FirstItemNo + Count; ++i) {
    std::unique_ptr<TCustomRVItemInfo> item = Items->ExtractObject(i);
    if (!item) continue;
    // A list marker moves from this document's marker list into the target's.
    if (item->StyleNo == rvsListMarker) RemoveMarkerFromList(item.get(), false);
    // The record leaves this chain; the target links it as it adds the item.
    if (item->Checkpoint) UnlinkCheckpoint(item->Checkpoint.get(), true);
    if (item->GetSameAsPrev()) item->ParaNo = -1;
    moving.emplace_back(Items->ExtractText(i), std::move(item));
  }
  Items->DeleteRange(FirstItemNo, Count);
  for (auto& [text, item] : moving) {
    const bool marker = item->StyleNo == rvsListMarker;
    Target.AddItem(std::move(text), std::move(item));
    if (marker) Target.AddMarkerToList(Target.GetItemCount() - 1);
  }
}

void TCustomRVData::ConvertItemTexts(bool Clearing) {
  for (int i = 0; i < GetItemCount(); ++i) {
    // The stored text stays as it was while the handler works on its copy.
    std::string text = GetItemText(i);
    BeforeInsert(*GetItem(i), text, Clearing);
    Items->Put(i, std::move(text));
  }
}

void TCustomRVData::ShareItemsFrom(TCustomRVData* Source) {
  if (Source == nullptr || Source == this || !ShareItems()) return;
  Clear();
  Items = Source->Items;
}

void TCustomRVData::UpdateItemsPalette() {
  if (ItemsAreShared()) return;
  const TRVPaletteAction action = GetDoInPaletteMode();
  const TRVPalette palette = GetRVPalette();
  for (int i = 0; i < GetItemCount(); ++i) GetItem(i)->UpdatePaletteInfo(action, false, palette);
}

// ---------------------------------------------------------------------------------------
// Removing

void TCustomRVData::DeleteItems(int FirstItemNo, int Count) {
  if (ItemsAreShared() || FirstItemNo < 0 || FirstItemNo >= GetItemCount() || Count <= 0) return;
  Count = std::min(Count, GetItemCount() - FirstItemNo);
  for (int i = FirstItemNo; i < FirstItemNo + Count; ++i) FreeItemAt(i, false);
  Items->DeleteRange(FirstItemNo, Count);
}

void TCustomRVData::Clear() {
  const bool wasClearing = (StateFlags & rvstClearing) != 0;
  StateFlags |= rvstClearing;
  StateFlags &= ~(rvstContinuesOuterDoc | rvstLastLineNotParaEnd);
  if (!ItemsAreShared()) {
    // Every marker of the outer root's list is in its items: the list goes at once rather
    // than marker by marker from its front.
    if (GetOuterRootData() == this) FreeMarkers();
    for (int i = 0; i < GetItemCount(); ++i) FreeItemAt(i, true);
    Items->Clear();
  }
  FreeCheckpoint(PendingCheckpoint, false, true);
  FirstCheckpoint = nullptr;
  LastCheckpoint = nullptr;
  if (!ItemsAreShared()) CheckpointCount = 0;
  if (!wasClearing) StateFlags &= ~rvstClearing;
}

void TCustomRVData::FreeItem(std::unique_ptr<TCustomRVItemInfo> Item, bool Clearing) {
  if (!Item) return;
  if (Item->StyleNo == rvsListMarker) RemoveMarkerFromList(Item.get(), Clearing);
  if (Item->Checkpoint) {
    // Only a record of this document's chain is counted in CheckpointCount.
    const bool linked = Item->Checkpoint.get() == FirstCheckpoint || Item->Checkpoint->Prev != nullptr;
    FreeCheckpoint(Item->Checkpoint, true, linked);
  }
  Item.reset();
}

void TCustomRVData::FreeItemAt(int ItemNo, bool Clearing) {
  TCustomRVItemInfo* item = GetItem(ItemNo);
  if (item == nullptr) return;
  ItemAction(rviaDestroying, item, Items->TextOf(ItemNo), this);
  NotifyControlAction(rvcaDestroy, ItemNo, item);
  FreeItem(Items->ExtractObject(ItemNo), Clearing);
}

// ---------------------------------------------------------------------------------------
// Checkpoints

void TCustomRVData::LinkCheckpointAfter(TCustomRVItemInfo* Item, TRVCPInfo* Prev,
                                        std::unique_ptr<TRVCPInfo>& Checkpoint) {
  if (!Checkpoint || Item == nullptr) return;
  // An item carries one checkpoint: a record it had is dropped first.
  if (Item->Checkpoint) FreeCheckpoint(Item->Checkpoint, true, true);
  TRVCPInfo* cp = Checkpoint.get();
  cp->Prev = Prev;
  cp->ItemInfo = Item;
  if (Prev == nullptr) {
    cp->Next = FirstCheckpoint;
    FirstCheckpoint = cp;
  } else {
    cp->Next = Prev->Next;
    Prev->Next = cp;
  }
  if (cp->Next != nullptr) cp->Next->Prev = cp;
  if (Prev == LastCheckpoint) LastCheckpoint = cp;
  Item->Checkpoint = std::move(Checkpoint);
}

void TCustomRVData::LinkCheckpoint(TRVCPInfo* Checkpoint, int ItemNo) {
  if (Checkpoint == nullptr || ItemNo < 0 || ItemNo >= GetItemCount()) return;
  UpdateCheckpointItemNos();
  Checkpoint->Next = nullptr;
  Checkpoint->Prev = nullptr;
  Checkpoint->ItemInfo = GetItem(ItemNo);
  Checkpoint->ItemNo = ItemNo;
  if (FirstCheckpoint == nullptr) {
    FirstCheckpoint = LastCheckpoint = Checkpoint;
  } else if (ItemNo < FirstCheckpoint->ItemNo) {
    Checkpoint->Next = FirstCheckpoint;
    FirstCheckpoint->Prev = Checkpoint;
    FirstCheckpoint = Checkpoint;
  } else if (ItemNo >= LastCheckpoint->ItemNo) {
    Checkpoint->Prev = LastCheckpoint;
    LastCheckpoint->Next = Checkpoint;
    LastCheckpoint = Checkpoint;
  } else {
    TRVCPInfo* prev = FirstCheckpoint;
    while (prev->Next != nullptr && prev->Next->ItemNo <= ItemNo) prev = prev->Next;
    Checkpoint->Prev = prev;
    Checkpoint->Next = prev->Next;
    prev->Next->Prev = Checkpoint;
    prev->Next = Checkpoint;
  }
}

void TCustomRVData::UnlinkCheckpoint(TRVCPInfo* Checkpoint, bool DecCount) {
  if (Checkpoint == nullptr) return;
  Checkpoint->ItemInfo = nullptr;
  if (FirstCheckpoint == Checkpoint) FirstCheckpoint = Checkpoint->Next;
  if (LastCheckpoint == Checkpoint) LastCheckpoint = Checkpoint->Prev;
  if (Checkpoint->Prev != nullptr) Checkpoint->Prev->Next = Checkpoint->Next;
  if (Checkpoint->Next != nullptr) Checkpoint->Next->Prev = Checkpoint->Prev;
  Checkpoint->Prev = nullptr;
  Checkpoint->Next = nullptr;
  if (DecCount) --CheckpointCount;
}

void TCustomRVData::FreeCheckpoint(std::unique_ptr<TRVCPInfo>& Checkpoint, bool Unlink, bool DecCount) {
  if (!Checkpoint) return;
  if (Unlink) UnlinkCheckpoint(Checkpoint.get(), false);
  Checkpoint.reset();
  if (DecCount) --CheckpointCount;
}

void TCustomRVData::UpdateCheckpointItemNos() {
  // Every item is visited, so that records whose count has not been taken yet (linked by
  // LinkCheckpoint) get their numbers too.
  if (FirstCheckpoint == nullptr && CheckpointCount == 0) return;
  for (int i = 0; i < GetItemCount(); ++i)
    if (TRVCPInfo* cp = GetItemCheckpoint(i)) cp->ItemNo = i;
}

TRVCPInfo* TCustomRVData::FindCheckpointBefore(int ItemNo) {
  UpdateCheckpointItemNos();
  if (FirstCheckpoint == nullptr || FirstCheckpoint->ItemNo >= ItemNo) return nullptr;
  TRVCPInfo* cp = FirstCheckpoint;
  while (cp->Next != nullptr && cp->Next->ItemNo < ItemNo) cp = cp->Next;
  return cp;
}

// ---------------------------------------------------------------------------------------
// Text helpers

std::string TCustomRVData::ExpandTabs(std::string_view Text, TRVItemStyleNo StyleNo, bool Unicode) const {
  int spacesInTab = 8;
  bool unicode = Unicode;
  if (const TRVStyle* style = GetRVStyle()) {
    spacesInTab = style->SpacesInTab;
    if (StyleNo >= 0) unicode = IsUnicodeStyle(StyleNo);
  }
  return unicode ? RVExpandTabsW(Text, spacesInTab) : RVExpandTabs(Text, spacesInTab);
}

bool TCustomRVData::IsDelimiterA(char Ch) const {
  return GetDelimiters().find(Ch) != std::string::npos;
}

bool TCustomRVData::IsDelimiterW(char16_t Ch) const {
  return Ch < 256 && IsDelimiterA(static_cast<char>(Ch));
}

bool TCustomRVData::IsDelimiterAt(std::string_view Text, int Pos, TRVItemOptions ItemOptions) const {
  if (Pos < 1) return false;
  if ((ItemOptions & rvioTwoByteText) != 0) {
    if (static_cast<size_t>(Pos) > Text.size() / 2) return false;
    return IsDelimiterW(CodeUnitAt(Text, Pos - 1));
  }
  if (static_cast<size_t>(Pos) > Text.size()) return false;
  return IsDelimiterA(Text[static_cast<size_t>(Pos) - 1]);
}

// ---------------------------------------------------------------------------------------
// Styles in use, selection

void TCustomRVData::MarkStylesInUse(TRVIntegerList& UsedTextStyles, TRVIntegerList& UsedParaStyles,
                                    TRVIntegerList& UsedListStyles) {
  for (int i = 0; i < GetItemCount(); ++i)
    GetItem(i)->MarkStylesInUse(UsedTextStyles, UsedParaStyles, UsedListStyles);
}

void TCustomRVData::RenumberStyles(const TRVIntegerList& TextStylesMap, const TRVIntegerList& ParaStylesMap,
                                   const TRVIntegerList& ListStylesMap) {
  for (int i = 0; i < GetItemCount(); ++i)
    GetItem(i)->RenumberStyles(TextStylesMap, ParaStylesMap, ListStylesMap);
}

void TCustomRVData::GetSelectionBounds(bool SelectionOnly, int& StartItemNo, int& EndItemNo, int& StartOffs,
                                       int& EndOffs, TCustomRVItemInfo*& StartPartial,
                                       TCustomRVItemInfo*& EndPartial) {
  (void)SelectionOnly;
  StartItemNo = 0;
  EndItemNo = GetItemCount() - 1;
  StartOffs = -1;
  EndOffs = -1;
  if (GetItemCount() > 0) {
    StartOffs = GetItemStartOffset(0);
    EndOffs = GetItemEndOffset(EndItemNo);
  }
  StartPartial = nullptr;
  EndPartial = nullptr;
}
