#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/reflection/basic_action.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/component.h"
#include "base/streams/memory_stream.h"
#include "base/streams/reader.h"
#include "base/streams/writer.h"
#include "base/text/text_convert.h"
#include "tests/support/capture_log.h"

namespace corvane {

// Records the order in which components die and what they were told.
class TTracked : public TGComponent {
  CORVANE_CLASS(TTracked, TGComponent)
  TTracked(const TCreateContext& context, std::vector<std::string>* deaths = nullptr)
      : TGComponent(context), deaths_(deaths) {}
  void BeforeDestruction() override {
    if (deaths_) deaths_->push_back(NarrowLatin1(Name()));
    TGComponent::BeforeDestruction();
  }
  std::vector<std::string>* deaths_;
  // Keeps a reference to a component of another owner, cleared on notice.
  TGComponent* watched = nullptr;
  void Watch(TGComponent* other) {
    watched = other;
    other->FreeNotification(this);
  }

 protected:
  void Notification(TGComponent* component, TOperation operation) override {
    TGComponent::Notification(component, operation);
    if (operation == opRemove && component == watched) watched = nullptr;
  }
};

// A form with a published field that its owned component of that name fills.
class TFormLike : public TGComponent {
  CORVANE_CLASS(TFormLike, TGComponent)
  static void Describe(TClassBuilder<TFormLike>& c) { c.Field("okButton", &TFormLike::okButton); }
  using TGComponent::TGComponent;
  TGComponent* okButton = nullptr;
};

// Holds a weak handle to any object, itself included, and may own another
// that does the same: both let go in the C++ destructors, while the object
// they name dies.
class TWeakHolder : public TGComponent {
  CORVANE_CLASS(TWeakHolder, TGComponent)
  using TGComponent::TGComponent;
  TWeak<TObject> named;
  TOwned<TWeakHolder> part;
};

CORVANE_IMPLEMENT_CLASS(TTracked)
CORVANE_IMPLEMENT_CLASS(TFormLike)
CORVANE_IMPLEMENT_CLASS(TWeakHolder)

namespace {

TTracked* Make(TObject* owner, const char16_t* name, std::vector<std::string>* deaths = nullptr) {
  auto* c = Create<TTracked>(TCreateContext(owner));
  c->deaths_ = deaths;
  c->SetName(name);
  return c;
}

TEST(Component, OwnerDestroysOwnedComponentsLastFirst) {
  std::vector<std::string> deaths;
  TTracked* owner = Make(nullptr, u"owner", &deaths);
  TTracked* a = Make(owner, u"a", &deaths);
  Make(owner, u"b", &deaths);
  Make(a, u"a1", &deaths);  // a's own subtree goes with a
  Make(owner, u"c", &deaths);
  ASSERT_EQ(owner->ComponentCount(), 3);
  owner->Free();
  EXPECT_EQ(deaths, (std::vector<std::string>{"owner", "c", "b", "a", "a1"}));
}

TEST(Component, FreeNotificationAcrossOwnersLeavesNoDanglingPointer) {
  TTracked* left = Make(nullptr, u"left");
  TTracked* right = Make(nullptr, u"right");
  TTracked* watcher = Make(left, u"watcher");
  TTracked* target = Make(right, u"target");
  watcher->Watch(target);
  EXPECT_EQ(watcher->FreeNotifies().size(), 1u);
  EXPECT_EQ(target->FreeNotifies().size(), 1u);  // the link is mutual
  right->Free();                                 // target dies with its owner
  EXPECT_EQ(watcher->watched, nullptr);
  EXPECT_TRUE(watcher->FreeNotifies().empty());
  left->Free();

  // The other direction: the watcher dies first, the target forgets it.
  left = Make(nullptr, u"left");
  right = Make(nullptr, u"right");
  watcher = Make(left, u"watcher");
  target = Make(right, u"target");
  watcher->Watch(target);
  left->Free();
  EXPECT_TRUE(target->FreeNotifies().empty());
  right->Free();
}

TEST(Component, SiblingsFreeNotificationOnlySetsTheFlag) {
  TTracked* owner = Make(nullptr, u"owner");
  TTracked* a = Make(owner, u"a");
  TTracked* b = Make(owner, u"b");
  a->FreeNotification(b);
  EXPECT_TRUE(a->FreeNotifies().empty());
  EXPECT_TRUE(a->HasState(csFreeNotification));
  owner->Free();
}

TEST(Component, RenameRules) {
  test::TCaptureLog log;
  TTracked* owner = Make(nullptr, u"owner");
  TTracked* a = Make(owner, u"a");
  TTracked* b = Make(owner, u"b");
  log.Clear();

  struct Row {
    TTracked* who;
    const char16_t* name;
    const char* expected;  // log text, or empty
  } rows[] = {
      {a, u"a", ""},                           // same name: nothing at all
      {a, u"A", ""},                           // same without case: no duplicate check
      {a, u"1abc", "(e) InvalidName 1abc"},    // reported, rename goes on
      {a, u"b", "(e) DuplicateName b"},        // reported, rename goes on
      {b, u"", ""},                            // empty names are allowed
      {b, u"x_9", ""},
  };
  for (const Row& r : rows) {
    log.Clear();
    r.who->SetName(r.name);
    EXPECT_EQ(r.who->Name(), r.name);
    if (*r.expected) EXPECT_EQ(log.Lines(), std::vector<std::string>{r.expected});
    else EXPECT_TRUE(log.Lines().empty()) << log.Text();
  }
  EXPECT_EQ(owner->FindComponent(u"X_9"), b);  // found without case
  EXPECT_EQ(owner->FindComponent(u""), nullptr);
  owner->Free();
}

TEST(Component, ComponentsOutOfRangeLogsAndGivesNothing) {
  test::TCaptureLog log;
  TTracked* owner = Make(nullptr, u"owner");
  EXPECT_EQ(owner->Components(0), nullptr);  // no list at all
  Make(owner, u"a");
  EXPECT_EQ(owner->Components(-1), nullptr);
  EXPECT_EQ(owner->Components(1), nullptr);
  EXPECT_NE(owner->Components(0), nullptr);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"(i) ListIndexError 0", "(i) ListIndexError -1",
                                                   "(i) ListIndexError 1"}));
  owner->Free();
}

TEST(Component, ComponentIndexClampsAndReorders) {
  TTracked* owner = Make(nullptr, u"owner");
  TTracked* a = Make(owner, u"a");
  TTracked* b = Make(owner, u"b");
  TTracked* c = Make(owner, u"c");
  c->SetComponentIndex(-5);
  EXPECT_EQ(owner->Components(0), c);
  c->SetComponentIndex(1000);
  EXPECT_EQ(owner->Components(2), c);
  EXPECT_EQ(a->ComponentIndex(), 0);
  EXPECT_EQ(b->ComponentIndex(), 1);
  EXPECT_EQ(owner->ComponentIndex(), -1);

  std::vector<TGComponent*> walked;
  for (auto e = owner->GetEnumerator(); e.MoveNext();) walked.push_back(e.Current());
  EXPECT_EQ(walked, (std::vector<TGComponent*>{a, b, c}));
  owner->Free();
}

TEST(Component, InsertMovesBetweenOwnersAndFillsPublishedField) {
  TFormLike* form = Create<TFormLike>();
  TTracked* other = Make(nullptr, u"other");
  TTracked* button = Make(other, u"okButton");
  EXPECT_EQ(form->okButton, nullptr);
  form->InsertComponent(button);
  EXPECT_EQ(button->Owner(), form);
  EXPECT_EQ(other->ComponentCount(), 0);
  EXPECT_EQ(form->okButton, button);
  button->SetName(u"cancel");  // renaming away clears the field
  EXPECT_EQ(form->okButton, nullptr);
  button->SetName(u"okButton");
  EXPECT_EQ(form->okButton, button);
  button->Free();
  EXPECT_EQ(form->okButton, nullptr);
  EXPECT_EQ(form->ComponentCount(), 0);
  other->Free();
  form->Free();
}

TEST(Component, StateFlagsPropagate) {
  TTracked* owner = Make(nullptr, u"owner");
  TTracked* a = Make(owner, u"a");
  TTracked* a1 = Make(a, u"a1");
  owner->SetDesigning(true);
  EXPECT_TRUE(a1->HasState(csDesigning));
  TTracked* late = Make(owner, u"late");  // inserted into a designing owner
  EXPECT_TRUE(late->HasState(csDesigning));
  owner->SetAncestor(true);
  EXPECT_TRUE(a1->HasState(csAncestor));
  a->IncludeState(csLoading);
  a->Loaded();
  EXPECT_FALSE(a->HasState(csLoading));
  EXPECT_TRUE(a->IsLoaded());
  owner->Free();
}

TEST(Component, WeakHandleSeesTheObjectGo) {
  TTracked* owner = Make(nullptr, u"owner");
  TTracked* a = Make(owner, u"a");
  TWeak<TTracked> weak(a);
  TWeak<TTracked> copy = weak;
  EXPECT_EQ(weak.Get(), a);
  owner->Free();
  EXPECT_EQ(weak.Get(), nullptr);
  EXPECT_EQ(copy.Get(), nullptr);
}

TEST(Component, WeakHandlesThatNameTheirOwnHolderLetGoSafely) {
  // Itself (freed, and deleted as C++ deletes it), and two naming each
  // other, one owning the other.
  TWeakHolder* self = Create<TWeakHolder>();
  self->named = self;
  TWeak<TWeakHolder> outside(self);
  self->Free();
  EXPECT_TRUE(outside.Expired());

  TWeakHolder* owner = Create<TWeakHolder>();
  owner->part.reset(Create<TWeakHolder>());
  owner->part->named = owner;
  owner->named = owner->part.get();
  owner->Free();

  auto* direct = new TWeakHolder(TCreateContext{});
  direct->named = direct;
  delete direct;
}

TEST(Component, DesignPositionHalvesTravelAsStreamIntegers) {
  TTracked* source = Make(nullptr, u"source");
  source->SetDesignLeft(300);
  source->SetDesignTop(-5);
  TMemoryStream stream;
  {
    TGWriter writer(stream);
    source->WriteTop(writer);
    source->WriteLeft(writer);
    writer.WriteInteger(70000);  // wider than a half: its low 16 bits count
  }
  stream.SetPosition(0);
  TTracked* target = Make(nullptr, u"target");
  TGReader reader(stream);
  target->ReadTop(reader);
  target->ReadLeft(reader);
  EXPECT_EQ(target->DesignLeft(), 300);
  EXPECT_EQ(target->DesignTop(), -5);
  target->ReadLeft(reader);
  EXPECT_EQ(target->DesignLeft(), 70000 - 65536);
  EXPECT_EQ(target->DesignTop(), -5);
  source->Free();
  target->Free();
}

// An action that acts on one target only and records what it did.
class TOneTargetAction : public TBasicAction {
 public:
  explicit TOneTargetAction(TObject* target) : target_(target) {}
  bool HandlesTarget(TObject* target) override { return target == target_; }
  void ExecuteTarget(TObject* target) override { done.push_back("execute " + Name(target)); }
  void UpdateTarget(TObject* target) override { done.push_back("update " + Name(target)); }
  std::vector<std::string> done;

 private:
  static std::string Name(TObject* t) { return NarrowLatin1(static_cast<TGComponent*>(t)->Name()); }
  TObject* target_;
};

TEST(Component, ActionsActOnlyOnTargetsTheyHandle) {
  TTracked* a = Make(nullptr, u"a");
  TTracked* b = Make(nullptr, u"b");
  TOneTargetAction action(a);
  EXPECT_TRUE(a->ExecuteAction(&action));
  EXPECT_TRUE(a->UpdateAction(&action));
  EXPECT_FALSE(b->ExecuteAction(&action));
  EXPECT_FALSE(b->UpdateAction(&action));
  EXPECT_FALSE(b->ExecuteAction(nullptr));
  EXPECT_EQ(action.done, (std::vector<std::string>{"execute a", "update a"}));
  a->Free();
  b->Free();
}

}  // namespace
}  // namespace corvane
