#include "base/lists/collection.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/reflection/class_builder.h"
#include "tests/support/capture_log.h"

namespace corvane {
namespace {

std::vector<int> gDestroyed;  // the values of destroyed keys, in order

class TTestKey : public TCollectionItem {
  CORVANE_CLASS(TTestKey, TCollectionItem)
  using TCollectionItem::TCollectionItem;
  ~TTestKey() override { gDestroyed.push_back(value); }

  void Assign(const TPersistent* source) override {
    if (const auto* key = dynamic_cast<const TTestKey*>(source)) {
      value = key->value;
      Changed(false);
      return;
    }
    TCollectionItem::Assign(source);
  }
  int value = 0;
};

class TOtherItem : public TCollectionItem {
  CORVANE_CLASS(TOtherItem, TCollectionItem)
  using TCollectionItem::TCollectionItem;
};

// Records every Update call: the item, or nullptr for "all".
class TTestKeys : public TCollection {
  CORVANE_CLASS(TTestKeys, TCollection)
  explicit TTestKeys(TPersistent* owner = nullptr) : TCollection(TTestKey::StaticClass(), owner) {}

  TTestKey* Key(int i) const { return static_cast<TTestKey*>(Items(i)); }
  std::vector<TCollectionItem*> updates;

 protected:
  void Update(TCollectionItem* item) override { updates.push_back(item); }
};

class TKeyOwner : public TPersistent {
  CORVANE_CLASS(TKeyOwner, TPersistent)
  static void Describe(TClassBuilder<TKeyOwner>& c);
  TKeyOwner() : keys_(new TTestKeys(this)) {}
  ~TKeyOwner() override { keys_->Free(); }

  TTestKeys* Keys() const { return keys_; }

 private:
  TTestKeys* keys_;
};

CORVANE_IMPLEMENT_CLASS(TTestKey)
CORVANE_IMPLEMENT_CLASS(TOtherItem)
CORVANE_IMPLEMENT_CLASS(TTestKeys)
CORVANE_IMPLEMENT_CLASS(TKeyOwner)

void TKeyOwner::Describe(TClassBuilder<TKeyOwner>& c) { c.Property("keys", &TKeyOwner::Keys); }

std::vector<int> Values(const TTestKeys& keys) {
  std::vector<int> out;
  for (int i = 0; i < keys.Count(); ++i) out.push_back(keys.Key(i)->value);
  return out;
}

// A collection of keys 0, 1, 2, 3.
TTestKeys* MakeKeys() {
  auto* keys = new TTestKeys;
  for (int i = 0; i < 4; ++i) static_cast<TTestKey*>(keys->Add())->value = i;
  keys->updates.clear();
  return keys;
}

TEST(Collection, AddMakesAnItemOfTheItemClass) {
  TTestKeys keys;
  TCollectionItem* a = keys.Add();
  TCollectionItem* b = keys.Add();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->ClassType(), TTestKey::StaticClass());
  EXPECT_EQ(a->Collection(), &keys);
  EXPECT_EQ(a->GetOwner(), &keys);
  EXPECT_EQ(b->Index(), 1);
  EXPECT_EQ(b->ID(), a->ID() + 1);
  EXPECT_EQ(keys.updates, (std::vector<TCollectionItem*>{nullptr, nullptr}));

  // A collection made through its class description holds plain items.
  TObject* made = TCollection::StaticClass()->CreateInstance(TCreateContext());
  auto* plain = dynamic_cast<TCollection*>(made);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->ItemClass(), TCollectionItem::StaticClass());
  EXPECT_EQ(plain->Add()->ClassType(), TCollectionItem::StaticClass());
  plain->Free();
}

TEST(Collection, AnItemClassThatCannotMakeItemsIsReported) {
  test::TCaptureLog log;
  TCollection abstract(TPersistent::StaticClass(), nullptr);
  EXPECT_EQ(abstract.Add(), nullptr);
  TCollection none(nullptr, nullptr);
  EXPECT_EQ(none.Add(), nullptr);
  EXPECT_EQ(log.CountError("Cannot create a collection item of class TPersistent"), 1) << log.Text();
  EXPECT_EQ(log.CountError("Cannot create a collection item of class nil"), 1) << log.Text();
  EXPECT_EQ(abstract.Count() + none.Count(), 0);
}

// A freed item leaves its collection; a freed collection frees every item
// once, last first, whether freed or deleted.
TEST(Collection, FreeingItemsAndCollections) {
  gDestroyed.clear();
  TTestKeys* keys = MakeKeys();
  keys->Key(1)->Free();
  EXPECT_EQ(Values(*keys), (std::vector<int>{0, 2, 3}));
  EXPECT_EQ(keys->updates, (std::vector<TCollectionItem*>{nullptr}));
  keys->Free();
  EXPECT_EQ(gDestroyed, (std::vector<int>{1, 3, 2, 0}));

  gDestroyed.clear();
  delete MakeKeys();
  EXPECT_EQ(gDestroyed, (std::vector<int>{3, 2, 1, 0}));
}

TEST(Collection, EditingOperations) {
  struct Case {
    const char* name;
    std::function<void(TTestKeys&)> edit;
    std::vector<int> values;
  };
  const Case cases[] = {
      {"delete", [](TTestKeys& k) { k.Delete(0); }, {1, 2, 3}},
      {"clear", [](TTestKeys& k) { k.Clear(); }, {}},
      {"insert", [](TTestKeys& k) { static_cast<TTestKey*>(k.Insert(1))->value = 9; }, {0, 9, 1, 2, 3}},
      {"insert at count", [](TTestKeys& k) { static_cast<TTestKey*>(k.Insert(4))->value = 9; }, {0, 1, 2, 3, 9}},
      {"set index", [](TTestKeys& k) { k.Key(0)->SetIndex(2); }, {1, 2, 0, 3}},
      {"move", [](TTestKeys& k) { k.Move(3, 0); }, {3, 0, 1, 2}},
      {"exchange", [](TTestKeys& k) { k.Exchange(0, 3); }, {3, 1, 2, 0}},
      {"exchange backwards", [](TTestKeys& k) { k.Exchange(2, 1); }, {0, 2, 1, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TCaptureLog log;
    TTestKeys* keys = MakeKeys();
    c.edit(*keys);
    EXPECT_EQ(Values(*keys), c.values);
    EXPECT_FALSE(keys->updates.empty());
    EXPECT_TRUE(log.Lines().empty()) << log.Text();
    for (int i = 0; i < keys->Count(); ++i) EXPECT_EQ(keys->Items(i)->Index(), i);
    keys->Free();
  }
}

TEST(Collection, IndexErrorsAreReportedAndChangeNothing) {
  struct Case {
    const char* name;
    std::function<void(TTestKeys&)> call;
    const char* message;
  };
  const Case cases[] = {
      {"items", [](TTestKeys& k) { EXPECT_EQ(k.Items(4), nullptr); }, "List index out of bounds (4)"},
      {"delete", [](TTestKeys& k) { k.Delete(-1); }, "List index out of bounds (-1)"},
      {"insert", [](TTestKeys& k) { EXPECT_EQ(k.Insert(5), nullptr); }, "List index out of bounds (5)"},
      {"set index", [](TTestKeys& k) { k.Key(1)->SetIndex(4); }, "List index out of bounds (4)"},
      {"move", [](TTestKeys& k) { k.Move(7, 0); }, "List index out of bounds (7)"},
      {"exchange", [](TTestKeys& k) { k.Exchange(0, 4); }, "List index out of bounds (4)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTestKeys* keys = MakeKeys();
    test::TCaptureLog log;
    c.call(*keys);
    EXPECT_EQ(log.CountError(c.message), 1) << log.Text();
    EXPECT_EQ(Values(*keys), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_TRUE(keys->updates.empty());
    keys->Free();
  }
}

TEST(Collection, UpdatesAreReportedOnceAfterTheOutermostEndUpdate) {
  TTestKeys* keys = MakeKeys();
  TTestKey* key = keys->Key(2);
  TTestKey source(TCreateContext{});
  source.value = 7;
  key->Assign(&source);
  EXPECT_EQ(keys->updates, (std::vector<TCollectionItem*>{key}));
  keys->updates.clear();

  keys->BeginUpdate();
  keys->BeginUpdate();
  keys->Add();
  keys->Delete(0);
  key->Assign(&source);
  keys->EndUpdate();
  EXPECT_TRUE(keys->updates.empty());
  keys->EndUpdate();
  EXPECT_EQ(keys->updates, (std::vector<TCollectionItem*>{nullptr}));
  keys->EndUpdate();  // unbalanced: ignored
  EXPECT_EQ(keys->updates.size(), 1u);
  keys->Free();
}

TEST(Collection, FindItemIDAndIDsAreNeverReused) {
  TTestKeys* keys = MakeKeys();
  const std::int32_t id = keys->Key(3)->ID();
  EXPECT_EQ(keys->FindItemID(id), keys->Key(3));
  keys->Delete(3);
  EXPECT_EQ(keys->FindItemID(id), nullptr);
  EXPECT_GT(keys->Add()->ID(), id);
  keys->Free();
}

TEST(Collection, ItemsMoveBetweenCollectionsOfTheirClass) {
  TTestKeys* from = MakeKeys();
  TTestKeys to;
  TTestKey* key = from->Key(0);
  key->SetCollection(&to);
  EXPECT_EQ(Values(*from), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(to.Count(), 1);
  EXPECT_EQ(key->Collection(), &to);

  test::TCaptureLog log;
  // An item created into a collection of another item class does not join.
  auto* other = Create<TOtherItem>(TCreateContext(&to));
  EXPECT_EQ(other->Collection(), nullptr);
  other->SetCollection(&to);
  EXPECT_EQ(log.CountError("Cannot add a TOtherItem to a collection of TTestKey"), 2) << log.Text();
  EXPECT_EQ(to.Count(), 1);
  other->Free();

  key->SetCollection(nullptr);
  EXPECT_EQ(key->Index(), -1);
  EXPECT_EQ(key->GetNamePath(), "TTestKey");
  key->Free();
  from->Free();
}

TEST(Collection, AssignGivesTheSameItemsEachAssigned) {
  TTestKeys* source = MakeKeys();
  TTestKeys target;
  target.Add();
  target.updates.clear();
  target.Assign(source);
  EXPECT_EQ(Values(target), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(target.updates, (std::vector<TCollectionItem*>{nullptr}));

  target.Assign(&target);  // onto itself: kept
  EXPECT_EQ(Values(target), (std::vector<int>{0, 1, 2, 3}));

  test::TCaptureLog log;
  TKeyOwner notACollection;
  target.Assign(&notACollection);
  EXPECT_EQ(log.CountError("Cannot assign a TKeyOwner to a TTestKeys"), 1) << log.Text();
  EXPECT_EQ(target.Count(), 4);
  source->Free();
}

TEST(Collection, NamePathsFollowTheOwnersProperty) {
  TKeyOwner owner;
  owner.Keys()->Add();
  owner.Keys()->Add();
  EXPECT_EQ(owner.Keys()->GetOwner(), &owner);
  EXPECT_EQ(owner.Keys()->GetNamePath(), "TKeyOwner.keys");
  EXPECT_EQ(owner.Keys()->Items(1)->GetNamePath(), "TKeyOwner.keys[1]");
  TTestKeys loose;
  EXPECT_EQ(loose.GetNamePath(), "TTestKeys");
}

}  // namespace
}  // namespace corvane
