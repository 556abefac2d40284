// Drag and drop and clipboard data of the tree: an enumerator of formats, a data object that holds
// formats and storage media and renders tree data on demand, and a drag manager that is the
// tree window's drop target and drop source. All three are reference counted and answer with the
// usual result codes. A tree recognises data from itself or another tree of this process through
// a private reference format carrying the process id and the tree's id.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/DragDrop.h"

class TBitmap;
class TNodeTree;

using HRESULT = int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = static_cast<HRESULT>(0x80040003u);
constexpr HRESULT OLE_S_USEREG = 0x00040000;
constexpr HRESULT DATA_S_SAMEFORMATETC = 0x00040130;
constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x8004006Au);
constexpr HRESULT DV_E_TYMED = static_cast<HRESULT>(0x80040069u);
constexpr HRESULT DV_E_DVASPECT = static_cast<HRESULT>(0x8004006Bu);
constexpr HRESULT DV_E_LINDEX = static_cast<HRESULT>(0x80040068u);
constexpr HRESULT DRAGDROP_S_DROP = 0x00040100;
constexpr HRESULT DRAGDROP_S_CANCEL = 0x00040101;
constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = 0x00040102;

// Storage types.
constexpr uint32_t TYMED_NULL = 0;
constexpr uint32_t TYMED_HGLOBAL = 1;
constexpr uint32_t TYMED_FILE = 2;
constexpr uint32_t TYMED_ISTREAM = 4;
constexpr uint32_t TYMED_ISTORAGE = 8;
constexpr uint32_t TYMED_GDI = 16;
constexpr uint32_t TYMED_MFPICT = 32;
constexpr uint32_t TYMED_ENHMF = 64;
constexpr uint32_t DVASPECT_CONTENT = 1;
constexpr uint32_t DATADIR_GET = 1;
constexpr uint32_t DATADIR_SET = 2;

/// A reference-counted object; it frees itself when the last reference goes.
class TRefCounted {
 public:
  virtual ~TRefCounted() = default;
  uint32_t AddRef() { return ++refs_; }
  uint32_t Release() {
    const uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  uint32_t RefCount() const { return refs_; }

 private:
  std::atomic<uint32_t> refs_{0};
};

/// Keeps one reference for its lifetime.
template <typename T>
class TRef {
 public:
  TRef() = default;
  explicit TRef(T* object) : object_(object) {
    if (object_ != nullptr) object_->AddRef();
  }
  TRef(const TRef& other) : TRef(other.object_) {}
  TRef& operator=(const TRef& other) {
    TRef copy(other);
    std::swap(object_, copy.object_);
    return *this;
  }
  ~TRef() {
    if (object_ != nullptr) object_->Release();
  }
  T* operator->() const { return object_; }
  T* get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  T* object_ = nullptr;
};

/// A format with its aspect, index and storage types.
struct TFormatEtc {
  uint32_t cfFormat = 0;
  uint32_t dwAspect = DVASPECT_CONTENT;
  int32_t lindex = -1;
  uint32_t tymed = TYMED_HGLOBAL;
  friend bool operator==(const TFormatEtc&, const TFormatEtc&) = default;
};
using TFormatEtcArray = std::vector<TFormatEtc>;

/// A block of memory that several media may share.
using HGLOBAL = std::shared_ptr<std::vector<uint8_t>>;

/// A storage medium: memory, a file name, a stream or storage object, or a shared handle.
struct TStgMedium {
  uint32_t tymed = TYMED_NULL;
  HGLOBAL hGlobal;
  std::u16string fileName;
  TRefCounted* object = nullptr;          // stream or storage (holds a reference)
  uintptr_t handle = 0;                   // GDI objects and metafiles
  TRefCounted* pUnkForRelease = nullptr;  // holds a reference
};

/// Drops what the medium holds and empties it.
void ReleaseStgMedium(TStgMedium& medium);

class TEnumFormatEtc : public TRefCounted {
 public:
  TEnumFormatEtc(TNodeTree* tree, const TFormatEtcArray& formats);
  HRESULT Next(uint32_t count, TFormatEtc* target, uint32_t* fetched);
  HRESULT Skip(uint32_t count);
  HRESULT Reset();
  HRESULT Clone(TEnumFormatEtc** result);

 private:
  TNodeTree* tree_;
  TFormatEtcArray formats_;
  size_t current_ = 0;
};

class TVTDataObject : public TRefCounted {
 public:
  TVTDataObject(TNodeTree* owner, bool forClipboard);
  ~TVTDataObject() override;

  /// Registers a notification sink; the advise holder is made on first use.
  HRESULT DAdvise(const TFormatEtc& format, uint32_t flags, std::function<void()> sink, uint32_t* connection);
  HRESULT DUnadvise(uint32_t connection);
  HRESULT EnumDAdvise(std::vector<uint32_t>* connections);
  HRESULT EnumFormatEtc(uint32_t direction, TEnumFormatEtc** result);
  HRESULT GetCanonicalFormatEtc(const TFormatEtc& in, TFormatEtc* out);
  HRESULT GetData(const TFormatEtc& format, TStgMedium& medium);
  HRESULT GetDataHere(const TFormatEtc& format, TStgMedium& medium);
  HRESULT QueryGetData(const TFormatEtc& format);
  HRESULT SetData(const TFormatEtc& format, TStgMedium& medium, bool release);

  /// The tree that made the object, while it exists.
  TNodeTree* Owner() const;
  const TFormatEtcArray& Formats() const { return formats_; }
  TFormatEtcArray& FormatsForUpdate() { return formats_; }

 private:
  struct InternalMedium {
    uint32_t Format;
    TStgMedium Medium;
  };
  struct AdviseHolder {
    std::vector<std::pair<uint32_t, std::function<void()>>> Sinks;
    uint32_t Next = 1;
  };
  InternalMedium* FindInternal(const TFormatEtc& format);
  HRESULT CopyMedium(TStgMedium& target, const TStgMedium& source, bool copyMemory);

  uint64_t ownerId_;  // the tree's id: the object may outlive the tree
  bool forClipboard_;
  TFormatEtcArray formats_;
  std::vector<InternalMedium> internal_;
  std::unique_ptr<AdviseHolder> advise_;
};

class TVTDragManager : public TRefCounted {
 public:
  explicit TVTDragManager(TNodeTree* owner);
  ~TVTDragManager() override;

  // Drop target.
  HRESULT DragEnter(TVTDataObject* data, uint32_t keyState, TPoint point, uint32_t& effect);
  HRESULT DragOver(uint32_t keyState, TPoint point, uint32_t& effect);
  HRESULT DragLeave();
  HRESULT Drop(TVTDataObject* data, uint32_t keyState, TPoint point, uint32_t& effect);
  void ForceDragLeave();
  // Drop source.
  HRESULT GiveFeedback(uint32_t effect);
  HRESULT QueryContinueDrag(bool escapePressed, uint32_t keyState);

  TNodeTree* DragSource() const { return dragSource_; }
  /// This platform offers no shell helper that draws drag images over windows.
  bool DropTargetHelperSupported() const { return false; }
  bool IsDropTarget() const { return isDropTarget_; }
  TVTDataObject* DataObject() const { return dataObject_.get(); }
  /// The data object of a drag from this tree: the one held, else the tree's, else a new one.
  TVTDataObject* DragDataObject();
  /// Starts a drag of the tree's data; returns the effect performed.
  uint32_t StartDrag(uint32_t allowedEffects);
  /// Makes the window a drop target (or stops it being one).
  bool Register(bool accept);
  /// The tree is being destroyed.
  void TreeGone();

 private:
  /// Turns the window's drag events into the calls above.
  class WindowTarget : public TDropTargetHandler {
   public:
    explicit WindowTarget(TVTDragManager& manager) : manager_(manager) {}
    uint32_t DragEnter(const TDragFormats& formats, uint32_t keyState, TPoint point,
                       uint32_t effect) override;
    uint32_t DragOver(uint32_t keyState, TPoint point, uint32_t effect) override;
    void DragLeave() override;
    uint32_t Drop(const TDragFormats& formats, uint32_t keyState, TPoint point, uint32_t effect) override;

   private:
    TVTDragManager& manager_;
  };

  TNodeTree* owner_;
  WindowTarget windowTarget_{*this};
  TNodeTree* dragSource_ = nullptr;
  bool isDropTarget_ = false;
  TRef<TVTDataObject> dataObject_;
  bool fullWindowDrag_ = true;
  bool registered_ = false;
};

/// The drag image of a drag from `tree`: the dragged rows on screen (the selected nodes with
/// their children) as the tree paints them, blended at a constant alpha onto transparent
/// pixels, so the image is translucent (32 bits, premultiplied alpha). `origin` receives the
/// image's top-left corner in client coordinates. False, leaving `image` alone, when no dragged
/// row is on screen.
bool MakeDragImage(TNodeTree& tree, TBitmap& image, TPoint& origin);
/// How opaque the drag image is, out of 256.
constexpr int32_t kDragImageAlpha = 192;

/// The clipboard format that carries a tree reference.
uint32_t TreeReferenceFormat();
/// The tree the data object came from, when it is a tree of this process.
TNodeTree* TreeFromDataObject(TVTDataObject* data);
/// A data object holding the formats of a drag from another window (as HGLOBAL media).
TVTDataObject* DataObjectFromFormats(const TDragFormats& formats);
