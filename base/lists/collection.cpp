#include "base/lists/collection.h"

#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TCollectionItem)
CORVANE_IMPLEMENT_CLASS(TCollection)

namespace {

void WrongItemClassError(const TCollectionItem& item, const TCollection& collection) {
  const std::string itemClass = collection.ItemClass() ? collection.ItemClass()->Name() : std::string("nil");
  EngineError(Utf8ToUtf16("Cannot add a " + item.ClassName() + " to a collection of " + itemClass));
}

}  // namespace

// ---- TCollectionItem -------------------------------------------------------

TCollectionItem::TCollectionItem(const TCreateContext& context) {
  // Only the list entry here: the item is not whole yet, so the collection
  // hears of it in AfterConstruction.
  if (auto* collection = dynamic_cast<TCollection*>(context.Owner)) collection->AttachItem(this);
}

TCollectionItem::~TCollectionItem() {
  // Deleted without Free (or a descendant skipped BeforeDestruction): never
  // leave the collection pointing at freed memory.
  if (collection_) collection_->items_.Remove(this);
  collection_ = nullptr;
}

void TCollectionItem::AfterConstruction() {
  TPersistent::AfterConstruction();
  if (!collection_) return;
  if (!InheritsFrom(collection_->ItemClass())) {
    WrongItemClassError(*this, *collection_);
    collection_->items_.Remove(this);
    collection_ = nullptr;
    return;
  }
  collection_->Changed();
}

void TCollectionItem::BeforeDestruction() {
  SetCollection(nullptr);
  TPersistent::BeforeDestruction();
}

void TCollectionItem::SetCollection(TCollection* value) {
  if (value == collection_) return;
  if (value && !InheritsFrom(value->ItemClass())) return WrongItemClassError(*this, *value);
  if (collection_) collection_->RemoveItem(this);
  if (value) value->InsertItem(this);
}

int TCollectionItem::Index() const { return collection_ ? collection_->items_.IndexOf(this) : -1; }

void TCollectionItem::SetIndex(int value) {
  const int current = Index();
  if (current < 0 || current == value) return;
  if (value < 0 || value >= collection_->Count()) return ListIndexError(value);
  collection_->items_.Move(current, value);
  Changed(true);
}

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

std::string TCollectionItem::GetNamePath() const {
  if (!collection_) return ClassName();
  return collection_->GetNamePath() + "[" + IntToStr8(Index()) + "]";
}

void TCollectionItem::Changed(bool allItems) {
  if (collection_ && collection_->updateCount_ == 0) collection_->Update(allItems ? nullptr : this);
}

// ---- TCollection -----------------------------------------------------------

TCollection::TCollection(TClass itemClass, TPersistent* owner) : itemClass_(itemClass), owner_(owner) {}

TCollection::TCollection(const TCreateContext& context, TClass itemClass)
    : itemClass_(itemClass), owner_(dynamic_cast<TPersistent*>(context.Owner)) {}

TCollection::~TCollection() {
  ++updateCount_;
  FreeItems();
}

void TCollection::BeforeDestruction() {
  ++updateCount_;  // no Update calls while dying
  FreeItems();
  TPersistent::BeforeDestruction();
}

void TCollection::FreeItems() {
  // Each item takes itself out of the list as it goes (its destructor at the
  // latest), so this always ends.
  while (items_.Count() > 0) items_.Get(items_.Count() - 1)->Free();
}

std::string TCollection::GetNamePath() const {
  if (!owner_) return ClassName();
  const std::string ownerPath = owner_->GetNamePath();
  if (ownerPath.empty()) return ClassName();
  const std::string prop = PropName();
  if (prop.empty()) return ClassName();
  return ownerPath + "." + prop;
}

std::string TCollection::PropName() const {
  for (const TPropInfo* prop : owner_->ClassType()->Properties()) {
    if (prop->Kind() != pkClass || !prop->CanRead()) continue;
    if (prop->Access().GetObject(*owner_) == this) return prop->Name();
  }
  return {};
}

TCollectionItem* TCollection::Add() {
  const TClass base = TCollectionItem::StaticClass();
  if (!itemClass_ || !itemClass_->InheritsFrom(base) || !itemClass_->CanCreate()) {
    const std::string name = itemClass_ ? itemClass_->Name() : std::string("nil");
    EngineError(Utf8ToUtf16("Cannot create a collection item of class " + name));
    return nullptr;
  }
  TObject* object = itemClass_->CreateInstance(TCreateContext(this));
  auto* item = dynamic_cast<TCollectionItem*>(object);
  if (!item) {
    if (object) object->Free();
    EngineError(Utf8ToUtf16("Cannot create a collection item of class " + itemClass_->Name()));
    return nullptr;
  }
  // A constructor that did not hand the context on has not joined yet.
  if (item->Collection() != this) item->SetCollection(this);
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  if (index < 0 || index > Count()) {
    ListIndexError(index);
    return nullptr;
  }
  TCollectionItem* item = Add();
  if (item) item->SetIndex(index);
  return item;
}

void TCollection::Delete(int index) {
  if (TCollectionItem* item = items_.Get(index)) item->Free();
}

void TCollection::Clear() {
  if (items_.Count() == 0) return;
  BeginUpdate();
  FreeItems();
  EndUpdate();
}

void TCollection::Exchange(int index1, int index2) {
  TCollectionItem* item1 = items_.Get(index1);
  if (!item1) return;
  TCollectionItem* item2 = items_.Get(index2);
  if (!item2 || item1 == item2) return;
  BeginUpdate();
  item1->SetIndex(index2);
  item2->SetIndex(index1);
  EndUpdate();
}

void TCollection::Move(int curIndex, int newIndex) {
  if (TCollectionItem* item = items_.Get(curIndex)) item->SetIndex(newIndex);
}

TCollectionItem* TCollection::FindItemID(std::int32_t id) const {
  for (TCollectionItem* item : items_)
    if (item->ID() == id) return item;
  return nullptr;
}

void TCollection::EndUpdate() {
  if (updateCount_ == 0) return;  // unbalanced: nothing to end
  if (--updateCount_ == 0) Changed();
}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

void TCollection::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TCollection*>(source)) {
    if (other == this) return;  // clearing first would lose the items
    BeginUpdate();
    Clear();
    for (int i = 0, n = other->Count(); i < n; ++i) {
      TCollectionItem* item = Add();
      if (!item) break;
      item->Assign(other->Items(i));
    }
    EndUpdate();
    return;
  }
  TPersistent::Assign(source);
}

void TCollection::AttachItem(TCollectionItem* item) {
  items_.Add(item);
  item->collection_ = this;
  item->id_ = nextID_++;
}

void TCollection::InsertItem(TCollectionItem* item) {
  AttachItem(item);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
  items_.Remove(item);
  item->collection_ = nullptr;
  Changed();
}

}  // namespace corvane
