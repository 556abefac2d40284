#include "platform/core/Classes.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "platform/core/ComponentStreaming.h"
#include "platform/core/SysUtils.h"
#include "platform/core/TypInfo.h"

// ---------------------------------------------------------------------------------------
// TPersistent

void TPersistent::Assign(const TPersistent* source) {
  if (source != nullptr)
    source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const {
  dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const {
  const std::string sourceName = source != nullptr ? source->ClassName() : std::string("nil");
  throw EConvertError(Format("Cannot assign a %s to a %s", {sourceName, ClassName()}));
}

std::string TPersistent::GetNamePath() const {
  std::string path = GetOwner() != nullptr ? GetOwner()->GetNamePath() : std::string();
  return path.empty() ? ClassName() : path;
}

const TPropertyList& TPersistent::ClassProperties() {
  static const TPropertyList list;
  return list;
}

// ---------------------------------------------------------------------------------------
// TCollectionItem

TCollectionItem::~TCollectionItem() {
  if (collection_ != nullptr) collection_->ItemDestroyed(this);
}

int TCollectionItem::Index() const {
  return collection_ != nullptr ? collection_->IndexOf(this) : -1;
}

void TCollectionItem::SetIndex(int index) {
  if (collection_ == nullptr) return;
  const int current = Index();
  if (current != index) collection_->MoveItem(current, index);
}

TPersistent* TCollectionItem::GetOwner() const {
  return collection_;
}

std::string TCollectionItem::GetNamePath() const {
  if (collection_ == nullptr) return ClassName();
  return Format("%s[%d]", {collection_->GetNamePath(), Index()});
}

void TCollectionItem::Changed(bool allItems) {
  if (collection_ == nullptr || collection_->UpdateCount() != 0) return;
  if (allItems)
    collection_->Update(nullptr);
  else
    collection_->ItemChanged(this);
}

// ---------------------------------------------------------------------------------------
// TCollection

TCollection::TCollection(TCollectionItemClass itemClass) : itemClass_(std::move(itemClass)) {}

TCollection::~TCollection() {
  // Free the items without change notifications: the derived collection is already gone.
  while (!items_.empty()) {
    std::unique_ptr<TCollectionItem> doomed = std::move(items_.back());
    items_.pop_back();
    doomed->collection_ = nullptr;
  }
}

TCollectionItem* TCollection::Add() {
  return Insert(Count());
}

TCollectionItem* TCollection::Insert(int index) {
  if (!itemClass_) throw EListError("Collection has no item class");
  return InsertItem(index, itemClass_());
}

TCollectionItem* TCollection::AddItem(std::unique_ptr<TCollectionItem> item) {
  return InsertItem(Count(), std::move(item));
}

TCollectionItem* TCollection::InsertItem(int index, std::unique_ptr<TCollectionItem> item) {
  if (!item) throw EListError("Cannot add a nil item");
  if (item->collection_ != nullptr) throw EListError("Item already belongs to a collection");
  if (index < 0 || index > Count()) RaiseListIndexError(index);
  TCollectionItem* raw = item.get();
  raw->collection_ = this;
  raw->id_ = nextId_++;
  items_.insert(items_.begin() + index, std::move(item));
  Notify(raw, cnAdded);
  Changed();
  return raw;
}

std::unique_ptr<TCollectionItem> TCollection::Detach(int index) {
  std::unique_ptr<TCollectionItem> item = std::move(items_[static_cast<size_t>(index)]);
  items_.erase(items_.begin() + index);
  item->collection_ = nullptr;
  return item;
}

std::unique_ptr<TCollectionItem> TCollection::Extract(int index) {
  TCollectionItem* item = Items(index);
  Notify(item, cnExtracting);
  std::unique_ptr<TCollectionItem> result = Detach(IndexOf(item));
  Changed();
  return result;
}

void TCollection::Delete(int index) {
  TCollectionItem* item = Items(index);
  Notify(item, cnDeleting);
  std::unique_ptr<TCollectionItem> doomed = Detach(IndexOf(item));
  doomed.reset();
  Changed();
}

void TCollection::ItemDestroyed(TCollectionItem* item) {
  // The item is being destroyed by someone else: give up ownership without freeing it.
  const int index = IndexOf(item);
  if (index < 0) return;
  Notify(item, cnDeleting);
  items_[static_cast<size_t>(index)].release();
  items_.erase(items_.begin() + index);
  item->collection_ = nullptr;
  Changed();
}

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  try {
    while (!items_.empty()) Delete(Count() - 1);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
  return items_[static_cast<size_t>(index)].get();
}

int TCollection::IndexOf(const TCollectionItem* item) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == item) return static_cast<int>(i);
  return -1;
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (const auto& item : items_)
    if (item->id_ == id) return item.get();
  return nullptr;
}

void TCollection::MoveItem(int from, int to) {
  if (to < 0) to = 0;
  if (to >= Count()) to = Count() - 1;
  if (from == to) return;
  std::unique_ptr<TCollectionItem> item = std::move(items_[static_cast<size_t>(from)]);
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, std::move(item));
  Changed();
}

void TCollection::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TCollection*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;  // clearing first would lose every item
  BeginUpdate();
  try {
    Clear();
    for (const auto& item : other->items_) Add()->Assign(item.get());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TCollection::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  Changed();
}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

void TCollection::ItemChanged(TCollectionItem* item) {
  if (updateCount_ == 0) Update(item);
}

std::string TCollection::GetNamePath() const {
  const TPersistent* owner = GetOwner();
  if (owner == nullptr) return ClassName();
  const std::string ownerPath = owner->GetNamePath();
  const std::string prop = PropName();
  if (ownerPath.empty() || prop.empty()) return ClassName();
  return ownerPath + "." + prop;
}

// ---------------------------------------------------------------------------------------
// TComponent

TComponent::TComponent(TComponent* owner) {
  if (owner == nullptr) return;
  owner_ = owner;
  owner->components_.push_back(std::unique_ptr<TComponent>(this));
  try {
    owner->Notification(this, opInsert);
  } catch (...) {
    // The constructor fails, so no destructor will run: leave the owner by hand.
    owner->components_.back().release();
    owner->components_.pop_back();
    throw;
  }
}

TComponent::~TComponent() {
  state_ |= csDestroying;
  // Tell every component that asked about this one (and forget our own requests).
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    other->DropFreeNotify(this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_ != nullptr) {
    // Destroyed directly: leave the owner without being freed a second time.
    TComponent* owner = owner_;
    const int index = ComponentIndex();
    owner->components_[static_cast<size_t>(index)].release();
    owner->components_.erase(owner->components_.begin() + index);
    owner_ = nullptr;
    if ((owner->state_ & csDestroying) == 0) owner->Notification(this, opRemove);
  }
}

const TPropertyList& TComponent::ClassProperties() {
  static const TPropertyList list = TPropertyBuilder<TComponent>(TPersistent::ClassProperties())
                                        .Integer("Tag", &TComponent::Tag, &TComponent::SetTag)
                                        .Default(0)
                                        .Build();
  return list;
}

void TComponent::ValidateName(const std::string& name) const {
  if (name.empty()) return;
  const auto isAlpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  bool valid = isAlpha(name[0]);
  for (char c : name) valid = valid && (isAlpha(c) || (c >= '0' && c <= '9'));
  if (!valid) throw EComponentError(Format("'%s' is not a valid component name", {name}));
  if (owner_ != nullptr) {
    TComponent* other = owner_->FindComponent(name);
    if (other != nullptr && other != this)
      throw EComponentError(Format("A component named %s already exists", {name}));
  }
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  ValidateName(name);
  name_ = name;
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) RaiseListIndexError(index);
  return components_[static_cast<size_t>(index)].get();
}

int TComponent::ComponentIndex() const {
  if (owner_ == nullptr) return -1;
  for (size_t i = 0; i < owner_->components_.size(); ++i)
    if (owner_->components_[i].get() == this) return static_cast<int>(i);
  return -1;
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (const auto& c : components_)
    if (SameText(c->name_, name)) return c.get();
  return nullptr;
}

void TComponent::InsertComponent(std::unique_ptr<TComponent> component) {
  if (!component) return;
  if (component->owner_ != nullptr) throw EComponentError("Component already has an owner");
  TComponent* raw = component.get();
  if (!raw->name_.empty() && FindComponent(raw->name_) != nullptr)
    throw EComponentError(Format("A component named %s already exists", {raw->name_}));  // frees it
  raw->owner_ = this;
  components_.push_back(std::move(component));
  Notification(raw, opInsert);
}

std::unique_ptr<TComponent> TComponent::RemoveComponent(TComponent* component) {
  if (component == nullptr || component->owner_ != this) return nullptr;
  Notification(component, opRemove);
  const int index = component->ComponentIndex();
  std::unique_ptr<TComponent> result = std::move(components_[static_cast<size_t>(index)]);
  components_.erase(components_.begin() + index);
  result->owner_ = nullptr;
  return result;
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    std::unique_ptr<TComponent> doomed = std::move(components_.back());
    components_.pop_back();
    doomed->owner_ = nullptr;
    doomed.reset();
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (component == nullptr || component == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
    freeNotifies_.push_back(component);
  if (std::find(component->freeNotifies_.begin(), component->freeNotifies_.end(), this) ==
      component->freeNotifies_.end())
    component->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (component == nullptr) return;
  DropFreeNotify(component);
  component->DropFreeNotify(this);
}

void TComponent::DropFreeNotify(TComponent* component) {
  freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component),
                      freeNotifies_.end());
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove) RemoveFreeNotification(component);
  NotifyAll(component, operation);
}

void TComponent::NotifyAll(TComponent* component, TOperation operation) {
  // Index loop: a handler may free components of this list.
  for (size_t i = 0; i < components_.size(); ++i) {
    TComponent* child = components_[i].get();
    if (child != component) child->Notification(component, operation);
  }
}

void TComponent::ReadState(TReader& reader) {
  reader.ReadData(this);
}

void TComponent::WriteState(TWriter& writer) {
  writer.WriteData(this);
}

void TComponent::Loaded() {
  state_ &= ~csLoading;
}

// ---------------------------------------------------------------------------------------
// The class registry.

namespace {

struct Registry {
  std::mutex lock;
  // Keyed by the upper-case name; entries are never moved, so pointers to them stay valid.
  std::map<std::string, std::unique_ptr<TPersistentClassInfo>> classes;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterClass(const std::string& name, std::function<std::unique_ptr<TPersistent>()> factory) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  auto& slot = r.classes[UpperCase(name)];
  if (!slot) slot = std::make_unique<TPersistentClassInfo>();
  slot->Name = name;
  slot->Create = std::move(factory);
}

void UnRegisterClass(const std::string& name) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.classes.find(UpperCase(name));
  // The entry stays (callers may hold its pointer); it only stops being found.
  if (it != r.classes.end()) it->second->Create = nullptr;
}

TPersistentClass GetClass(std::string_view name) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.classes.find(UpperCase(name));
  if (it == r.classes.end() || !it->second->Create) return nullptr;
  return it->second.get();
}

TPersistentClass FindClass(std::string_view name) {
  TPersistentClass c = GetClass(name);
  if (c == nullptr) throw EClassNotFound(Format("Class %s not found", {name}));
  return c;
}

std::unique_ptr<TPersistent> CreateObjectByClassName(std::string_view name) {
  return FindClass(name)->Create();
}

std::unique_ptr<TComponent> CreateComponentByClassName(std::string_view name) {
  std::unique_ptr<TPersistent> object = CreateObjectByClassName(name);
  auto* component = dynamic_cast<TComponent*>(object.get());
  if (component == nullptr) throw EReadError(Format("Class %s is not a component", {name}));
  (void)object.release();
  return std::unique_ptr<TComponent>(component);
}
