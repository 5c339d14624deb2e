// The object tree: children and parents, look-ups, handlers, dispose.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "base/reflection/class_registry.h"
#include "base/text/text_convert.h"
#include "engine/core/object_factory.h"
#include "engine/core/effect.h"
#include "engine/core/event.h"
#include "engine/shell/engine.h"
#include "resources/cache/cache.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

using test::TTestWorld;

const char* kTree = R"(object root: BaseObject
  tagString = 'top'
  onCreate = 'log created root'
  object a: BaseObject
    tagString = 'x'
    object a1: BaseObject
      tagString = 'x'
    end
  end
  object b: BaseObject
    tagString = 'x'
    timeFactor = 0.5
  end
end
)";

TEST(BaseObject, TreeLoadsFromTextWithNamesAndParents) {
  TTestWorld world;
  BaseObject* root = world.Load(kTree);
  ASSERT_NE(root, nullptr) << world.log.Text();
  EXPECT_EQ(root->Parent(), world.applet);
  EXPECT_EQ(root->GetApplet(), world.applet);
  ASSERT_EQ(root->count(), 2);
  BaseObject* a = root->findByName(u"a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Parent(), root);
  EXPECT_EQ(a->GetApplet(), world.applet);
  EXPECT_EQ(root->findByName(u"a1")->Parent(), a);
  EXPECT_EQ(root->findByName(u"b")->TimeFactor(), 0.5f);
  EXPECT_EQ(root->findByName(u"root"), nullptr);  // the object itself is not searched
  EXPECT_EQ(root->findByName(u"A"), nullptr);     // names match with case
  EXPECT_EQ(world.log.CountInfo("created root"), 1);
  // Loaded registered every object with the script engine.
  EXPECT_NE(std::find(world.Scripts().variables.begin(), world.Scripts().variables.end(), u"a1"),
            world.Scripts().variables.end());
}

TEST(BaseObject, TagLookupsWalkInPreOrderAndFreeingLeavesThem) {
  TTestWorld world;
  BaseObject* root = world.Load(kTree);
  Event* event = world.applet->GetEvent();
  EXPECT_EQ(root->findByTagString(u"x"), root->findByName(u"a"));
  EXPECT_EQ(root->findOwnByTagString(u"x"), root->findByName(u"a"));
  EXPECT_EQ(root->findAllByTagString(u"x"), 3);
  EXPECT_EQ(event->paramList(0), root->findByName(u"a"));
  EXPECT_EQ(event->paramList(1), root->findByName(u"a1"));
  EXPECT_EQ(event->paramList(2), root->findByName(u"b"));
  EXPECT_EQ(event->paramList(3), nullptr);
  EXPECT_EQ(root->findAllOwnByTagString(u"x"), 5);  // the list is not cleared here
  EXPECT_EQ(root->findByName(u"a1")->findAllByTagString(u"x"), 0);  // a leaf
  // Freeing takes the object out of its parent and the result list, and
  // frees its subtree.
  TWeak<BaseObject> a1(root->findByName(u"a1"));
  const std::int32_t live = BaseObject::LiveCount();
  root->findByName(u"a")->Free();
  EXPECT_FALSE(a1.Get());
  EXPECT_EQ(root->count(), 1);
  EXPECT_EQ(BaseObject::LiveCount(), live - 2);
  for (std::int32_t i = 0; i < event->paramListCount(); ++i)
    EXPECT_NE(event->paramList(i)->Name(), u"a1");
}

TEST(BaseObject, ChildListEditsKeepOneParent) {
  TTestWorld world;
  BaseObject* root = world.Load(kTree);
  BaseObject* a = root->findByName(u"a");
  BaseObject* b = root->findByName(u"b");
  BaseObject* a1 = root->findByName(u"a1");
  // AddChild takes the child out of its previous parent first.
  b->AddChild(a1);
  EXPECT_EQ(a->count(), 0);
  EXPECT_EQ(b->children(0), a1);
  EXPECT_EQ(a1->Parent(), b);
  // Remove clears the parent link.
  b->Remove(a1);
  EXPECT_EQ(a1->Parent(), nullptr);
  // Insert and AddChild lend the applet to an object without one.
  BaseObject* loose = Create<BaseObject>();
  EXPECT_EQ(loose->GetApplet(), nullptr);
  root->Insert(0, loose);
  EXPECT_EQ(loose->GetApplet(), world.applet);
  EXPECT_EQ(root->children(0), loose);
  root->AddChild(a1);
  EXPECT_EQ(root->children(root->count() - 1), a1);
  // Out of range gives nothing; an ancestor cannot become a child.
  EXPECT_EQ(root->children(-1), nullptr);
  EXPECT_EQ(root->children(99), nullptr);
  world.log.Clear();
  a->AddChild(root);
  EXPECT_EQ(root->Parent(), world.applet);
  EXPECT_EQ(world.log.Lines().size(), 1u);
  a1->BringToFront();
  EXPECT_EQ(root->children(root->count() - 1), a1);
  a1->SendToBack();
  EXPECT_EQ(root->children(0), a1);
}

// A script's moveTo loses no object: a move below itself leaves it where
// it was, the applet cannot leave its tree nor its services their places,
// and an object taken out with no new parent goes with the applet unless
// it is placed again.
TEST(BaseObject, MovesKeepEveryObjectOwned) {
  TTestWorld world;
  BaseObject* root = world.Load(kTree);
  BaseObject* a = root->findByName(u"a");
  BaseObject* a1 = root->findByName(u"a1");
  world.log.Clear();
  a->moveTo(a1);
  EXPECT_EQ(a->Parent(), root);
  world.applet->moveTo(nullptr);
  EXPECT_NE(world.applet->Parent(), nullptr);
  // The applet's services stay where the applet keeps them.
  world.applet->GetEvent()->moveTo(a);
  EXPECT_EQ(world.applet->GetEvent()->Parent(), world.applet);
  EXPECT_EQ(world.log.Lines().size(), 3u);

  TWeak<BaseObject> out(a1), back(a);
  a1->moveTo(nullptr);
  a->moveTo(nullptr);
  EXPECT_EQ(a1->Parent(), nullptr);
  root->AddChild(a);
  const std::int32_t live = BaseObject::LiveCount();
  world.applet->Free();
  world.applet = nullptr;
  EXPECT_FALSE(out.Get());
  EXPECT_FALSE(back.Get());
  EXPECT_LT(BaseObject::LiveCount(), live);
}

// A script's deleteChildren frees every game object in one pass and keeps
// the services where they were, in their order, each found at its index.
TEST(BaseObject, ScriptDeleteChildrenKeepsTheServicesInOrder) {
  TTestWorld world;
  Container* applet = world.applet;
  std::vector<BaseObject*> services;
  for (BaseObject* child : applet->ChildList())
    if (child && applet->GetApplet()->IsServiceObject(child)) services.push_back(child);
  ASSERT_FALSE(services.empty());
  for (int i = 0; i < 3000; ++i) applet->AddChild(Create<BaseObject>());
  applet->deleteChildren();
  ASSERT_EQ(applet->count(), static_cast<std::int32_t>(services.size()));
  for (std::size_t i = 0; i < services.size(); ++i) {
    EXPECT_EQ(applet->children(static_cast<std::int32_t>(i)), services[i]);
    EXPECT_EQ(applet->IndexOfChild(services[i]), static_cast<std::int32_t>(i));
  }
}

// A tree holds as many levels as an object file nests, its root (the
// applet) among them, however it grows: what a script makes, adds, inserts
// or moves past the last level is refused with one line and everything
// stays where it was; within the levels it grows as before, and an object
// taken out of the tree counts its levels from itself.
TEST(BaseObject, EveryWayATreeGrowsStopsAtItsLastLevel) {
  TTestWorld world;
  std::vector<BaseObject*> chain = {world.applet};
  for (int level = 1; level < kMaxTreeLevels; ++level) {
    chain.push_back(CreateObject("BaseObject", chain.back()));
    ASSERT_NE(chain.back(), nullptr) << level;
    chain.back()->SetName(u"level" + Utf8ToUtf16(std::to_string(level)));
  }
  BaseObject* last = chain.back();
  ASSERT_EQ(last->Depth(), kMaxTreeLevels - 1);
  BaseObject* loose = CreateObject("BaseObject", world.applet);
  loose->SetName(u"loose");
  BaseObject* pair = CreateObject("BaseObject", world.applet);
  pair->SetName(u"pair");
  CreateObject("BaseObject", pair);
  BaseObject* aboveLast = chain[chain.size() - 2];
  const std::u16string lastName = last->Name();
  struct TCase {
    const char* what;
    std::function<bool()> grew;
    std::string line;
  };
  const std::string tail = ": a tree holds at most 256 levels";
  const std::string to = " to BaseObject " + Utf16ToUtf8(lastName);
  const TCase cases[] = {
      {"a new object", [&] { return CreateObject("BaseObject", last) != nullptr; }, "Can't add BaseObject" + to},
      {"a new first child", [&] { return last->AddNewChildFirst(BaseObject::StaticClass()) != nullptr; },
       "Can't add BaseObject" + to},
      {"an object added", [&] { return (last->AddChild(loose), loose->Parent() == last); },
       "Can't add BaseObject loose" + to},
      {"an object inserted", [&] { return (last->Insert(0, loose), loose->Parent() == last); },
       "Can't add BaseObject loose" + to},
      {"an object moved", [&] { return (loose->moveTo(last), loose->Parent() == last); },
       "Can't add BaseObject loose" + to},
      {"a parent whose child would pass the last level",
       [&] { return (pair->moveTo(aboveLast), pair->Parent() == aboveLast); },
       "Can't add BaseObject pair to BaseObject " + Utf16ToUtf8(aboveLast->Name())},
  };
  for (const TCase& c : cases) {
    world.log.Clear();
    EXPECT_FALSE(c.grew()) << c.what;
    EXPECT_EQ(world.log.Lines(), std::vector<std::string>{"(e) " + c.line + tail}) << c.what;
  }
  EXPECT_EQ(last->count(), 0);
  EXPECT_EQ(loose->Parent(), world.applet);
  EXPECT_EQ(pair->Parent(), world.applet);

  world.log.Clear();
  pair->moveTo(chain[chain.size() - 3]);
  ASSERT_EQ(pair->Parent(), chain[chain.size() - 3]);
  EXPECT_EQ(pair->children(0)->Depth(), kMaxTreeLevels - 1);
  chain[1]->moveTo(nullptr);
  EXPECT_EQ(last->Depth(), kMaxTreeLevels - 2);
  EXPECT_NE(CreateObject("BaseObject", last), nullptr);
  EXPECT_TRUE(world.log.Lines().empty()) << world.log.Text();
}

TEST(BaseObject, NewObjectsByClassNameAreExternal) {
  TTestWorld world;
  BaseObject* root = world.Load(kTree);
  world.log.Clear();
  root->CallScript(u"new baseobject fresh; new NoSuchClass");
  BaseObject* fresh = root->findByName(u"fresh");
  ASSERT_NE(fresh, nullptr);
  EXPECT_TRUE(fresh->HasStyle(csExternal));
  EXPECT_EQ(world.log.CountError("Can't found class NoSuchClass"), 1);
}

TEST(BaseObject, DisposeRunsOnDestroyOnceAndFreesAfterTheDelay) {
  TTestWorld world;
  BaseObject* root = world.Load(R"(object root: BaseObject
  object victim: BaseObject
    onDestroy = 'log bye victim'
    object inner: BaseObject
      onDestroy = 'log bye inner'
    end
  end
end
)");
  BaseObject* victim = root->findByName(u"victim");
  TWeak<BaseObject> alive(victim);
  victim->dispose();
  victim->dispose();  // a second request adds nothing
  EXPECT_EQ(world.log.CountInfo("bye victim"), 1);
  EXPECT_EQ(world.log.CountInfo("bye inner"), 1);
  EXPECT_TRUE(alive.Get());
  EXPECT_EQ(world.applet->GetEvent()->QueueCount(), 1);
  // Frame times of 0.1 s: 0.1, then 0.2 (not more than the delay), then free.
  world.engine->SetDeltaTime(0.1f);
  world.applet->GetEvent()->ProcessEvents();
  world.applet->GetEvent()->ProcessEvents();
  EXPECT_TRUE(alive.Get());
  world.applet->GetEvent()->ProcessEvents();
  EXPECT_FALSE(alive.Get());
  EXPECT_EQ(root->count(), 0);
  EXPECT_EQ(world.log.CountInfo("bye victim"), 1);  // not again at destruction
  EXPECT_EQ(world.applet->GetEvent()->QueueCount(), 0);
}

TEST(BaseObject, SiblingsFreedInARowLeaveTheListInOrder) {
  // Thousands of siblings freed oldest first (as disposals run), then edits
  // of the list between frees: every read sees the list as the frees and
  // edits left it, in order.
  TTestWorld world;
  BaseObject* root = world.Load("object root: BaseObject\nend\n");
  constexpr int kCount = 20000;
  std::vector<BaseObject*> model;
  for (int i = 0; i < kCount; ++i) model.push_back(Create<BaseObject>(TCreateContext(root)));
  std::vector<BaseObject*> gone;
  for (int i = 0; i < kCount; i += 2) gone.push_back(model[static_cast<std::size_t>(i)]);
  for (BaseObject* object : gone) object->Free();
  std::erase_if(model, [&](BaseObject* o) { return std::find(gone.begin(), gone.end(), o) != gone.end(); });
  ASSERT_EQ(root->ChildList(), model);
  EXPECT_EQ(root->IndexOfChild(model.back()), kCount / 2 - 1);

  const auto free = [&](std::size_t at) {
    model[at]->Free();
    model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
  };
  free(0);
  free(1);
  root->ExchangeChildren(0, 1);
  std::swap(model[0], model[1]);
  free(2);
  auto* extra = Create<BaseObject>(TCreateContext());
  root->Insert(1, extra);
  model.insert(model.begin() + 1, extra);
  free(3);
  model[4]->SendToBack();
  std::rotate(model.begin(), model.begin() + 4, model.begin() + 5);
  free(5);
  model[6]->BringToFront();
  std::rotate(model.begin() + 6, model.begin() + 7, model.end());
  free(0);
  root->MoveChildren(0, 3);
  std::rotate(model.begin(), model.begin() + 1, model.begin() + 4);
  EXPECT_EQ(root->ChildList(), model);
  EXPECT_EQ(root->count(), static_cast<std::int32_t>(model.size()));
  EXPECT_EQ(root->children(2), model[2]);
  EXPECT_EQ(root->IndexOfChild(extra), std::find(model.begin(), model.end(), extra) - model.begin());
  root->Free();
}

TEST(BaseObject, ServicesAndTheEngineRefuseDisposeAndTheAppletTerminates) {
  TTestWorld world;
  world.log.Clear();
  world.applet->GetEvent()->dispose();
  world.engine->scheduleDispose(1);
  world.applet->Cache()->dispose();
  EXPECT_EQ(world.log.Lines(), (std::vector<std::string>{"(e) Can't dispose Event", "(e) Can't dispose SomeEngine",
                                                         "(e) Can't dispose TCache"}));
  EXPECT_EQ(world.applet->GetEvent()->QueueCount(), 0);
  EXPECT_FALSE(world.applet->Terminated());
  world.applet->dispose();
  EXPECT_TRUE(world.applet->Terminated());
}

TEST(BaseObject, TicksScaleTimeDownTheTreeAndRunOnTick) {
  TTestWorld world;
  BaseObject* root = world.Load(R"(object root: BaseObject
  timeFactor = 0.5
  onTick = 'log tick root'
  object child: BaseObject
    timeFactor = 2
    onTick = 'log tick child'
  end
  object still: BaseObject
    onTick = 'log tick still'
  end
end
)");
  root->findByName(u"still")->SetObjectStyle({osScriptable});
  world.log.Clear();
  world.applet->ProcessTick(0.1f, 1.0f);
  // The child's whole subtree ticks before its own onTick; "still" does not tick.
  EXPECT_EQ(world.log.Lines(), (std::vector<std::string>{"(i) tick child", "(i) tick root"}));
}

TEST(BaseObject, CustomEventPassesItsNameAndRestoresTheParameter) {
  TTestWorld world;
  BaseObject* root = world.Load(R"(object root: BaseObject
  onCustomEvent = 'log custom'
end
)");
  world.applet->GetEvent()->paramString = u"before";
  root->customEvent(u"ping");
  EXPECT_EQ(world.log.CountInfo("custom"), 1);
  EXPECT_EQ(world.applet->GetEvent()->paramString, u"before");
  EXPECT_EQ(world.applet->GetEvent()->ParamThis(), nullptr);  // every push was popped
}

TEST(BaseObject, AutomaticNamesAndSaving) {
  TTestWorld world;
  BaseObject* root = world.Load("object BaseObject\nend\n");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Name(), root->AutomaticName());
  EXPECT_EQ(root->Name().rfind(u"baseobject", 0), 0u);
  root->BeforeSave();
  EXPECT_TRUE(root->Name().empty());
  root->AfterSave();
  EXPECT_EQ(root->Name().rfind(u"BaseObject", 0), 0u);
  EXPECT_NE(root->Name(), root->AutomaticName());
}

}  // namespace
}  // namespace corvane
