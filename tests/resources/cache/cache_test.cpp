#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/streams/memory_stream.h"
#include "engine/shell/engine.h"
#include "engine/shell/engine_log.h"
#include "platform/sound_engine.h"
#include "platform/sys_font.h"
#include "resources/cache/cache.h"
#include "script/script_engine.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_filter.h"
#include "tests/support/kit/test_sound_engine.h"
#include "tests/support/kit/test_sys_font.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

class CacheTest : public ::testing::Test {
 protected:
  CacheTest() {
    test::TTestSoundEngine::Journal().clear();
    test::TTestSysFont::Journal().clear();
    filter.pixmapFiles[u"A.pixmap"] = {4, 4};
    filter.pixmapFiles[u"b.pixmap"] = {2, 2};
    filter.meshFiles.insert(u"ship.mesh");
  }
  ~CacheTest() override {
    SoundEngineClass = nullptr;
    SysFontClass = nullptr;
  }
  bool Listed(const TPixmap* pixmap) const {
    const auto& list = device->Pixmaps();
    return std::find(list.begin(), list.end(), pixmap) != list.end();
  }
  int Journaled(const std::string& line) const {
    const auto& journal = test::TTestSoundEngine::Journal();
    return static_cast<int>(std::count(journal.begin(), journal.end(), line));
  }

  test::TTestWorld world;
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();
  test::TTestFilter& filter = *world.applet->Filters();
  TCache& cache = *world.applet->Cache();
};

TEST_F(CacheTest, NamesDifferingInCaseShareOnePixmapDestroyedOnce) {
  TPixmap* first = cache.LoadPixmap(nullptr, u"A.pixmap");
  TPixmap* second = cache.LoadPixmap(nullptr, u"a.pixmap");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->RefCount, 2);
  EXPECT_EQ(filter.pixmapLoads, 1);
  cache.FreePixmap(first);
  EXPECT_TRUE(Listed(first));
  EXPECT_EQ(first->RefCount, 1);
  device->ClearRecords();
  cache.FreePixmap(second);
  EXPECT_EQ(device->CountCalls("ReleasePixmap"), 1);
  EXPECT_TRUE(device->Pixmaps().empty());
  EXPECT_EQ(cache.PixmapCount(), 0);
}

// Names beyond Latin-1 are told apart as the engine compares names: two
// pictures named in another script are two pictures.
TEST_F(CacheTest, NamesInAnyScriptAreToldApart) {
  filter.pixmapFiles[u"\u4E2D.pixmap"] = {4, 4};
  filter.pixmapFiles[u"\u6587.pixmap"] = {2, 2};
  TPixmap* first = cache.LoadPixmap(nullptr, u"\u4E2D.pixmap");
  TPixmap* second = cache.LoadPixmap(nullptr, u"\u6587.pixmap");
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(filter.pixmapLoads, 2);
  cache.FreePixmap(first);
  cache.FreePixmap(second);
}

TEST_F(CacheTest, MissesAreRememberedForMeshesAndFontsButNotPixmaps) {
  EXPECT_EQ(cache.LoadPixmap(nullptr, u"none.pixmap"), nullptr);
  EXPECT_EQ(cache.LoadPixmap(nullptr, u"none.pixmap"), nullptr);
  EXPECT_EQ(filter.pixmapLoads, 2);
  EXPECT_EQ(cache.PixmapCount(), 0);

  EXPECT_EQ(cache.LoadMesh(nullptr, u"none.mesh"), nullptr);
  filter.meshFiles.insert(u"none.mesh");  // appears later: still the miss
  EXPECT_EQ(cache.LoadMesh(nullptr, u"NONE.mesh"), nullptr);
  EXPECT_EQ(filter.meshLoads, 1);
  EXPECT_EQ(cache.MeshCount(), 1);

  EXPECT_EQ(cache.LoadFont(u"verdana", 10, {}), nullptr);  // no system-font class
  SysFontClass = test::TTestSysFont::StaticClass();
  EXPECT_EQ(cache.LoadFont(u"Verdana", 10.5f, {}), nullptr);
  EXPECT_TRUE(test::TTestSysFont::Journal().empty());
  EXPECT_EQ(cache.FontCount(), 1);

  // Clear forgets the misses.
  cache.Clear();
  EXPECT_EQ(cache.MeshCount(), 0);
  EXPECT_EQ(cache.FontCount(), 0);
  EXPECT_NE(cache.LoadMesh(nullptr, u"none.mesh"), nullptr);
}

TEST_F(CacheTest, FontsShareTheWholePartOfTheirSize) {
  SysFontClass = test::TTestSysFont::StaticClass();
  TFont* a = cache.LoadFont(u"verdana", 12.7f, {fsBold});
  TFont* b = cache.LoadFont(u"VERDANA", 12.2f, {fsBold});
  TFont* italic = cache.LoadFont(u"verdana", 12, {fsItalic});
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, italic);
  EXPECT_EQ(a->RefCount, 2);
  EXPECT_EQ(test::TTestSysFont::Journal(),
            (std::vector<std::string>{"font InitFromFont cache/verdana12bold.fnbin",
                                      "font InitFromFont cache/verdana12italic.fnbin"}));
  cache.FreeFont(a);
  cache.FreeFont(b);
  EXPECT_EQ(test::TTestSysFont::Journal().back(), "font destroyed");
  EXPECT_EQ(cache.FontCount(), 1);
}

TEST_F(CacheTest, MeshesAreSharedAndDestroyedThroughTheDevice) {
  TMesh* mesh = cache.LoadMesh(nullptr, u"ship.mesh");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(cache.LoadMesh(nullptr, u"Ship.Mesh"), mesh);
  EXPECT_EQ(mesh->RefCount, 2);
  cache.FreeMesh(mesh);
  cache.FreeMesh(nullptr);
  TMesh stranger{TCreateContext()};
  cache.FreeMesh(&stranger);  // not the cache's: ignored
  EXPECT_EQ(stranger.RefCount, 0);
  device->ClearRecords();
  cache.FreeMesh(mesh);
  EXPECT_EQ(device->CountCalls("ReleaseMesh"), 1);
  EXPECT_EQ(device->Meshes().size(), 1u);  // the scratch mesh
}

TEST_F(CacheTest, TheFirstMusicMakesTheSoundEngineAndRegistersIt) {
  // Without a sound-engine class there is no sound.
  EXPECT_EQ(cache.LoadSound(nullptr, u"a.wav"), nullptr);
  EXPECT_EQ(cache.LoadMusic(nullptr, u"m.ogg"), nullptr);
  EXPECT_EQ(world.applet->SoundEngine(), nullptr);

  SoundEngineClass = test::TTestSoundEngine::StaticClass();
  TMusic* music = cache.LoadMusic(nullptr, u"theme.ogg");
  ASSERT_NE(music, nullptr);
  TSoundEngine* engine = world.applet->SoundEngine();
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(engine->Owner(), world.applet);
  EXPECT_EQ(world.Scripts().variables, std::vector<std::u16string>{u"soundEngine"});
  // Volumes, then the applet's pause state, then the load.
  EXPECT_EQ(test::TTestSoundEngine::Journal(),
            (std::vector<std::string>{"sound volume 0.5", "music volume 0.3", "pause off", "open music theme.ogg"}));

  EXPECT_EQ(cache.LoadMusic(nullptr, u"THEME.OGG"), music);
  EXPECT_EQ(music->RefCount, 2);
  EXPECT_EQ(cache.LoadSound(nullptr, u"missing.wav"), nullptr);
  EXPECT_EQ(cache.SoundCount(), 0);
  TSound* shot = cache.LoadSound(nullptr, u"shot.wav");
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(world.applet->SoundEngine(), engine);  // made once
  cache.FreeSound(shot);
  EXPECT_EQ(Journaled("close sound shot.wav"), 1);
  EXPECT_TRUE(engine->Sounds().empty());
  cache.FreeMusic(music);
  EXPECT_EQ(Journaled("close music theme.ogg"), 0);
}

TEST_F(CacheTest, ScriptsAreSharedAndFreedThroughTheScriptEngine) {
  world.Scripts().scriptFiles.insert(u"main.js");
  TScript* script = cache.LoadScript(nullptr, u"main.js");
  ASSERT_NE(script, nullptr);
  EXPECT_EQ(cache.LoadScript(nullptr, u"MAIN.JS"), script);
  EXPECT_EQ(script->RefCount, 2);
  EXPECT_EQ(cache.LoadScript(nullptr, u"other.js"), nullptr);
  cache.FreeScript(script);
  EXPECT_TRUE(world.Scripts().freedScripts.empty());
  cache.FreeScript(script);
  EXPECT_EQ(world.Scripts().freedScripts.size(), 1u);
}

TEST_F(CacheTest, StreamsAreCopiedOnceAndCounted) {
  TMemoryStream source(std::span<const char>("abc", 3));
  cache.AddStream(nullptr, u"scene.object", source);
  TMemoryStream other(std::span<const char>("x", 1));
  cache.AddStream(nullptr, u"other.object", other);
  cache.AddStream(nullptr, u"SCENE.object", other);  // already cached: nothing
  TStream* a = cache.LoadStream(nullptr, u"scene.object");
  a->SetPosition(2);
  TStream* b = cache.LoadStream(nullptr, u"Scene.Object");
  ASSERT_EQ(a, b);
  EXPECT_EQ(b->Position(), 0);
  EXPECT_EQ(b->Size(), 3);
  EXPECT_EQ(cache.StreamRefCount(u"scene.object"), 2);
  cache.LoadStream(nullptr, u"other.object");
  cache.FreeStream(u"scene.object");
  cache.FreeStream(u"scene.object");
  EXPECT_EQ(world.log.CountInfo("delete from cache scene.object"), 1);
  EXPECT_EQ(cache.StreamRefCount(u"scene.object"), -1);
  EXPECT_EQ(cache.StreamRefCount(u"other.object"), 1);
  EXPECT_EQ(cache.LoadStream(nullptr, u"missing.object"), nullptr);
}

TEST_F(CacheTest, ClearReleasesOnceAndKeepsWhatIsStillHeld) {
  TPixmap* shared = cache.LoadPixmap(nullptr, u"A.pixmap");
  cache.LoadPixmap(nullptr, u"A.pixmap");
  TPixmap* single = cache.LoadPixmap(nullptr, u"b.pixmap");
  TMemoryStream source(std::span<const char>("abc", 3));
  cache.AddStream(nullptr, u"s.object", source);
  cache.LoadStream(nullptr, u"s.object");
  cache.Clear();
  EXPECT_FALSE(Listed(single));
  EXPECT_TRUE(Listed(shared));
  EXPECT_EQ(shared->RefCount, 1);
  EXPECT_EQ(cache.PixmapCount(), 1);
  EXPECT_EQ(cache.StreamCount(), 0);
  // Its holder's release still finds it.
  cache.FreePixmap(shared);
  EXPECT_TRUE(device->Pixmaps().empty());
}

TEST_F(CacheTest, WriteStatPostsTheCounts) {
  cache.LoadPixmap(nullptr, u"A.pixmap");
  cache.LoadMesh(nullptr, u"none.mesh");
  cache.WriteStat();
  const THashedStringList& info = world.engine->LogBook().Info;
  for (const auto& [name, value] : std::vector<std::pair<std::u16string, std::u16string>>{
           {u"Cache Font", u"0"}, {u"Cache Pixmap", u"1"}, {u"Cache Mesh", u"1"}, {u"Cache Script", u"0"},
           {u"Cache Stream", u"0"}, {u"Cache Sound", u"0"}, {u"Cache Music", u"0"}}) {
    const int i = info.IndexOfName(name);
    ASSERT_GE(i, 0);
    EXPECT_EQ(info.GetValueFromIndex(i), value);
  }
}

TEST_F(CacheTest, AtItsEndTheCacheDestroysEverythingLeft) {
  SoundEngineClass = test::TTestSoundEngine::StaticClass();
  SysFontClass = test::TTestSysFont::StaticClass();
  world.Scripts().scriptFiles.insert(u"main.js");
  // A second cache of the same applet, so that it can go while the device
  // and the engines stand.
  auto* second = Create<TCache>(TCreateContext(world.applet));
  TPixmap* held = second->LoadPixmap(nullptr, u"A.pixmap");
  second->LoadPixmap(nullptr, u"a.pixmap");  // count 2: Clear alone would forget it
  second->LoadMesh(nullptr, u"ship.mesh");
  second->LoadMesh(nullptr, u"ship.mesh");
  second->LoadSound(nullptr, u"shot.wav");
  second->LoadSound(nullptr, u"shot.wav");
  second->LoadMusic(nullptr, u"theme.ogg");
  second->LoadMusic(nullptr, u"theme.ogg");
  second->LoadFont(u"verdana", 10, {});
  second->LoadFont(u"verdana", 10, {});
  second->LoadScript(nullptr, u"main.js");
  ASSERT_TRUE(Listed(held));
  world.log.Clear();
  device->ClearRecords();

  second->Free();

  EXPECT_TRUE(device->Pixmaps().empty());
  EXPECT_EQ(device->Meshes().size(), 1u);  // the scratch mesh
  EXPECT_EQ(device->CountCalls("ReleasePixmap"), 1);
  EXPECT_EQ(device->CountCalls("ReleaseMesh"), 1);
  EXPECT_EQ(Journaled("close sound shot.wav"), 1);
  EXPECT_EQ(Journaled("close music theme.ogg"), 1);
  EXPECT_EQ(test::TTestSysFont::Journal().back(), "font destroyed");
  EXPECT_EQ(world.Scripts().freedScripts.size(), 1u);
  EXPECT_TRUE(world.applet->SoundEngine()->Sounds().empty());
}

}  // namespace
}  // namespace corvane
