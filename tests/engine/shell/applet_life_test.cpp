// The applet's construction and teardown as a whole: its window, what is
// made without a window, a device or the optional services, the
// preferences applied at start and stored at the end, the materials, and
// the order in which the teardown frees the game and the services.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/prop_access.h"
#include "base/reflection/variant.h"
#include "base/text/text_convert.h"
#include "engine/core/dummy.h"
#include "engine/core/event.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "engine/shell/engine_log.h"
#include "engine/shell/preferences.h"
#include "gui/button.h"
#include "platform/sound_engine.h"
#include "platform/window.h"
#include "resources/cache/cache.h"
#include "scene/materials.h"
#include "scene/pixmap_persistent.h"
#include "scene/skin.h"
#include "scene/skin_pixmap_persistent.h"
#include "scene/sprite.h"
#include "script/script_engine.h"
#include "tests/support/kit/applet_standins.h"
#include "tests/support/kit/applet_world.h"
#include "tests/support/kit/null_platform.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_script_engine.h"
#include "tests/support/kit/test_sound_engine.h"

namespace corvane {
namespace {

using test::TAppletWorld;
using Lines = std::vector<std::string>;

// The lines from the first equal to `first` through the first equal to
// `last` after it.
Lines Between(const Lines& lines, const std::string& first, const std::string& last) {
  const auto begin = std::find(lines.begin(), lines.end(), first);
  if (begin == lines.end()) return {};
  const auto end = std::find(begin, lines.end(), last);
  return Lines(begin, end == lines.end() ? end : end + 1);
}

// Notes, while it goes, which of its applet's services still stand.
class TServiceProbe : public BaseObject {
  CORVANE_CLASS(TServiceProbe, BaseObject)
  using BaseObject::BaseObject;
  void BeforeDestruction() override {
    TAppletServices* applet = GetApplet();
    seen = applet && applet->GetEvent() && applet->Cache() && applet->ScriptEngine() && applet->GetMaterials() &&
           applet->Device() && applet->ResMan();
    ++freed;
    BaseObject::BeforeDestruction();
  }
  static inline bool seen = false;
  static inline int freed = 0;
};
CORVANE_IMPLEMENT_CLASS(TServiceProbe)

// The log of each step is golden in the whole run from the command line;
// here the host window's calls.
TEST(AppletLife, ConstructionOpensTheWindowAndTheTeardownClosesIt) {
  TAppletWorld world;
  Applet* applet = world.Launch("object Game: Applet\n  title = 'Golden'\nend\n");
  ASSERT_NE(applet, nullptr) << world.Text();
  EXPECT_TRUE(applet->Ready());
  EXPECT_EQ(applet->Title(), u"Golden");
  EXPECT_EQ(world.Platform().CountWindowCalls("CreateWindow AppletWnd 100 100 801 601 0"), 1);
  EXPECT_EQ(world.Platform().CountWindowCalls("ShowWindow"), 1);
  EXPECT_EQ(world.Platform().CountWindowCalls("SetIcon icon.png"), 1);
  world.FreeApplet();
  EXPECT_EQ(world.Platform().CountWindowCalls("DestroyWindow"), 1);
  EXPECT_EQ(world.CountInfo("Objects destroyed"), 1);
}

TEST(AppletLife, WithoutAWindowOrADeviceTheAppletReadsNothingAndIsNotRun) {
  struct TCase {
    const char* what;
    bool devices;
    bool failWindows;
    const char* error;
  };
  for (const TCase& c : {TCase{"no window", true, true, "Can't create main window"},
                         TCase{"no device", false, false, "No suported devices registered"}}) {
    SCOPED_TRACE(c.what);
    TAppletWorld::TOptions options;
    options.devices = c.devices;
    TAppletWorld world(options);
    world.Platform().FailWindows = c.failWindows;
    const std::int32_t live = BaseObject::LiveCount();
    EXPECT_EQ(world.Launch("object Game: Applet\n  object a: NoSuchClass\n    onCreate = 'log created'\n  end\nend\n"),
              nullptr);
    const Lines lines = world.Messages();
    const auto error = std::find(lines.begin(), lines.end(), std::string("(e) ") + c.error);
    ASSERT_NE(error, lines.end()) << world.Text();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "(e) Applet " + world.PathOf("main.object") + " can't loaded."),
              1)
        << world.Text();
    // The stream was not read, nothing was stored and everything made was
    // freed.
    EXPECT_EQ(world.CountError("Class NoSuchClass not found."), 0);
    EXPECT_EQ(world.CountInfo("Objects destroyed"), 0);
    EXPECT_FALSE(world.Exists("main.prefs"));
    EXPECT_EQ(BaseObject::LiveCount(), live);
    EXPECT_EQ(world.engine->count(), 0);
  }
}

TEST(AppletLife, WithoutItsOptionalServicesTheAppletStillRuns) {
  TAppletWorld::TOptions options;
  options.scripts = false;
  options.filter = false;
  options.standIns = false;
  TAppletWorld world(options);
  Applet* applet = world.Launch("object Game: Applet\n  onTick = 'log tick'\n  object a: Dummy\n  end\nend\n");
  ASSERT_NE(applet, nullptr) << world.Text();
  EXPECT_EQ(applet->ScriptEngine(), nullptr);
  EXPECT_EQ(applet->Filter(), nullptr);
  EXPECT_EQ(applet->GetMaterials(), nullptr);
  EXPECT_EQ(applet->Inspector(), nullptr);
  EXPECT_EQ(applet->FadeScreen(), nullptr);
  EXPECT_EQ(applet->Cursor(), nullptr);
  EXPECT_NE(applet->GetGizmo(), nullptr);
  EXPECT_NE(applet->GetEvent(), nullptr);
  world.Steps(3);
  applet->fadeScreenToColorWait(u"#FFFF0000", 1);  // no screen: nothing to wait for
  applet->showMessage(u"no form", u"");
  applet->killParticles();
  EXPECT_EQ(world.CountInfo("tick"), 0);  // no script engine: no handler
  world.FreeApplet();
  EXPECT_EQ(world.CountInfo("Objects destroyed"), 1);
}

TEST(AppletLife, TheTeardownFreesTheGameBeforeTheServicesItUses) {
  TAppletWorld world;
  RegisterClass(TServiceProbe::StaticClass());
  TServiceProbe::seen = false;
  TServiceProbe::freed = 0;
  Applet* applet = world.Launch(
      "object Game: Applet\n"
      "  object first: BaseObject\n    onDestroy = 'log first goes'\n  end\n"
      "  object probe: TServiceProbe\n  end\n"
      "  object last: BaseObject\n    onDestroy = 'log last goes'\n  end\nend\n");
  ASSERT_NE(applet, nullptr) << world.Text();
  TWeak<Event> event(applet->GetEvent());
  const std::int32_t live = BaseObject::LiveCount();
  ASSERT_GT(live, 10);
  const std::size_t mark = world.Mark();
  world.FreeApplet();
  // The game's objects went in list order, each once, while every service
  // stood; their handlers still ran through the live event queue.
  EXPECT_TRUE(TServiceProbe::seen);
  EXPECT_EQ(TServiceProbe::freed, 1);
  const Lines lines = world.MessagesSince(mark);
  const auto at = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) - lines.begin(); };
  EXPECT_LT(at("(i) first goes"), at("(i) last goes"));
  EXPECT_LT(at("(i) last goes"), at("(i) cleared"));
  // Then the services in their order: cache, manager, device.
  EXPECT_LT(at("(i) font ok"), at("(i) Resource manager TFolderResourceMan closed"));
  EXPECT_LT(at("(i) Resource manager TFolderResourceMan closed"), at("(i) recording device manager closed"));
  EXPECT_FALSE(event.Get());
  EXPECT_EQ(world.CountInfo("first goes"), 1);
  EXPECT_EQ(world.CountInfo("last goes"), 1);
  // Nothing of the applet is left.
  EXPECT_EQ(world.engine->count(), 0);
  EXPECT_LT(BaseObject::LiveCount(), live - 10);
}

// An applet a script loads from a file reads through the loading applet's
// manager and leaves it to that applet: two of them going first once
// freed it twice.
TEST(AppletLife, AnAppletLoadedInsideAnotherLeavesItsManagerToTheOuter) {
  TAppletWorld world;
  Applet* applet = world.Launch("object Game: Applet\nend\n");
  ASSERT_NE(applet, nullptr) << world.Text();
  for (int i = 0; i < 2; ++i) {
    auto* inner = dynamic_cast<Applet*>(applet->newFromFile(u"main.object", applet));
    ASSERT_NE(inner, nullptr) << world.Text();
    EXPECT_EQ(inner->ResMan(), applet->ResMan());
  }
  world.FreeApplet();
  EXPECT_EQ(world.CountInfo("Resource manager TFolderResourceMan closed"), 1);
}

TEST(AppletLife, PreferencesSetTheVolumesAndANonNumericVolumeKeepsTheDefault) {
  TAppletWorld world;
  Applet* first = world.Launch("object Game: Applet\nend\n");
  ASSERT_NE(first, nullptr);
  first->GetPreferences()->SetValue(u"soundvolume", u"loud");
  first->GetPreferences()->SetValue(u"musicvolume", u"0.25");
  world.FreeApplet();
  ASSERT_TRUE(world.Exists("main.prefs"));

  SoundEngineClass = test::TTestSoundEngine::StaticClass();
  const std::size_t mark = world.Mark();
  Applet* applet = world.engine->RunApplet(world.PathOf("main.object"));
  ASSERT_NE(applet, nullptr) << world.Text();
  EXPECT_EQ(Between(world.MessagesSince(mark), "(i) Prefenses loaded", "(i) Set volumes"),
            (Lines{"(i) Prefenses loaded", "(i) Set sound from pref", "(i) Create SoundEngine", "(i) Set volumes"}));
  EXPECT_EQ(world.CountError("Preference soundvolume is not a number: loud"), 1) << world.Text();
  ASSERT_NE(applet->SoundEngine(), nullptr);
  EXPECT_FLOAT_EQ(applet->SoundEngine()->SoundVolume(), 0.5f);
  EXPECT_FLOAT_EQ(applet->SoundEngine()->MusicVolume(), 0.25f);
  // On the way out the volumes the engine holds are stored.
  applet->Free();
  auto* prefs = Create<Preferences>(TCreateContext(world.engine));
  prefs->Load();
  EXPECT_EQ(prefs->GetValue(u"soundvolume"), u"0.500000000000000");
  EXPECT_EQ(prefs->GetValue(u"musicvolume"), u"0.250000000000000");
  EXPECT_EQ(prefs->GetValue(u"fullscreen"), u"FALSE");
  EXPECT_EQ(prefs->GetValue(u"left"), u"100");
  prefs->Free();
  SoundEngineClass = nullptr;
}

TEST(AppletLife, FullScreenComesFromThePreferencesBeforeTheStream) {
  struct TCase {
    const char* streamed;
    const char16_t* preference;  // nullptr: none
    bool full;
  };
  for (const TCase& c : {TCase{"True", nullptr, true}, TCase{"False", nullptr, false}, TCase{"False", u"TRUE", true},
                         TCase{"True", u"0", false}, TCase{"False", u"-1", true}}) {
    SCOPED_TRACE(std::string(c.streamed) + (c.preference ? " pref" : ""));
    TAppletWorld world;
    if (c.preference) {
      Applet* first = world.Launch("object Game: Applet\nend\n");
      ASSERT_NE(first, nullptr);
      world.FreeApplet();
      auto* prefs = Create<Preferences>(TCreateContext(world.engine));
      prefs->Load();
      prefs->SetValue(u"fullscreen", c.preference);
      prefs->Store();
      prefs->Free();
    }
    Applet* applet = world.Launch(std::string("object Game: Applet\n  fullScreen = ") + c.streamed + "\nend\n");
    ASSERT_NE(applet, nullptr) << world.Text();
    EXPECT_EQ(applet->FullScreen(), c.full);
    if (c.full) {
      // The device's current mode, 1024 x 768.
      EXPECT_EQ(applet->Width(), 1024);
      EXPECT_EQ(applet->Height(), 768);
      EXPECT_EQ(world.Device()->CountCalls("FullScreen 1 2"), 1);
    }
  }
}

TEST(AppletLife, WithoutStoringPreferencesNoFileIsReadOrWritten) {
  TAppletWorld world;
  Applet* applet = world.Launch("object Game: Applet\n  storePreferenses = False\nend\n");
  ASSERT_NE(applet, nullptr);
  world.FreeApplet();
  EXPECT_EQ(world.CountInfo("Score load"), 0);
  EXPECT_EQ(world.CountInfo("Prefenses load"), 0);
  EXPECT_FALSE(world.Exists("main.prefs"));
}

TEST(AppletLife, MaterialsAreMadeOrTakenFromTheStream) {
  {
    TAppletWorld world;
    Applet* applet = world.Launch("object Game: Applet\nend\n");
    ASSERT_NE(applet, nullptr);
    Materials* materials = applet->GetMaterials();
    ASSERT_NE(materials, nullptr);
    ASSERT_NE(materials->getMaterial(u"default"), nullptr);
    ASSERT_NE(materials->getMaterial(u"gui"), nullptr);
    EXPECT_TRUE(materials->getMaterial(u"default")->Lighting());
    EXPECT_FALSE(materials->getMaterial(u"gui")->Lighting());
  }
  TAppletWorld world;
  Applet* applet = world.Launch(
      "object Game: Applet\n  object Materials1: Materials\n    object metal: Material\n"
      "      diffuse = '#FF102030'\n    end\n  end\nend\n");
  ASSERT_NE(applet, nullptr) << world.Text();
  EXPECT_EQ(world.CountInfo("Load material from main.object"), 1);
  ASSERT_NE(applet->GetMaterials(), nullptr);
  EXPECT_EQ(applet->GetMaterials()->Name(), u"Materials1");
  EXPECT_NE(applet->GetMaterials()->getMaterial(u"metal"), nullptr);
  EXPECT_EQ(applet->GetMaterials()->getMaterial(u"default"), nullptr);
  // The script global follows the object that took the place.
  const auto& variables = world.Scripts()->variables;
  EXPECT_EQ(std::count(variables.begin(), variables.end(), u"materials"), 2);
  EXPECT_EQ(applet->IsServiceObject(applet->GetMaterials()), true);
}

TEST(AppletLife, TheDebugFormPostsTheBoardEachFrame) {
  TAppletWorld world;
  Applet* applet = world.Launch("object Game: Applet\n  debugInfo = True\nend\n");
  ASSERT_NE(applet, nullptr);
  ASSERT_NE(applet->DebugForm(), nullptr);
  EXPECT_TRUE(applet->DebugFormVisible());
  world.Steps(2);
  const auto& board = world.engine->LogBook().Info;
  for (const char16_t* name :
       {u"Rendering", u"Objects", u"Scripting", u"DeltaTime", u"ProcessTick", u"Wnd Size:", u"Vis/Invis"})
    EXPECT_GE(board.IndexOfName(name), 0) << Utf16ToUtf8(name);
  EXPECT_EQ(board.getValue(u"Wnd Size:"), u"801x601");
}

TEST(AppletLife, TheTopLayerHoldsTheEngineMadeObjectsAndComesLast) {
  TAppletWorld world;
  Applet* applet = world.Launch("object Game: Applet\n  object a: Dummy\n  end\nend\n");
  ASSERT_NE(applet, nullptr);
  BaseObject* layer = applet->MostTop();
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->Name(), u"mostTopLayer");
  EXPECT_TRUE(layer->HasStyle(csExternal));
  std::vector<std::string> classes;
  for (BaseObject* child : layer->ChildList()) classes.push_back(child->ClassName());
  EXPECT_EQ(classes, (std::vector<std::string>{"Gizmo", "ScreenGizmo", "InspectorForm", "Screen", "DebugForm",
                                                "ParticleRenderer", "ParticleRenderer", "ParticleRenderer", "Dummy"}));
  EXPECT_FALSE(applet->Inspector()->Visible());
  EXPECT_FALSE(applet->FadeScreen()->Visible());
  EXPECT_NE(applet->FadeScreen()->FindEffect(u"show"), nullptr);
  EXPECT_NE(applet->FadeScreen()->FindEffect(u"hide"), nullptr);
  // Additive, blended, additive with the depth test.
  EXPECT_EQ(GetPropValue(*applet->Renderer(0), "blendingMode").AsString(), "bmAdditive");
  EXPECT_EQ(GetPropValue(*applet->Renderer(1), "blendingMode").AsString(), "bmBlend");
  EXPECT_EQ(GetPropValue(*applet->Renderer(2), "blendingMode").AsString(), "bmAdditive");
  EXPECT_FALSE(applet->Renderer(1)->AsPositionObject()->ZTest());
  EXPECT_TRUE(applet->Renderer(2)->AsPositionObject()->ZTest());
  // The cursor sprite.
  ASSERT_NE(applet->Cursor(), nullptr);
  auto* sprite = dynamic_cast<Sprite*>(applet->Cursor()->children(0));
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(sprite->Pixmap()->FileName(), "defaultcur_pixmap");
  EXPECT_EQ(sprite->Width(), 64);
  EXPECT_EQ(sprite->X(), 8);
  EXPECT_EQ(sprite->Y(), 18);
  EXPECT_EQ(sprite->MaterialName(), u"gui");
  // A child added later is drawn below the layer after the next frame.
  Create<BaseObject>(TCreateContext(applet));
  world.Steps(1);
  EXPECT_EQ(applet->ChildList().back(), layer);
}

TEST(AppletLife, TheDefaultSkinLoadsOnlyWhenSkinIsRegistered) {
  for (bool skin : {false, true}) {
    TAppletWorld::TOptions options;
    options.skin = skin;
    TAppletWorld world(options);
    Applet* applet = world.Launch("object Game: Applet\nend\n");
    ASSERT_NE(applet, nullptr);
    if (!skin) {
      EXPECT_EQ(applet->DefaultSkin(), nullptr);
      continue;
    }
    ASSERT_NE(applet->DefaultSkin(), nullptr) << world.Text();
    EXPECT_EQ(applet->DefaultSkin()->ClassName(), "Skin");
    EXPECT_NE(applet->DefaultSkin()->findByName(u"form"), nullptr);
    EXPECT_TRUE(applet->DefaultSkin()->HasStyle(csExternal));
    // A skinned widget made now looks its element up in that skin.
    auto* button = Create<Button>(TCreateContext(applet));
    button->SetSkinElement("button");
    ASSERT_NE(button->Pixmap()->SkinObject(), nullptr);
    EXPECT_EQ(button->Pixmap()->SkinObject()->Name(), u"button");
    EXPECT_EQ(button->Pixmap()->GetSkin(), applet->DefaultSkin());
  }
}

}  // namespace
}  // namespace corvane
