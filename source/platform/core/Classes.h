// The persistent-object model: TPersistent (assignment and published properties),
// TCollection/TCollectionItem, TComponent (ownership, names, notifications) and the class
// registry that creates objects from the class names found in component streams.
//
// Ownership: a collection owns its items and a component owns the components created with
// it as owner, each in a std::unique_ptr. An item or a component may still be destroyed
// directly (`delete item`): its destructor takes it out of its collection or owner first.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/Object.h"

ZUK_DECLARE_EXCEPTION(EComponentError, Exception)

class TPropertyList;
class TFiler;
class TReader;
class TWriter;
class TCollection;
class TComponent;

/// Declares the registered class name of a class: `ZUK_CLASS_NAME(TRVBorder)`.
#define ZUK_CLASS_NAME(Self)               \
  std::string ClassName() const override { \
    return #Self;                          \
  }

/// Declares that a class publishes properties of its own. The class defines
/// `const TPropertyList& Self::ClassProperties()` in its source file (see TypInfo.h), starting
/// from its parent's list. A class without this macro publishes its parent's list.
#define ZUK_PUBLISHED(Self)                                   \
 public:                                                      \
  static const TPropertyList& ClassProperties();              \
  const TPropertyList& PublishedProperties() const override { \
    return Self::ClassProperties();                           \
  }

// ---------------------------------------------------------------------------------------

/// An object with assignment and streamable (published and defined) properties.
class TPersistent : public TObject {
 public:
  std::string ClassName() const override { return "TPersistent"; }

  /// Copies `source` into this object. The default hands the work to `source->AssignTo`;
  /// when no side knows the other, EConvertError "Cannot assign a X to a Y" is raised
  /// (X is "nil" for a null source).
  virtual void Assign(const TPersistent* source);
  /// Copies this object into `dest`; the default raises the conversion error.
  virtual void AssignTo(TPersistent* dest) const;
  /// The object this one belongs to (a collection for its items, a component for its
  /// owned persistent objects); null by default.
  virtual TPersistent* GetOwner() const { return nullptr; }
  /// A dotted name for messages: the owner's name path and this object's name.
  virtual std::string GetNamePath() const;

  /// Published properties, in streaming order (the parent's first).
  static const TPropertyList& ClassProperties();
  virtual const TPropertyList& PublishedProperties() const { return ClassProperties(); }
  /// Adds the defined (non-published) properties, after the published ones, in this order.
  virtual void DefineProperties(TFiler& filer) { (void)filer; }

 protected:
  [[noreturn]] void AssignError(const TPersistent* source) const;
};

// ---------------------------------------------------------------------------------------
// Collections.

class TCollectionItem;

/// Makes a new, free item of a collection's item class.
using TCollectionItemClass = std::function<std::unique_ptr<TCollectionItem>()>;

template <typename T>
TCollectionItemClass CollectionItemClass() {
  return [] { return std::make_unique<T>(); };
}

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

/// One entry of a TCollection. Items are made free (no collection) and handed to a
/// collection, which owns them; an item destroyed directly leaves its collection.
class TCollectionItem : public TPersistent {
 public:
  TCollectionItem() = default;
  ~TCollectionItem() override;
  TCollectionItem(const TCollectionItem&) = delete;
  TCollectionItem& operator=(const TCollectionItem&) = delete;
  std::string ClassName() const override { return "TCollectionItem"; }

  TCollection* Collection() const { return collection_; }
  /// Position in the collection, -1 when the item is in none.
  int Index() const;
  /// Moves the item to `index` within its collection.
  virtual void SetIndex(int index);
  /// A number unique within the collection, given when the item is added.
  int ID() const { return id_; }
  /// The name shown for the item; the class name by default.
  virtual std::string GetDisplayName() const { return ClassName(); }
  TPersistent* GetOwner() const override;
  std::string GetNamePath() const override;

 protected:
  /// Tells the collection that this item (or, with `allItems`, every item) changed.
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

/// An ordered list of items of one item class, owned by the collection.
class TCollection : public TPersistent {
 public:
  explicit TCollection(TCollectionItemClass itemClass);
  ~TCollection() override;
  TCollection(const TCollection&) = delete;
  TCollection& operator=(const TCollection&) = delete;
  std::string ClassName() const override { return "TCollection"; }

  /// Makes a new item of the item class and appends it.
  TCollectionItem* Add();
  /// Makes a new item of the item class and inserts it at `index` (0..Count).
  TCollectionItem* Insert(int index);
  /// Appends an item made elsewhere (it must not be in a collection).
  TCollectionItem* AddItem(std::unique_ptr<TCollectionItem> item);
  /// Inserts an item made elsewhere at `index` (0..Count).
  TCollectionItem* InsertItem(int index, std::unique_ptr<TCollectionItem> item);
  /// Takes the item at `index` out of the collection and hands it to the caller.
  std::unique_ptr<TCollectionItem> Extract(int index);
  /// Removes and frees the item at `index`.
  void Delete(int index);
  /// Removes and frees every item, the last first.
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  /// The item at `index`; EListError "List index out of bounds (n)" outside 0..Count-1.
  TCollectionItem* Items(int index) const;
  int IndexOf(const TCollectionItem* item) const;
  TCollectionItem* FindItemID(int id) const;
  const TCollectionItemClass& ItemClass() const { return itemClass_; }

  /// Copies another collection: clears this one and adds an item of this collection's item
  /// class for every item of the source, assigned from it.
  void Assign(const TPersistent* source) override;

  void BeginUpdate() { ++updateCount_; }
  /// Ends an update; the outermost EndUpdate reports the change (Update(nullptr)).
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  std::string GetNamePath() const override;
  /// The name of the property of the owner that holds this collection (for name paths).
  virtual std::string PropName() const { return propName_; }
  void SetPropName(std::string name) { propName_ = std::move(name); }

 protected:
  /// Called when an item (or, with nullptr, the whole collection) changed and no update
  /// is running.
  virtual void Update(TCollectionItem* item) { (void)item; }
  /// Called when an item is added, is about to be taken out, or is about to be freed. An
  /// item destroyed directly (`delete item`) is already in its TCollectionItem destructor
  /// here: only its TCollectionItem members (Index, ID) may be used.
  virtual void Notify(TCollectionItem* item, TCollectionNotification action) {
    (void)item;
    (void)action;
  }
  void Changed();

 private:
  friend class TCollectionItem;
  std::unique_ptr<TCollectionItem> Detach(int index);
  void ItemDestroyed(TCollectionItem* item);
  void ItemChanged(TCollectionItem* item);
  void MoveItem(int from, int to);

  TCollectionItemClass itemClass_;
  std::vector<std::unique_ptr<TCollectionItem>> items_;
  int updateCount_ = 0;
  int nextId_ = 0;
  std::string propName_;
};

/// A collection that reports an owner (the object holding it) through GetOwner.
class TOwnedCollection : public TCollection {
 public:
  TOwnedCollection(TPersistent* owner, TCollectionItemClass itemClass)
      : TCollection(std::move(itemClass)), owner_(owner) {}
  std::string ClassName() const override { return "TOwnedCollection"; }
  TPersistent* GetOwner() const override { return owner_; }

 private:
  TPersistent* owner_;
};

// ---------------------------------------------------------------------------------------
// Components.

enum TOperation { opInsert, opRemove };

/// Bits of TComponent::ComponentState.
enum TComponentStateBit : unsigned {
  csLoading = 1u << 0,     // properties are being read; Loaded() follows
  csReading = 1u << 1,     // the component is being read from a stream
  csWriting = 1u << 2,     // the component is being written
  csDestroying = 1u << 3,  // the destructor is running
};

/// A named persistent object with an owner. The owner frees what it owns, and is told
/// (Notification) when components come and go.
class TComponent : public TPersistent {
 public:
  /// Makes a component owned by `owner`. With an owner, the owner takes ownership of the
  /// new object (do not also hold it in a unique_ptr); without one the caller owns it.
  explicit TComponent(TComponent* owner = nullptr);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  std::string ClassName() const override { return "TComponent"; }
  ZUK_PUBLISHED(TComponent)

 public:
  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  /// Renames the component. The name must be empty or an identifier, and unique among the
  /// owner's components (case-insensitive); else EComponentError.
  virtual void SetName(const std::string& name);
  int32_t Tag() const { return tag_; }
  void SetTag(int32_t tag) { tag_ = tag; }
  unsigned ComponentState() const { return state_; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  /// The owned component at `index`; EListError outside 0..ComponentCount-1.
  TComponent* Components(int index) const;
  /// Position in the owner's component list, -1 without an owner.
  int ComponentIndex() const;
  /// The owned component of that name (case-insensitive), or null.
  TComponent* FindComponent(std::string_view name) const;

  /// Takes ownership of `component` (which must have no owner) and notifies opInsert. A
  /// component whose name is taken is freed and EComponentError raised.
  void InsertComponent(std::unique_ptr<TComponent> component);
  /// Notifies opRemove and hands the owned `component` back to the caller.
  std::unique_ptr<TComponent> RemoveComponent(TComponent* component);
  /// Frees every owned component, the last first.
  void DestroyComponents();

  /// Asks to be told (Notification with opRemove) when `component` is destroyed; the
  /// other component is told likewise when this one goes.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  TPersistent* GetOwner() const override { return owner_; }
  std::string GetNamePath() const override { return name_; }

  // Streaming hooks.
  /// Reads this component's properties and children (the default calls reader.ReadData).
  virtual void ReadState(TReader& reader);
  /// Writes this component's properties and children (the default calls writer.WriteData).
  virtual void WriteState(TWriter& writer);
  /// Reports the components written as this component's children; none by default.
  virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    (void)proc;
    (void)root;
  }
  /// The component whose child list this one is read in (the default does nothing).
  virtual void SetParentComponent(TComponent* parent) { (void)parent; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  /// Called once after the component and everything read with it have been read.
  virtual void Loaded();

  void SetComponentState(unsigned bits) { state_ |= bits; }
  void ClearComponentState(unsigned bits) { state_ &= ~bits; }

 protected:
  /// Told of insertions into and removals from the owned list (of this component and of
  /// every owner above, which pass the news down), and of freed components registered with
  /// FreeNotification. The default passes the news to every owned component.
  virtual void Notification(TComponent* component, TOperation operation);

 private:
  void ValidateName(const std::string& name) const;
  void NotifyAll(TComponent* component, TOperation operation);
  void DropFreeNotify(TComponent* component);

  TComponent* owner_ = nullptr;
  std::string name_;
  int32_t tag_ = 0;
  unsigned state_ = 0;
  std::vector<std::unique_ptr<TComponent>> components_;
  std::vector<TComponent*> freeNotifies_;
};

// ---------------------------------------------------------------------------------------
// The class registry.

/// A registered class: its name and how to make an object of it.
struct TPersistentClassInfo {
  std::string Name;
  std::function<std::unique_ptr<TPersistent>()> Create;
};
using TPersistentClass = const TPersistentClassInfo*;

/// Registers `name` with a factory; registering a name again replaces the factory.
void RegisterClass(const std::string& name, std::function<std::unique_ptr<TPersistent>()> factory);
template <typename T>
void RegisterClass(const std::string& name) {
  RegisterClass(name, [] { return std::make_unique<T>(); });
}
void UnRegisterClass(const std::string& name);
/// The class registered under `name` (case-insensitive), or null.
TPersistentClass GetClass(std::string_view name);
/// As GetClass, but raises EClassNotFound "Class X not found".
TPersistentClass FindClass(std::string_view name);
/// Makes an object of the class registered under `name`; EClassNotFound when there is none.
std::unique_ptr<TPersistent> CreateObjectByClassName(std::string_view name);
/// Makes a component of the class registered under `name`; EClassNotFound when there is
/// none, EReadError when that class is not a component.
std::unique_ptr<TComponent> CreateComponentByClassName(std::string_view name);
