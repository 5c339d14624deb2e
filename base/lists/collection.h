// TCollection and TCollectionItem: an owned, ordered list of items of one
// item class, streamed as a collection value (key frames, particle keys).
//
// Items are made through the item class's description: Add() creates one
// with a context whose Owner is the collection, and the item's constructor
// puts it into that collection. Freeing the collection frees its items;
// freeing an item takes it out of its collection.
#pragma once

#include <cstdint>
#include <string>

#include "base/lists/list.h"
#include "base/reflection/persistent.h"

namespace corvane {

class TCollection;

class TCollectionItem : public TPersistent {
  CORVANE_CLASS(TCollectionItem, TPersistent)
  // Joins the collection when context.Owner is one.
  explicit TCollectionItem(const TCreateContext& context);
  ~TCollectionItem() override;
  // Checks the item class against the collection's and tells the
  // collection about the new item.
  void AfterConstruction() override;
  // Leaves the collection while the item is whole.
  void BeforeDestruction() override;

  TCollection* Collection() const { return collection_; }
  // Leaves the current collection and joins value (nullptr: none).
  void SetCollection(TCollection* value);
  // Position in the collection, -1 without one.
  int Index() const;
  // Moves the item inside its collection.
  virtual void SetIndex(int value);
  // Unique within the collection, given in creation order, never reused.
  std::int32_t ID() const { return id_; }

  TPersistent* GetOwner() const override;
  // "<collection path>[<index>]", the class name without a collection.
  std::string GetNamePath() const override;

 protected:
  // Tells the collection (outside an update): allItems -> Update(nullptr),
  // else Update(this).
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  std::int32_t id_ = 0;
};

class TCollection : public TPersistent {
  CORVANE_CLASS(TCollection, TPersistent)
  TCollection(TClass itemClass, TPersistent* owner);
  // Items of TCollectionItem; the owner is context.Owner when persistent.
  explicit TCollection(const TCreateContext& context, TClass itemClass = TCollectionItem::StaticClass());
  // Frees the items (when not yet done by BeforeDestruction).
  ~TCollection() override;
  // Frees the items while the collection is whole.
  void BeforeDestruction() override;

  TClass ItemClass() const { return itemClass_; }
  TPersistent* Owner() const { return owner_; }
  TPersistent* GetOwner() const override { return owner_; }
  // The owner's path and the name of the owner's property that holds this
  // collection: "Owner.keys"; the class name when that cannot be found.
  std::string GetNamePath() const override;

  int Count() const { return items_.Count(); }
  // nullptr, after the index report, outside 0 .. Count-1.
  TCollectionItem* Items(int index) const { return items_.Get(index); }
  // A new item of the item class at the end; nullptr (with an error line)
  // when the class cannot make one.
  TCollectionItem* Add();
  // A new item at index (0 .. Count).
  TCollectionItem* Insert(int index);
  // Frees the item at index.
  void Delete(int index);
  // Frees every item, in one update.
  void Clear();
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  TCollectionItem* FindItemID(std::int32_t id) const;

  // Nested; the outermost EndUpdate reports the change (Update(nullptr)).
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // From another collection: within one update, as many items as the source
  // has, each assigned from its counterpart.
  void Assign(const TPersistent* source) override;

 protected:
  // Called after a change while no update is in progress: item is the one
  // item that changed, nullptr when the whole collection may have.
  virtual void Update(TCollectionItem* item) {}
  void Changed();

 private:
  friend class TCollectionItem;
  // Puts the item in the list; the notifications are the caller's.
  void AttachItem(TCollectionItem* item);
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);
  // Frees every item, last first, with Update silenced.
  void FreeItems();
  // The name of the owner's class property that holds this collection.
  std::string PropName() const;

  TClass itemClass_;
  TPersistent* owner_ = nullptr;
  TList<TCollectionItem> items_;
  std::int32_t nextID_ = 0;
  int updateCount_ = 0;
};

}  // namespace corvane
