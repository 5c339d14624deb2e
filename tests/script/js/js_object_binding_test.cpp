// Engine objects in scripts: published properties by kind and in any case,
// nested objects read anew, writes a wrapper refuses catchably, classes as
// prototypes and constructors, and wrappers of gone objects that stay
// inert, with a collection between statements.
#include <gtest/gtest.h>

#include <js/GCAPI.h>

#include <new>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/geometry/coord.h"
#include "base/text/text_convert.h"
#include "engine/core/dummy.h"
#include "engine/shell/engine.h"
#include "platform/device.h"
#include "scene/box.h"
#include "script/js/js_object_link.h"
#include "tests/script/js/js_world.h"
#include "tests/support/kit/recording_device.h"

namespace corvane {

// A tree object with the property kinds no engine class publishes.
class TScriptProbe : public BaseObject {
  CORVANE_CLASS(TScriptProbe, BaseObject)
  static void Describe(TClassBuilder<TScriptProbe>& c) {
    c.Property("letter", &TScriptProbe::letter);
    c.Property("styles", &TScriptProbe::styles);
    c.Property("count", &TScriptProbe::count);
    c.Property("fixed", [](const TScriptProbe& o) { return o.count * 2; });
    c.Property("big", &TScriptProbe::big);
    c.Property("partner", &TScriptProbe::partner);
    // Stand in for engine code whose allocation the machine refuses.
    c.Property("hungry", [](const TScriptProbe&) { return 0; }, [](TScriptProbe&, std::int32_t) { throw std::bad_alloc(); });
    c.Method("exhaust", [](TScriptProbe&) { throw std::bad_alloc(); });
  }
  using BaseObject::BaseObject;
  char16_t letter = u'a';
  BaseObjectStyles styles;
  std::int32_t count = 4;
  std::uint32_t big = 0;
  BaseObject* partner = nullptr;
};
CORVANE_IMPLEMENT_CLASS(TScriptProbe)

namespace {

using test::TJsWorld;
using Lines = std::vector<std::string>;

// Each statement on its own, a full collection after each; false at the
// first that fails.
bool RunCollecting(TJavaScriptEngine* js, std::initializer_list<std::u16string> statements) {
  for (const std::u16string& statement : statements) {
    if (!js->CallScript(statement)) return false;
    JS_GC(js->Context());
  }
  return true;
}

class JsObjectBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterClasses({Box::StaticClass(), TScriptProbe::StaticClass()});
    applet = world.Start();
    ASSERT_NE(applet, nullptr);
    js = world.Js();
    ASSERT_NE(js, nullptr);
    js->RegisterClass(Box::StaticClass());
    js->RegisterClass(TScriptProbe::StaticClass());
  }
  BaseObject* Make(TClass cls, const std::u16string& name, BaseObject* parent = nullptr) {
    auto* object = dynamic_cast<BaseObject*>(cls->CreateInstance(TCreateContext(parent ? parent : applet)));
    object->SetName(name);
    js->RegisterVariable(name, WidenLatin1(cls->Name()), object);
    return object;
  }
  std::u16string Value(const std::u16string& expression) {
    EXPECT_TRUE(js->CallScript(u"probeValue = String(" + expression + u")")) << Utf16ToUtf8(expression);
    return js->GetVarValue(u"probeValue");
  }

  TJsWorld world;
  Applet* applet = nullptr;
  TJavaScriptEngine* js = nullptr;
};

// A refused allocation inside a call or an access is an error line saying
// so, and an Error the script can catch; the script goes on.
TEST_F(JsObjectBindingTest, OutOfMemoryInTheEngineIsAnErrorTheScriptCatches) {
  Make(TScriptProbe::StaticClass(), u"probe");
  const std::size_t mark = world.Mark();
  EXPECT_TRUE(js->CallScript(u"try { probe.exhaust(); throw 'called' } catch (e) { if (!(e instanceof Error)) throw e }"));
  EXPECT_TRUE(js->CallScript(u"try { probe.hungry = 1; throw 'set' } catch (e) { if (!(e instanceof Error)) throw e }"));
  EXPECT_EQ(world.ErrorsSince(mark), (Lines{"Can't call exhaust: out of memory", "Can't set property hungry: out of memory"}));
}

TEST_F(JsObjectBindingTest, PropertiesReadAndWriteByKindInAnyCase) {
  auto* box = static_cast<Box*>(Make(Box::StaticClass(), u"crate"));
  EXPECT_TRUE(js->CallScript(u"crate.visible = 0"));
  EXPECT_FALSE(box->Visible());
  EXPECT_EQ(Value(u"crate.visible"), u"false");
  EXPECT_EQ(Value(u"crate.Visible"), u"false");
  EXPECT_EQ(Value(u"typeof crate.VISIBLE"), u"boolean");
  EXPECT_TRUE(js->CallScript(u"crate.VISIBLE = true"));
  EXPECT_TRUE(box->Visible());
  // Enumerations are numbers, floats keep their fraction, integers truncate.
  EXPECT_EQ(Value(u"typeof crate.kind"), u"number");
  EXPECT_TRUE(js->CallScript(u"crate.width = 2.5"));
  EXPECT_FLOAT_EQ(box->Width(), 2.5f);
  EXPECT_TRUE(js->CallScript(u"applet.left = 7.6"));
  EXPECT_EQ(Value(u"applet.left"), u"7");
  // Wide text stays wide.
  EXPECT_TRUE(js->CallScript(u"applet.title = '\u041f\u0440\u0438\u0432\u0435\u0442'"));
  EXPECT_EQ(applet->Title(), u"\u041f\u0440\u0438\u0432\u0435\u0442");
  EXPECT_EQ(Value(u"applet.title"), u"\u041f\u0440\u0438\u0432\u0435\u0442");
  EXPECT_TRUE(js->CallScript(u"crate.tagString = 5"));
  EXPECT_EQ(Value(u"crate.tagString === '5'"), u"true");

  auto* probe = static_cast<TScriptProbe*>(Make(TScriptProbe::StaticClass(), u"probe"));
  EXPECT_EQ(Value(u"probe.letter"), u"97");
  EXPECT_EQ(Value(u"probe.styles"), u"null");
  std::size_t mark = world.Mark();
  EXPECT_TRUE(js->CallScript(u"probe.letter = 'b'; probe.styles = 1"));
  EXPECT_EQ(probe->letter, u'a');
  EXPECT_EQ(world.ErrorsSince(mark), (Lines{"invalide propert type letter", "invalide propert type styles"}));
  EXPECT_TRUE(js->CallScript(u"probe.big = 4294967295"));
  EXPECT_EQ(probe->big, 4294967295u);
  EXPECT_EQ(Value(u"probe.big"), u"4294967295");
  // Object references: a tree object is stored and read as its wrapper;
  // anything else is a TypeError that leaves the value; null clears it.
  EXPECT_TRUE(js->CallScript(u"probe.partner = crate; if (probe.partner !== crate) throw 'partner'"));
  EXPECT_EQ(probe->partner, box);
  mark = world.Mark();
  for (const std::u16string other : {u"5", u"'crate'", u"{}", u"undefined", u"crate.position"}) {
    EXPECT_TRUE(js->CallScript(u"try { probe.partner = " + other +
                               u"; throw 'stored' } catch (e) { if (!(e instanceof TypeError)) throw e }"))
        << Utf16ToUtf8(other);
    EXPECT_EQ(probe->partner, box) << Utf16ToUtf8(other);
  }
  EXPECT_TRUE(world.ErrorsSince(mark).empty());
  EXPECT_TRUE(js->CallScript(u"probe.partner = null; if (probe.partner !== null) throw 'kept'"));
  EXPECT_EQ(probe->partner, nullptr);
  // A tree object that was never wrapped reads as null, reported.
  probe->partner = Create<Dummy>(TCreateContext(applet));
  mark = world.Mark();
  EXPECT_EQ(Value(u"probe.partner"), u"null");
  EXPECT_EQ(world.ErrorsSince(mark), Lines{"Need to create object"});

  // Read-only and unknown names throw what a script can catch.
  mark = world.Mark();
  EXPECT_TRUE(js->CallScript(u"try { probe.fixed = 1; throw 'stored' } catch (e) { if (!(e instanceof TypeError)) throw e }"));
  EXPECT_TRUE(js->CallScript(u"try { crate.nonexist = 1; throw 'added' } catch (e) { if (!(e instanceof TypeError)) throw e }"));
  EXPECT_EQ(Value(u"probe.fixed"), u"8");
  EXPECT_EQ(Value(u"typeof crate.nonexist"), u"undefined");
  EXPECT_TRUE(world.ErrorsSince(mark).empty());
  // Uncaught, the error is reported with its place.
  mark = world.Mark();
  EXPECT_FALSE(js->CallScript(u"crate.nonexist = 1"));
  EXPECT_EQ(world.ErrorsSince(mark), Lines{"(0:0) nonexist is not a published property of Box \"\""});
}

TEST_F(JsObjectBindingTest, NestedObjectsAreReadAnew) {
  auto* box = static_cast<Box*>(Make(Box::StaticClass(), u"crate"));
  EXPECT_TRUE(js->CallScript(u"crate.position.x = 3"));
  const TSpaceVector position = box->Position()->Coordinates();
  EXPECT_EQ(position.x, 3);
  EXPECT_EQ(position.y, 0);
  EXPECT_EQ(position.z, 0);
  EXPECT_EQ(position.w, 1);
  EXPECT_EQ(Value(u"crate.Position.X"), u"3");
  // A kept nested object names the coordinate, not the box.
  EXPECT_TRUE(js->CallScript(u"p = crate.position; p.y = 2"));
  EXPECT_EQ(box->Position()->Coordinates().y, 2);
  // A write of another object to a nested property leaves it.
  EXPECT_TRUE(js->CallScript(u"crate.position = applet"));
  EXPECT_EQ(box->Position()->Coordinates().y, 2);
  // Listed objects too: the applet's parameters.
  EXPECT_EQ(Value(u"typeof applet.params.add"), u"function");
}

TEST_F(JsObjectBindingTest, ClassesArePrototypesAndConstructors) {
  EXPECT_TRUE(js->CallScript(u"if (Box.prototype !== Box) throw 'prototype'"));
  EXPECT_EQ(Value(u"Box"), u"[object Object]");
  Make(Box::StaticClass(), u"crate");
  EXPECT_TRUE(js->CallScript(u"if (Object.getPrototypeOf(crate) !== Box) throw 'class'"));
  EXPECT_EQ(Value(u"crate"), u"[object Object]");
  // Reads of a prototype's properties have no object to read.
  EXPECT_EQ(Value(u"Box.width"), u"undefined");
  EXPECT_TRUE(js->CallScript(u"Box.width = 3"));

  // new: under the applet, named automatically, its global going with it.
  const std::int32_t before = js->ObjectCount();
  EXPECT_TRUE(js->CallScript(u"made = new Box(); made.width = 4"));
  auto* made = dynamic_cast<Box*>(js::GetJSPrivateObject(js->WrapperOf(applet->children(applet->count() - 1))));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->Parent(), applet);
  EXPECT_FLOAT_EQ(made->Width(), 4);
  EXPECT_EQ(made->Name(), made->AutomaticName());
  EXPECT_EQ(js->ObjectCount(), before + 1);
  EXPECT_TRUE(js->CallScript(u"if (" + made->Name() + u" !== made) throw 'global'"));
  // Under a parent; null is the applet.
  EXPECT_TRUE(js->CallScript(u"inner = new Box(made); loose = new Box(null)"));
  EXPECT_EQ(made->count(), 1);
  EXPECT_TRUE(js->CallScript(u"if (loose.getParent() !== applet || inner.getParent() !== made) throw 'parents'"));
  const std::u16string name = made->Name();
  made->Free();
  EXPECT_EQ(js->GetVarValue(name), u"");

  // From a file, the parent and the file in either order.
  world.Put("crate.object", "object Box\n  width = 6\nend\n");
  EXPECT_TRUE(js->CallScript(u"filed = new Box(applet, 'crate.object'); if (filed.width != 6) throw filed.width"));
  EXPECT_TRUE(js->CallScript(u"again = new Box('crate.object'); if (again === filed) throw 'one'"));

  // A named object registers itself as it loads, and keeps that wrapper.
  world.Put("named.object", "object lid: Box\nend\n");
  EXPECT_TRUE(js->CallScript(u"named = new Box('named.object'); if (named !== lid) throw 'named'"));

  // A class that makes no tree object.
  EXPECT_TRUE(js->CallScript(u"crate.position"));  // its class is published on first need
  std::size_t mark = world.Mark();
  EXPECT_TRUE(js->CallScript(u"try { new TSpaceCoord() ; throw 'made' } catch (e) { if (!(e instanceof TypeError)) throw e }"));
  EXPECT_EQ(world.ErrorsSince(mark), Lines{"Create invalide object TSpaceCoord"});
}

// Accessors and methods live on prototypes a script can put under any
// object, and can be called with any `this`: only an object of the
// member's class or a descendant reaches it.
TEST_F(JsObjectBindingTest, MembersRefuseReceiversOfOtherClasses) {
  Make(Dummy::StaticClass(), u"d");
  Make(Box::StaticClass(), u"crate");
  js->RegisterClass(Dummy::StaticClass());
  applet->SetTitle(u"kept");
  const std::size_t mark = world.Mark();
  const auto refused = [&](const std::u16string& statement) {
    EXPECT_TRUE(js->CallScript(u"try { " + statement + u"; throw 'reached' } catch (e) { if (!(e instanceof TypeError)) throw e }"))
        << Utf16ToUtf8(statement);
  };
  ASSERT_TRUE(js->CallScript(u"Object.setPrototypeOf(d, Applet)"));
  refused(u"d.title = 'x'");
  refused(u"d.title");
  refused(u"d.hideScreen(0.5)");
  refused(u"d.showMessage('a', 'b')");
  // Accessors and methods taken off their prototype.
  ASSERT_TRUE(js->CallScript(u"width = Object.getOwnPropertyDescriptor(Box, 'width')"));
  refused(u"width.get.call(d)");
  refused(u"width.set.call(d, 5)");
  refused(u"width.get.call({})");
  refused(u"width.set.call(7, 5)");
  refused(u"Box.findByName.call(applet.params, 'x')");
  refused(u"Box.findByName.call({}, 'x')");
  EXPECT_EQ(applet->Title(), u"kept");
  EXPECT_TRUE(world.ErrorsSince(mark).empty()) << world.ErrorsSince(mark)[0];
  // Uncaught, the refusal names the member and the object.
  EXPECT_FALSE(js->CallScript(u"d.title"));
  EXPECT_EQ(world.ErrorsSince(mark), Lines{"(0:0) title of Applet used on a Dummy \"\""});

  // A descendant of the member's class is served, whatever its prototype.
  EXPECT_TRUE(js->CallScript(u"Object.setPrototypeOf(crate, Dummy); crate.visible = false"));
  EXPECT_EQ(Value(u"crate.visible"), u"false");
  EXPECT_EQ(Value(u"width.get.call(crate)"), u"1");
  EXPECT_TRUE(js->CallScript(u"width.set.call(crate, 3)"));
  EXPECT_EQ(Value(u"width.get.call(crate)"), u"3");
  EXPECT_EQ(Value(u"crate.getParent() === applet"), u"true");
}

TEST_F(JsObjectBindingTest, GoneObjectsLeaveInertWrappersThroughCollections) {
  std::size_t mark = world.Mark();
  ASSERT_TRUE(RunCollecting(js, {u"var k = applet.new('Box', applet)", u"k.width = 2", u"k.dispose()"}));
  world.Steps(5);
  JS_GC(js->Context());
  EXPECT_TRUE(RunCollecting(js, {u"if (k.visible !== undefined) throw 'read'", u"k.width = 5",
                                 u"try { k.dispose(); throw 'called' } catch (e) { if (!(e instanceof TypeError)) throw e }"}));
  EXPECT_TRUE(world.ErrorsSince(mark).empty()) << world.ErrorsSince(mark)[0];

  // The wrapper of a nested object whose owner went.
  auto* box = static_cast<Box*>(Make(Box::StaticClass(), u"crate"));
  ASSERT_TRUE(RunCollecting(js, {u"pos = crate.position", u"pos.x = 1"}));
  box->Free();
  EXPECT_TRUE(RunCollecting(js, {u"pos.x = 2", u"if (pos.x !== undefined) throw 'coordinate'"}));

  // The old device's wrapper, once another device took its place.
  static const std::int32_t second = RegisterDevice(DeviceClassOf<test::TRecordingDevice>());
  ASSERT_TRUE(RunCollecting(js, {u"oldDevice = device", u"oldDevice.saveRenderState()"}));
  // Watched, not compared by address: the new device may take the old
  // one's.
  TWeak<TDevice> old(applet->Device());
  applet->SetDeviceIndex(second);
  ASSERT_EQ(applet->DeviceIndex(), second);
  ASSERT_EQ(old.Get(), nullptr) << "the old device is freed";
  EXPECT_TRUE(RunCollecting(js, {u"try { oldDevice.saveRenderState(); throw 'called' } catch (e) { if (!(e instanceof TypeError)) throw e }"}));
  EXPECT_TRUE(world.ErrorsSince(mark).empty());

  // Globals a script drops: the engine's objects stay, and their wrappers.
  EXPECT_TRUE(RunCollecting(js, {u"Box = null", u"applet = null"}));
  for (int i = 0; i < 3; ++i) JS_GC(js->Context());
  ASSERT_NE(js->WrapperOf(applet), nullptr);
  EXPECT_EQ(js::GetJSPrivateObject(js->WrapperOf(applet)), applet);
  EXPECT_NE(js->IntRegisterClass(Box::StaticClass()), nullptr);
  world.Steps(3);
}

}  // namespace
}  // namespace corvane
