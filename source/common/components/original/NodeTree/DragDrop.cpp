#include "common/components/original/NodeTree/DragDrop.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "common/components/original/NodeTree/NodeTree.h"
#include "platform/graphics/Bitmap.h"
#include "platform/gui/Application.h"
#include "platform/gui/Clipbrd.h"

namespace {

// The reference payload: the process id (32 bits), then the tree's id (64 bits), little-endian.
constexpr size_t kReferenceSize = 12;

void PutLE(uint8_t* out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t GetLE(const uint8_t* in, int bytes) {
  uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= uint64_t{in[i]} << (8 * i);
  return value;
}

/// A drag takes the selected nodes with their subtrees, as painting the selected nodes only does.
bool IsDragged(const TNodeTree& tree, PNode node) {
  for (PNode run = node; run != tree.RootNode(); run = run->Parent)
    if (run->Has(nsSelected)) return true;
  return false;
}

/// A 32-bit bitmap of that size whose every byte is `value`.
void FillBitmap32(TBitmap& bitmap, int32_t width, int32_t height, uint8_t value) {
  bitmap.SetPixelFormat(pf32bit);
  bitmap.SetSize(width, height);
  for (int32_t y = 0; y < height; ++y) std::memset(bitmap.ScanLine(y), value, static_cast<size_t>(width) * 4);
}

}  // namespace

uint32_t TreeReferenceFormat() {
  static const uint32_t format = RegisterClipboardFormat("ZUK Converter tree reference");
  return format;
}

void ReleaseStgMedium(TStgMedium& medium) {
  if (medium.object != nullptr) medium.object->Release();
  if (medium.pUnkForRelease != nullptr) medium.pUnkForRelease->Release();
  medium = TStgMedium();
}

// --- Format enumerator -------------------------------------------------------------------------

TEnumFormatEtc::TEnumFormatEtc(TNodeTree* tree, const TFormatEtcArray& formats)
    : tree_(tree), formats_(formats) {}

HRESULT TEnumFormatEtc::Next(uint32_t count, TFormatEtc* target, uint32_t* fetched) {
  const size_t copied = std::min<size_t>(count, formats_.size() - current_);
  if (target != nullptr)
    std::copy_n(formats_.begin() + static_cast<std::ptrdiff_t>(current_), copied, target);
  current_ += copied;
  if (fetched != nullptr) *fetched = static_cast<uint32_t>(copied);
  return copied > 0 ? S_OK : S_FALSE;
}

HRESULT TEnumFormatEtc::Skip(uint32_t count) {
  // A skip over no more formats than remain succeeds, also one that lands on the last format or
  // just past it; a longer one is refused and moves nothing.
  const int64_t target = static_cast<int64_t>(current_) + count;
  if (target > static_cast<int64_t>(formats_.size())) return S_FALSE;
  current_ = static_cast<size_t>(target);
  return S_OK;
}

HRESULT TEnumFormatEtc::Reset() {
  current_ = 0;
  return S_OK;
}

HRESULT TEnumFormatEtc::Clone(TEnumFormatEtc** result) {
  if (result == nullptr) return E_FAIL;
  auto* clone = new TEnumFormatEtc(tree_, formats_);
  clone->current_ = current_;
  clone->AddRef();
  *result = clone;
  return S_OK;
}

// --- Data object ---------------------------------------------------------------------------------

TVTDataObject::TVTDataObject(TNodeTree* owner, bool forClipboard)
    : ownerId_(owner != nullptr ? owner->TreeId() : 0), forClipboard_(forClipboard) {
  formats_.push_back(TFormatEtc{TreeReferenceFormat(), DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
  if (owner != nullptr && owner->OnGetUserClipboardFormats) owner->OnGetUserClipboardFormats(owner, formats_);
}

TNodeTree* TVTDataObject::Owner() const {
  return ownerId_ != 0 ? TNodeTree::FindTreeById(ownerId_) : nullptr;
}

TVTDataObject::~TVTDataObject() {
  TNodeTree* owner = Owner();
  if (forClipboard_ && owner != nullptr && !owner->HasState(tsFlushingClipboard))
    for (PNode node = owner->GetNextNoInit(owner->RootNode()); node != nullptr;
         node = owner->GetNextNoInit(node))
      node->Exclude(nsCutOrCopy);
  for (InternalMedium& entry : internal_) ReleaseStgMedium(entry.Medium);
}

HRESULT TVTDataObject::DAdvise(const TFormatEtc&, uint32_t, std::function<void()> sink,
                               uint32_t* connection) {
  if (advise_ == nullptr) advise_ = std::make_unique<AdviseHolder>();
  const uint32_t id = advise_->Next++;
  advise_->Sinks.emplace_back(id, std::move(sink));
  if (connection != nullptr) *connection = id;
  return S_OK;
}

HRESULT TVTDataObject::DUnadvise(uint32_t connection) {
  if (advise_ == nullptr) return E_NOTIMPL;
  const auto it = std::find_if(advise_->Sinks.begin(), advise_->Sinks.end(),
                               [connection](const auto& sink) { return sink.first == connection; });
  if (it == advise_->Sinks.end()) return E_FAIL;
  advise_->Sinks.erase(it);
  return S_OK;
}

HRESULT TVTDataObject::EnumDAdvise(std::vector<uint32_t>* connections) {
  if (advise_ == nullptr) return OLE_E_ADVISENOTSUPPORTED;
  if (connections != nullptr)
    for (const auto& sink : advise_->Sinks) connections->push_back(sink.first);
  return S_OK;
}

HRESULT TVTDataObject::EnumFormatEtc(uint32_t direction, TEnumFormatEtc** result) {
  if (result == nullptr) return E_FAIL;
  if (direction != DATADIR_GET) {
    *result = nullptr;
    return OLE_S_USEREG;
  }
  *result = new TEnumFormatEtc(Owner(), formats_);
  (*result)->AddRef();
  return S_OK;
}

HRESULT TVTDataObject::GetCanonicalFormatEtc(const TFormatEtc&, TFormatEtc*) {
  return DATA_S_SAMEFORMATETC;
}

HRESULT TVTDataObject::QueryGetData(const TFormatEtc& format) {
  HRESULT result = DV_E_FORMATETC;
  for (const TFormatEtc& entry : formats_) {
    if (entry.cfFormat != format.cfFormat) continue;
    if ((entry.tymed & format.tymed) == 0)
      result = DV_E_TYMED;
    else if (entry.dwAspect != format.dwAspect)
      result = DV_E_DVASPECT;
    else if (entry.lindex != format.lindex)
      result = DV_E_LINDEX;
    else
      return S_OK;
  }
  return result;
}

TVTDataObject::InternalMedium* TVTDataObject::FindInternal(const TFormatEtc& format) {
  for (InternalMedium& entry : internal_)
    if (entry.Format == format.cfFormat && (entry.Medium.tymed & format.tymed) != 0) return &entry;
  return nullptr;
}

HRESULT TVTDataObject::GetData(const TFormatEtc& format, TStgMedium& medium) {
  medium = TStgMedium();
  TNodeTree* owner = Owner();
  if (format.cfFormat == TreeReferenceFormat() && owner != nullptr) {
    if (owner->HasState(tsFlushingClipboard)) return E_FAIL;
    auto block = std::make_shared<std::vector<uint8_t>>(kReferenceSize, 0);
    PutLE(block->data(), static_cast<uint32_t>(getpid()), 4);
    PutLE(block->data() + 4, owner->TreeId(), 8);
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = std::move(block);
    return S_OK;
  }
  const HRESULT query = QueryGetData(format);
  if (query != S_OK) return query;
  if (InternalMedium* entry = FindInternal(format)) return CopyMedium(medium, entry->Medium, false);
  if (owner != nullptr && owner->OnRenderOLEData)
    return owner->OnRenderOLEData(owner, format, medium, forClipboard_);
  return DV_E_FORMATETC;
}

HRESULT TVTDataObject::GetDataHere(const TFormatEtc&, TStgMedium&) {
  return E_NOTIMPL;
}

HRESULT TVTDataObject::CopyMedium(TStgMedium& target, const TStgMedium& source, bool copyMemory) {
  target = TStgMedium();
  target.tymed = source.tymed;
  switch (source.tymed) {
    case TYMED_HGLOBAL:
      if (copyMemory) {
        if (source.hGlobal == nullptr) return E_OUTOFMEMORY;
        target.hGlobal = std::make_shared<std::vector<uint8_t>>(*source.hGlobal);
      } else {
        target.hGlobal = source.hGlobal;
      }
      break;
    case TYMED_FILE:
      target.fileName = source.fileName;
      break;
    case TYMED_ISTREAM:
    case TYMED_ISTORAGE:
      target.object = source.object;
      if (target.object != nullptr) target.object->AddRef();
      break;
    case TYMED_GDI:
    case TYMED_MFPICT:
    case TYMED_ENHMF:
      if (copyMemory) {
        target = TStgMedium();
        return DV_E_TYMED;
      }
      target.handle = source.handle;
      target.pUnkForRelease = this;
      break;
    default:
      target = TStgMedium();
      return DV_E_TYMED;
  }
  if (target.pUnkForRelease == nullptr) target.pUnkForRelease = source.pUnkForRelease;
  if (target.pUnkForRelease != nullptr) target.pUnkForRelease->AddRef();
  return S_OK;
}

HRESULT TVTDataObject::SetData(const TFormatEtc& format, TStgMedium& medium, bool release) {
  const auto known = std::find_if(formats_.begin(), formats_.end(), [&](const TFormatEtc& entry) {
    return entry.cfFormat == format.cfFormat && (entry.tymed & format.tymed) != 0 &&
           entry.dwAspect == format.dwAspect && entry.lindex == format.lindex;
  });
  if (known == formats_.end()) formats_.push_back(format);
  InternalMedium* entry = FindInternal(format);
  if (entry == nullptr) {
    internal_.push_back(InternalMedium{format.cfFormat, TStgMedium()});
    entry = &internal_.back();
  } else {
    ReleaseStgMedium(entry->Medium);
  }
  HRESULT result = S_OK;
  if (release) {
    entry->Medium = medium;
    medium = TStgMedium();
  } else {
    result = CopyMedium(entry->Medium, medium, true);
    // A medium that would keep this object alive through itself gives up that reference.
    if (entry->Medium.pUnkForRelease == this) {
      entry->Medium.pUnkForRelease = nullptr;
      Release();
    }
  }
  if (advise_ != nullptr)
    for (const auto& sink : advise_->Sinks) sink.second();
  return result;
}

// --- Drag manager --------------------------------------------------------------------------------

TVTDragManager::TVTDragManager(TNodeTree* owner) : owner_(owner) {}

TVTDragManager::~TVTDragManager() {
  if (owner_ != nullptr) {
    Register(false);
    owner_->DragManagerDestroyed();
  }
}

void TVTDragManager::TreeGone() {
  Register(false);
  owner_ = nullptr;
}

bool TVTDragManager::Register(bool accept) {
  if (owner_ == nullptr) return false;
  if (!accept) {
    if (registered_) RevokeDragDrop(*owner_);
    registered_ = false;
    return true;
  }
  registered_ = RegisterDragDrop(*owner_, &windowTarget_);
  return registered_;
}

HRESULT TVTDragManager::DragEnter(TVTDataObject* data, uint32_t keyState, TPoint point, uint32_t& effect) {
  dataObject_ = TRef<TVTDataObject>(data);
  isDropTarget_ = true;
  fullWindowDrag_ = true;  // the window system always draws the window's content while dragging
  dragSource_ = TreeFromDataObject(data);
  if (owner_ == nullptr) return E_FAIL;
  return owner_->DoDragEnter(keyState, point, effect);
}

HRESULT TVTDragManager::DragOver(uint32_t keyState, TPoint point, uint32_t& effect) {
  if (owner_ == nullptr) return E_FAIL;
  return owner_->DoDragOver(dragSource_, keyState, point, effect);
}

HRESULT TVTDragManager::DragLeave() {
  if (owner_ != nullptr) owner_->DoDragLeave();
  isDropTarget_ = false;
  dragSource_ = nullptr;
  dataObject_ = TRef<TVTDataObject>();
  return S_OK;
}

HRESULT TVTDragManager::Drop(TVTDataObject* data, uint32_t keyState, TPoint point, uint32_t& effect) {
  const HRESULT result = owner_ != nullptr ? owner_->DoDragDrop(data, keyState, point, effect) : E_FAIL;
  isDropTarget_ = false;
  dataObject_ = TRef<TVTDataObject>();
  return result;
}

void TVTDragManager::ForceDragLeave() {
  // There is no drag-image helper to tell.
}

HRESULT TVTDragManager::GiveFeedback(uint32_t) {
  return DRAGDROP_S_USEDEFAULTCURSORS;
}

HRESULT TVTDragManager::QueryContinueDrag(bool escapePressed, uint32_t keyState) {
  const bool left = (keyState & MK_LBUTTON) != 0;
  const bool right = (keyState & MK_RBUTTON) != 0;
  if ((left && right) || escapePressed) return DRAGDROP_S_CANCEL;
  if (!left && !right) return DRAGDROP_S_DROP;
  return S_OK;
}

TVTDataObject* TVTDragManager::DragDataObject() {
  if (dataObject_) return dataObject_.get();
  TVTDataObject* data = nullptr;
  if (owner_ != nullptr && owner_->OnCreateDataObject) data = owner_->OnCreateDataObject(owner_);
  if (data == nullptr) data = new TVTDataObject(owner_, false);
  return data;
}

uint32_t TVTDragManager::StartDrag(uint32_t allowedEffects) {
  if (owner_ == nullptr) return DROPEFFECT_NONE;
  TRef<TVTDataObject> data(DragDataObject());
  TDragFormats formats;
  for (const TFormatEtc& format : data->Formats()) {
    if ((format.tymed & TYMED_HGLOBAL) == 0) continue;
    TStgMedium medium;
    TFormatEtc wanted = format;
    wanted.tymed = TYMED_HGLOBAL;
    if (data->GetData(wanted, medium) == S_OK && medium.hGlobal != nullptr)
      formats.Items.emplace_back(format.cfFormat, *medium.hGlobal);
    ReleaseStgMedium(medium);
  }
  // The image starts over the dragged rows and follows the mouse from where it was taken.
  TBitmap picture;
  TPoint origin;
  TDragImage image;
  const bool withImage = MakeDragImage(*owner_, picture, origin);
  if (withImage) {
    const TPoint mouse = owner_->ScreenToClient(GetCursorPos());
    image = TDragImage{&picture, Point(mouse.X - origin.X, mouse.Y - origin.Y)};
  }
  TRef<TVTDragManager> keep(this);
  return DoDragDrop(*owner_, formats, allowedEffects, withImage ? &image : nullptr);
}

uint32_t TVTDragManager::WindowTarget::DragEnter(const TDragFormats& formats, uint32_t keyState, TPoint point,
                                                 uint32_t effect) {
  TRef<TVTDataObject> data(DataObjectFromFormats(formats));
  manager_.DragEnter(data.get(), keyState, point, effect);
  return effect;
}

uint32_t TVTDragManager::WindowTarget::DragOver(uint32_t keyState, TPoint point, uint32_t effect) {
  manager_.DragOver(keyState, point, effect);
  return effect;
}

void TVTDragManager::WindowTarget::DragLeave() {
  manager_.DragLeave();
}

uint32_t TVTDragManager::WindowTarget::Drop(const TDragFormats& formats, uint32_t keyState, TPoint point,
                                            uint32_t effect) {
  TRef<TVTDataObject> data(DataObjectFromFormats(formats));
  manager_.Drop(data.get(), keyState, point, effect);
  return effect;
}

// --- Drag image --------------------------------------------------------------------------------

bool MakeDragImage(TNodeTree& tree, TBitmap& image, TPoint& origin) {
  const int32_t width = tree.ClientWidth();
  const int32_t height = tree.ClientHeight();
  if (width <= 0 || height <= 0 || tree.SelectedCount() == 0) return false;
  // The dragged rows inside the client area, in client coordinates.
  std::vector<std::pair<int32_t, int32_t>> rows;
  int32_t top = 0;
  PNode node = tree.GetNodeAt(-tree.OffsetY(), false, &top);
  for (top += tree.OffsetY(); node != nullptr && top < height; node = tree.GetNextVisible(node)) {
    const int32_t bottom = top + node->NodeHeight;
    if (IsDragged(tree, node)) rows.emplace_back(std::max(top, 0), std::min(bottom, height));
    top = bottom;
  }
  if (rows.empty()) return false;
  const int32_t imageTop = rows.front().first;
  const int32_t imageHeight = rows.back().second - imageTop;

  // Painted rows are opaque, so blending gives every pixel of a dragged row the same alpha.
  TBitmap painted;
  FillBitmap32(painted, width, imageHeight, 0);
  const TRect window = Bounds(-tree.OffsetX(), imageTop - tree.OffsetY(), width, imageHeight);
  tree.PaintTree(painted.Canvas(), window, Point(0, 0),
                 poBackground | poColumnColor | poDrawSelection | poGridLines | poSelectedOnly);
  for (int32_t y = 0; y < imageHeight; ++y) {
    uint8_t* pixel = painted.ScanLine(y);
    for (int32_t x = 0; x < width; ++x) pixel[4 * x + 3] = 0xFF;
  }
  // Blending onto transparent black leaves the colours multiplied by the alpha.
  FillBitmap32(image, width, imageHeight, 0);
  for (const auto& [rowTop, rowBottom] : rows) {
    const TRect span = Rect(0, rowTop - imageTop, width, rowBottom - imageTop);
    BlendRectangle(&painted, &image, span, Point(0, span.Top), bmConstantAlpha, kDragImageAlpha, 0);
  }
  image.SetAlphaFormat(afPremultiplied);
  origin = Point(0, imageTop);
  return true;
}

// --- Tree references -----------------------------------------------------------------------------

TNodeTree* TreeFromDataObject(TVTDataObject* data) {
  if (data == nullptr) return nullptr;
  TStgMedium medium;
  const TFormatEtc format{TreeReferenceFormat(), DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  TNodeTree* tree = nullptr;
  if (data->GetData(format, medium) == S_OK && medium.hGlobal != nullptr &&
      medium.hGlobal->size() >= kReferenceSize) {
    const uint8_t* bytes = medium.hGlobal->data();
    if (GetLE(bytes, 4) == static_cast<uint32_t>(getpid()))
      tree = TNodeTree::FindTreeById(GetLE(bytes + 4, 8));
  }
  ReleaseStgMedium(medium);
  return tree;
}

TVTDataObject* DataObjectFromFormats(const TDragFormats& formats) {
  // A foreign data object: no formats of our own, only what the drag carries.
  auto* data = new TVTDataObject(nullptr, false);
  data->FormatsForUpdate().clear();
  for (const auto& [format, bytes] : formats.Items) {
    TStgMedium medium;
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = std::make_shared<std::vector<uint8_t>>(bytes);
    data->SetData(TFormatEtc{format, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, medium, true);
  }
  return data;
}
