// The methods scripts call with a behaviour of their own, each giving what
// scripts rely on, and the typed call of every other published method.
#include <gtest/gtest.h>

#include <js/GCAPI.h>

#include "base/geometry/coord.h"
#include "base/lists/wide_strings.h"
#include "base/reflection/class_registry.h"
#include "base/text/text_convert.h"
#include "engine/core/event.h"
#include "engine/core/mission.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "engine/shell/preferences.h"
#include "engine/shell/score_table.h"
#include "platform/device.h"
#include "platform/filters/filter.h"
#include "platform/filters/png_image.h"
#include "platform/filters/register.h"
#include "platform/low_event.h"
#include "resources/ext_res_man.h"
#include "scene/animation_effect.h"
#include "scene/box.h"
#include "script/js/js_watchdog.h"
#include "tests/script/js/js_world.h"
#include "tests/support/kit/applet_standins.h"
#include "tests/support/kit/fake_physics.h"
#include "tests/support/kit/null_platform.h"
#include "tests/support/kit/test_filter.h"

namespace corvane {
namespace {

using test::TJsWorld;
using Lines = std::vector<std::string>;

class JsSpecialMethodsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterClasses({Box::StaticClass()});
    applet = world.Start();
    ASSERT_NE(applet, nullptr);
    js = world.Js();
    ASSERT_NE(js, nullptr);
    js->RegisterClass(Box::StaticClass());
  }
  Box* MakeBox(const std::u16string& name, BaseObject* parent = nullptr) {
    auto* box = Create<Box>(TCreateContext(parent ? parent : applet));
    box->SetName(name);
    js->RegisterVariable(name, u"Box", box);
    return box;
  }
  // The expression's value as text ("undefined", "null", ...).
  std::string Value(const std::u16string& expression) {
    EXPECT_TRUE(js->CallScript(u"probeValue = String(" + expression + u")")) << Utf16ToUtf8(expression);
    JS_GC(js->Context());
    return Utf16ToUtf8(js->GetVarValue(u"probeValue"));
  }
  void Run(const std::u16string& statements) {
    EXPECT_TRUE(js->CallScript(statements)) << Utf16ToUtf8(statements);
    JS_GC(js->Context());
  }

  TJsWorld world;
  Applet* applet = nullptr;
  TJavaScriptEngine* js = nullptr;
};

TEST_F(JsSpecialMethodsTest, NoArguments) {
  MakeBox(u"crate");
  EXPECT_EQ(Value(u"crate.getParent() === applet"), "true");
  auto* mission = Create<Mission>(TCreateContext(applet));
  mission->SetName(u"quest");
  js->RegisterVariable(u"quest", u"Mission", mission);
  EXPECT_EQ(Value(u"quest.getDesignSelected()"), "null");
  // Any other method: typed result, absent arguments empty.
  EXPECT_EQ(Value(u"crate.isVisible()"), "true");
  EXPECT_EQ(Value(u"crate.findByName()"), "null");
  EXPECT_EQ(Value(u"crate.hide()"), "undefined");
  EXPECT_EQ(Value(u"crate.isVisible()"), "false");
  // One argument of any kind, by the parameter's type both ways.
  EXPECT_EQ(Value(u"event.isKeyDown(VK_SHIFT)"), "false");
  EXPECT_EQ(Value(u"event.isKeyDown('16')"), "false");
  EXPECT_EQ(Value(u"crate.findByName(5)"), "null");
}

TEST_F(JsSpecialMethodsTest, ListsPreferencesAndScores) {
  EXPECT_EQ(Value(u"applet.devices(-1)"), "");
  EXPECT_EQ(Value(u"applet.devices(0)"), Utf16ToUtf8(applet->devices(0)));
  EXPECT_NE(applet->devices(0), u"");

  const std::int32_t before = Engine->Params()->Count();
  EXPECT_EQ(Value(u"applet.params.add('+alpha')"), "undefined");
  EXPECT_EQ(Value(u"applet.params.items(" + IntToStr(before) + u")"), "+alpha");
  EXPECT_EQ(Value(u"applet.params.setItem(" + IntToStr(before) + u", 'beta')"), "null");
  EXPECT_EQ(Utf16ToUtf8(Engine->Params()->Items(before)), "beta");
  Engine->Params()->Delete(before);

  EXPECT_EQ(Value(u"preferences.setValue('volume', 5)"), "null");
  EXPECT_EQ(Value(u"preferences.getValue('volume')"), "5");
  EXPECT_EQ(Value(u"typeof preferences.getValue('volume')"), "string");
  EXPECT_EQ(Value(u"preferences.getIntValue('volume')"), "5");
  EXPECT_EQ(Value(u"preferences.setValue('sound', true)"), "null");
  EXPECT_EQ(Value(u"preferences.getBoolValue('sound')"), "true");
  EXPECT_EQ(Value(u"preferences.addUser('Ivan')"), "undefined");
  const std::u16string user = applet->GetPreferences()->Users(0);
  ASSERT_FALSE(user.empty());
  EXPECT_EQ(Value(u"preferences.users(0)"), Utf16ToUtf8(user));
  EXPECT_EQ(Value(u"preferences.renameUser(preferences.users(0), 'Olga')"), "null");
  EXPECT_EQ(Value(u"preferences.users(0)"), "Olga");

  EXPECT_EQ(Value(u"scoreTable.addScore('A', 16777217)"), "null");
  EXPECT_EQ(Value(u"scoreTable.names(0)"), "A");
  EXPECT_EQ(Value(u"scoreTable.scores(0)"), "16777217");
}

TEST_F(JsSpecialMethodsTest, CoordinatesAndTheTree) {
  Box* a = MakeBox(u"a");
  Box* b = MakeBox(u"b");
  Run(u"b.position.x = 1; b.position.y = 2; b.position.z = 3");
  EXPECT_EQ(Value(u"a.position.copy(b.position)"), "undefined");
  EXPECT_EQ(a->Position()->Coordinates().z, 3);
  Run(u"a.position.x = -1; a.position.y = -1; a.position.z = 0");
  EXPECT_EQ(Value(u"a.position.reflect(a.up)"), "undefined");
  TOwned<TSpaceCoord> expected(TSpaceCoord::CreateInitialized(nullptr, {-1, -1, 0, 1}));
  expected->reflect(a->Up());
  EXPECT_EQ(a->Position()->Coordinates().y, expected->Coordinates().y);
  EXPECT_NE(expected->Coordinates().y, -1);

  EXPECT_EQ(Value(u"applet.children(applet.count - 1) === b"), "true");
  EXPECT_EQ(Value(u"b.children(0)"), "null");
  EXPECT_EQ(Value(u"b.moveTo(a)"), "null");
  EXPECT_EQ(b->Parent(), a);
  EXPECT_EQ(Value(u"a.children(0) === b"), "true");
  EXPECT_EQ(Value(u"applet.findByName('nope')"), "null");
  EXPECT_EQ(Value(u"applet.findByName('b') === b"), "true");

  b->SetTagString(u"loot");
  Box* c = MakeBox(u"c", b);
  c->SetTagString(u"loot");
  EXPECT_EQ(Value(u"applet.findByTagString('loot') === b"), "true");
  EXPECT_EQ(Value(u"a.findOwnByTagString('loot') === b"), "true");
  EXPECT_EQ(Value(u"applet.findOwnByTagString('loot')"), "null");
  // The list of found objects starts empty each time.
  EXPECT_EQ(Value(u"applet.findAllByTagString('loot')"), "2");
  EXPECT_EQ(Value(u"applet.findAllByTagString('loot')"), "2");
  EXPECT_EQ(Value(u"event.paramList(0) === b && event.paramList(1) === c"), "true");
  EXPECT_EQ(Value(u"a.findAllOwnByTagString('loot')"), "1");
  EXPECT_EQ(Value(u"a.findAllOwnByTagString('loot')"), "1");
  EXPECT_EQ(Value(u"event.paramList(5)"), "null");

  // A handler of the object's own runs, recursion ends reported once.
  Run(u"hits = 0; a.onCustomEvent = 'hits++'");
  EXPECT_EQ(Value(u"a.customEvent('x')"), "null");
  EXPECT_EQ(Value(u"hits"), "1");
  Run(u"a.onCustomEvent = 'a.customEvent(\"x\")'");
  const std::size_t mark = world.Mark();
  EXPECT_EQ(Value(u"a.customEvent('x')"), "null");
  const Lines errors = world.ErrorsSince(mark);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("too much recursion"), std::string::npos) << errors[0];
}

TEST_F(JsSpecialMethodsTest, EventsAndThePlatform) {
  EXPECT_EQ(Value(u"event.addVarToDebug('x')"), "null");
  // A key recorded, then played back to the applet's handler.
  Run(u"applet.onKeyPress = 'lastKey = event.paramKey'");
  EXPECT_EQ(Value(u"event.recordEvent('rec.txt')"), "null");
  applet->GetEvent()->AddEvent(std::make_unique<TKeyEvent>(evKeyUp, applet->Window(), 13, u'\0', TShiftState{}));
  world.Steps(1);
  EXPECT_EQ(Value(u"event.stop()"), "undefined");
  EXPECT_TRUE(world.Exists("rec.txt"));
  Run(u"lastKey = 0");
  EXPECT_EQ(Value(u"event.playEvent('rec.txt')"), "null");
  world.Steps(5);
  EXPECT_EQ(Value(u"lastKey"), "13");
  EXPECT_EQ(Value(u"applet.makepng('s.png')"), "null");
  // The picture is stored through the external manager, in the applet's folder.
  EXPECT_EQ(world.Platform().CountWindowCalls("MakePng s.png"), 1);

  // The external manager's chooser, whatever the receiver publishing it.
  auto* external = dynamic_cast<TExtResourceMan*>(Engine->ExternalResMan());
  ASSERT_NE(external, nullptr);
  std::u16string asked;
  external->SetFileChooser([&asked](const std::u16string& filter) {
    asked = filter;
    return std::u16string(u"/home/me/a.png");
  });
  EXPECT_EQ(Value(u"externalResMan.selectExternalFile('*.png')"), "/home/me/a.png");
  EXPECT_EQ(asked, u"*.png");
  external->SetFileChooser(nullptr);
}

TEST_F(JsSpecialMethodsTest, ModalLoopsAndFades) {
  world.Platform().SetStep(0.05f);
  Box* form = MakeBox(u"form");
  form->SetOnTick(u"applet.cancelModal(MR_OK)");
  EXPECT_EQ(Value(u"applet.enterModal(form)"), "1");
  form->SetOnTick(u"");

  Box* closer = MakeBox(u"closer");
  closer->SetOnTick(u"applet.cancelModal(MR_OK)");
  EXPECT_EQ(Value(u"applet.showMessage('hi', '')"), "undefined");
  closer->SetOnTick(u"");

  auto* hide = dynamic_cast<AnimationEffect*>(applet->FadeScreen()->FindEffect(u"hide"));
  ASSERT_NE(hide, nullptr);
  EXPECT_EQ(Value(u"applet.hideScreen(0.5)"), "null");
  EXPECT_EQ(hide->Keys()->Key(1)->key, 15u);
  EXPECT_EQ(Value(u"applet.fadeScreenToColor('#FF000000', 1)"), "null");
  auto* show = dynamic_cast<AnimationEffect*>(applet->FadeScreen()->FindEffect(u"show"));
  ASSERT_NE(show, nullptr);
  EXPECT_EQ(show->Keys()->Key(1)->key, 30u);
  // The waiting forms run frames until the fade is over.
  const float start = Engine->Time();
  EXPECT_EQ(Value(u"applet.hideScreenWait(0.1)"), "null");
  EXPECT_GE(Engine->Time() - start, 0.1f);
  EXPECT_EQ(Value(u"applet.fadeScreenToColorWait('#FF000000', 0.1)"), "null");

  // A sleep longer than the guard's limit runs frames, so it is not stopped.
  js::SetScriptTimeLimit(0.5);
  const std::size_t mark = world.Mark();
  EXPECT_EQ(Value(u"applet.sleep(1)"), "undefined");
  EXPECT_TRUE(world.ErrorsSince(mark).empty());
  js::SetScriptTimeLimit(10);
}

TEST_F(JsSpecialMethodsTest, ObjectsMadeLoadedAndStored) {
  // No parent, or null, is the applet.
  EXPECT_EQ(Value(u"applet.new('Box', null).getParent() === applet"), "true");
  MakeBox(u"home");
  EXPECT_EQ(Value(u"applet.new('Box', home).getParent() === home"), "true");
  world.Put("crate.object", "object Box\n  width = 6\nend\n");
  world.Put("quest.object", "object quest: Mission\nend\n");
  EXPECT_EQ(Value(u"applet.newFromCache('crate.object', null).width"), "6");
  EXPECT_EQ(Value(u"applet.startMission('quest.object', null).getParent() === applet"), "true");
  EXPECT_EQ(Value(u"applet.editMission('quest.object', undefined).designTime"), "true");
  EXPECT_EQ(Value(u"applet.new('Nothing', null)"), "null");
  // With one argument too.
  EXPECT_EQ(Value(u"applet.new('Box').getParent() === applet"), "true");
  EXPECT_EQ(Value(u"applet.newFromFile('crate.object').getParent() === applet"), "true");

  MakeBox(u"kept");
  EXPECT_EQ(Value(u"applet.storeObject(kept, 'kept.object')"), "undefined");
  EXPECT_TRUE(world.Exists("kept.object"));
  // Methods outside the table take two arguments as any other number:
  // extra ones are ignored, a parent given second is used.
  EXPECT_EQ(Value(u"applet.findByName('kept', 1) === kept"), "true");
  EXPECT_EQ(Value(u"applet.newFromFile('crate.object', kept).getParent() === kept"), "true");
}

TEST_F(JsSpecialMethodsTest, PhysicsScreenAndFilter) {
  test::TUseFakePhysics physics;
  Box* box = MakeBox(u"crate");
  box->SetDynamic(true);
  box->spawn();
  auto* engine = dynamic_cast<test::TFakeDynamicEngine*>(applet->DynamicEngine());
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(Value(u"crate.explode(10, 3)"), "undefined");
  EXPECT_EQ(engine->Explosions, 1);
  EXPECT_EQ(Value(u"typeof crate.complexCollise(true)"), "number");
  EXPECT_EQ(Value(u"crate.screenToLocal(10, 20)"), "undefined");

  auto* filter = dynamic_cast<test::TTestFilter*>(applet->Filter());
  ASSERT_NE(filter, nullptr);
  filter->pixmapFiles[u"p.png"] = {4, 4};
  const std::size_t pixmaps = applet->Device()->Pixmaps().size();
  const int loads = filter->pixmapLoads;
  EXPECT_EQ(Value(u"filter.loadPixmap(resMan, 'p.png')"), "null");
  EXPECT_EQ(filter->pixmapLoads, loads + 1);
  EXPECT_EQ(filter->pixmapRequests.back().ResMan, applet->ResMan());
  EXPECT_EQ(filter->pixmapRequests.back().Name, u"p.png");
  EXPECT_EQ(applet->Device()->Pixmaps().size(), pixmaps);
}

// The engine's own filter on real files: the picture converts to its
// ".pixmap" beside it, and the pixmap the script never sees is freed.
TEST(JsSpecialMethodsOnFiles, LoadPixmapWritesTheDerivedFileAndFreesThePixmap) {
  RegisterFilterClasses();
  test::TAppletWorld::TOptions options = test::JavaScriptOptions();
  options.filterClass = TFilter::StaticClass();
  test::TAppletWorld world(options);
  std::vector<std::uint8_t> png;
  const std::vector<std::uint32_t> pixels(16, 0xFF336699u);
  ASSERT_TRUE(EncodePng(4, 4, pixels, png));
  world.Put("p.png", std::string(png.begin(), png.end()));
  Applet* applet = world.Launch("object Game: Applet\nend\n");
  ASSERT_NE(applet, nullptr);
  auto* js = dynamic_cast<TJavaScriptEngine*>(applet->ScriptEngine());
  ASSERT_NE(js, nullptr);
  const std::size_t pixmaps = applet->Device()->Pixmaps().size();
  EXPECT_TRUE(js->CallScript(u"loaded = String(filter.loadPixmap(resMan, 'p.png'))"));
  EXPECT_EQ(js->GetVarValue(u"loaded"), u"null");
  EXPECT_TRUE(js->CallScript(u"raw = typeof filter.loadRGBAFile + ' ' + typeof filter.saveRGBAFile"));
  EXPECT_EQ(js->GetVarValue(u"raw"), u"function function");
  EXPECT_TRUE(world.Exists("p.pixmap"));
  EXPECT_EQ(applet->Device()->Pixmaps().size(), pixmaps);
}

TEST_F(JsSpecialMethodsTest, CallsOnNothingAndOtherSpellings) {
  MakeBox(u"crate");
  // Method names match without case, as property names do: the same
  // function, with what its published name gives.
  MakeBox(u"lid", applet->findByName(u"crate"));
  EXPECT_EQ(Value(u"crate.FindByName === crate.findByName"), "true");
  EXPECT_EQ(Value(u"applet.FINDBYNAME('lid') === lid"), "true");
  EXPECT_EQ(Value(u"crate.FindByName('none')"), "null");
  EXPECT_EQ(Value(u"typeof crate.noSuchMethod"), "undefined");
  // Called on something that is no engine object.
  EXPECT_TRUE(js->CallScript(u"try { Box.findByName.call({}, 'x'); throw 'called' } catch (e) { if (!(e instanceof TypeError)) throw e }"));
}

}  // namespace
}  // namespace corvane
