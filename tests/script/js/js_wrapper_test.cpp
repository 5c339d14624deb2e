// Wrapped engine objects: one wrapper per object under every name it was
// registered with, globals removed only while they hold the destroyed
// object's wrapper, links detached so a kept wrapper reaches nothing, and
// a teardown that leaves no object pointing at a freed engine.
#include <gtest/gtest.h>

#include "base/text/number_text.h"
#include "engine/core/dummy.h"
#include "engine/shell/engine.h"
#include "script/js/js_object_link.h"
#include "tests/script/js/js_world.h"

namespace corvane {
namespace {

using test::TJsWorld;

BaseObject* Named(Applet* applet, const std::u16string& name) {
  auto* object = Create<Dummy>(TCreateContext(applet));
  object->SetName(name);
  return object;
}

class JsWrapperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    applet = world.Start();
    ASSERT_NE(applet, nullptr);
    js = world.Js();
  }

  TJsWorld world;
  Applet* applet = nullptr;
  TJavaScriptEngine* js = nullptr;
};

TEST_F(JsWrapperTest, OneWrapperPerObjectLinkedWeakly) {
  BaseObject* door = Named(applet, u"door");
  js->RegisterVariable(u"door", u"Dummy", door);
  js->RegisterVariable(u"entrance", u"Dummy", door);
  ASSERT_NE(door->ScriptObject(), nullptr);
  JSObject* wrapper = js->WrapperOf(door);
  ASSERT_NE(wrapper, nullptr);
  EXPECT_EQ(js::GetJSPrivateObject(wrapper), door);
  EXPECT_EQ(js::LinkOf(wrapper)->ClassRef, nullptr);
  EXPECT_TRUE(js->CallScript(u"if (door !== entrance) throw 'two wrappers'; kept = door"));
  // The class is a global of its own, the wrapper's prototype.
  EXPECT_TRUE(js->CallScript(u"if (Object.getPrototypeOf(door) !== Dummy) throw 'prototype'"));

  const std::int32_t before = js->ObjectCount();
  door->Free();
  EXPECT_EQ(js->ObjectCount(), before - 1);
  EXPECT_EQ(js->GetVarValue(u"door"), u"");
  EXPECT_EQ(js->GetVarValue(u"entrance"), u"");
  // The script's own reference stays, and names no object.
  EXPECT_TRUE(js->CallScript(u"if (typeof kept != 'object') throw 'gone'"));
  // Never wrapped: nothing happens.
  BaseObject* plain = Create<Dummy>(TCreateContext(applet));
  js->ObjectDestroing(plain);
  plain->Free();
}

TEST_F(JsWrapperTest, DestroyedObjectsDeleteOnlyTheirOwnGlobals) {
  // Renamed after registration: its registered name goes with it.
  BaseObject* renamed = Named(applet, u"before");
  js->RegisterVariable(u"before", u"Dummy", renamed);
  renamed->SetName(u"after");
  renamed->Free();
  EXPECT_EQ(js->GetVarValue(u"before"), u"");

  // Two objects of one name: the global is the later one's, and stays its.
  BaseObject* first = Named(applet, u"twin");
  BaseObject* second = Named(applet, u"twin");
  js->RegisterVariable(u"twin", u"Dummy", first);
  js->RegisterVariable(u"twin", u"Dummy", second);
  ASSERT_TRUE(js->CallScript(u"secondTwin = twin"));
  first->Free();
  EXPECT_TRUE(js->CallScript(u"if (twin !== secondTwin) throw 'lost'"));
  second->Free();
  EXPECT_EQ(js->GetVarValue(u"twin"), u"");

  // A script that put its own value there keeps it.
  BaseObject* shadowed = Named(applet, u"spot");
  js->RegisterVariable(u"spot", u"Dummy", shadowed);
  ASSERT_TRUE(js->CallScript(u"spot = 'mine'"));
  shadowed->Free();
  EXPECT_EQ(js->GetVarValue(u"spot"), u"mine");
}

TEST_F(JsWrapperTest, ManyObjectsThroughCollectionsAndTeardown) {
  std::vector<TWeak<BaseObject>> objects;
  for (int i = 0; i < 5000; ++i) {
    const std::u16string name = u"obj" + IntToStr(i);
    BaseObject* object = Named(applet, name);
    js->RegisterVariable(name, u"Dummy", object);
    objects.emplace_back(object);
  }
  ASSERT_TRUE(js->CallScript(u"kept = []; for (var i = 0; i < 5000; i += 7) kept.push(this['obj' + i]);"));
  for (int step = 0; step < 3; ++step) {
    world.Steps(1);
    // Every object of a tenth is renamed and freed between collections.
    for (std::size_t i = step; i < objects.size(); i += 10)
      if (BaseObject* object = objects[i].Get()) {
        object->SetName(u"moved");
        object->Free();
      }
  }
  EXPECT_EQ(js->GetVarValue(u"obj0"), u"");
  EXPECT_EQ(js->GetVarValue(u"obj3"), u"[object Object]");
  EXPECT_TRUE(js->CallScript(u"if (kept.length != 715) throw kept.length"));
  // The engine object outlives the applet: its pointer to the wrapper goes.
  ASSERT_NE(world.engine->ScriptObject(), nullptr);
  world.FreeApplet();
  EXPECT_EQ(world.engine->ScriptObject(), nullptr);
}


TEST_F(JsWrapperTest, IncrementalCollectionKeepsWhatScriptsHold) {
  TJavaScriptEngine::SetCollectionSlice(1);
  ASSERT_TRUE(js->CallScript(u"keep = []; for (var i = 0; i < 50000; ++i) keep.push({i: i});"));
  for (int step = 0; step < 30; ++step) {
    world.Steps(1);
    // New garbage every frame, while the kept objects stay whole.
    EXPECT_TRUE(js->CallScript(u"for (var j = 0; j < 2000; ++j) ({garbage: j});"
                               u"if (keep[49999].i != 49999) throw 'lost';"));
  }
  world.FreeApplet();
  TJavaScriptEngine::SetCollectionSlice(0);
}


TEST_F(JsWrapperTest, UnnamedObjectsAndGlobalsThatCannotGo) {
  // Without a name: the class in lower case and the object's address.
  BaseObject* unnamed = Create<Dummy>(TCreateContext(applet));
  js->RegisterVariable(u"", u"Dummy", unnamed);
  const std::u16string name =
      u"dummy" + IntToStr(static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(unnamed)));
  EXPECT_EQ(js->GetVarValue(name), u"[object Object]");
  unnamed->Free();
  EXPECT_EQ(js->GetVarValue(name), u"");

  // A script's `var` of the same name makes a global that cannot be
  // deleted: the engine says so, and the link still goes.
  ASSERT_TRUE(js->CallScript(u"var fixed;"));
  BaseObject* pinned = Named(applet, u"fixed");
  js->RegisterVariable(u"fixed", u"Dummy", pinned);
  JSObject* wrapper = js->WrapperOf(pinned);
  ASSERT_NE(wrapper, nullptr);
  JS::RootedObject kept(js->Context(), wrapper);
  const std::size_t mark = world.Mark();
  pinned->Free();
  EXPECT_EQ(world.ErrorsSince(mark), std::vector<std::string>{"Object can't deleted fixed"});
  EXPECT_EQ(js::GetJSPrivateObject(kept), nullptr);
}

}  // namespace
}  // namespace corvane
