// The property objects: pictures, fonts and models held by name through
// the applet's cache, routed to the right resource manager, given back on
// every change; the picture's texture set-up and drawing; their streams.
#include <gtest/gtest.h>

#include <string>

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/prop_access.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "platform/sys_font.h"
#include "resources/cache/cache.h"
#include "resources/empty_res_man.h"
#include "scene/font_persistent.h"
#include "scene/mesh_persistent.h"
#include "scene/pixmap_persistent.h"
#include "scene/register.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_filter.h"
#include "tests/support/kit/test_sys_font.h"
#include "tests/support/kit/test_world.h"
#include "tests/support/stream_bytes.h"

namespace corvane {

// An object holding one of each, as scene objects and widgets do.
class TPropertyHolder : public BaseObject {
  CORVANE_CLASS(TPropertyHolder, BaseObject)
  static void Describe(TClassBuilder<TPropertyHolder>& c) {
    c.Property("font", &TPropertyHolder::Font);
    c.Property("pixmap", &TPropertyHolder::Pixmap);
    c.Property("mesh", &TPropertyHolder::Mesh);
  }
  explicit TPropertyHolder(const TCreateContext& context)
      : BaseObject(context),
        font_(Create<TFontPersistent>(TCreateContext(AppletObjectOf(this)))),
        pixmap_(Create<TPixmapPersistent>(TCreateContext(AppletObjectOf(this)))),
        mesh_(Create<TMeshPersistent>(TCreateContext(AppletObjectOf(this)))) {}
  TFontPersistent* Font() const { return font_.get(); }
  TPixmapPersistent* Pixmap() const { return pixmap_.get(); }
  TMeshPersistent* Mesh() const { return mesh_.get(); }

 private:
  TOwned<TFontPersistent> font_;
  TOwned<TPixmapPersistent> pixmap_;
  TOwned<TMeshPersistent> mesh_;
};
CORVANE_IMPLEMENT_CLASS(TPropertyHolder)

namespace {

using test::TRecordingDevice;
using test::TTestFilter;
using test::TTestWorld;
using test::WriteComponentText;

// Properties by name, as streams and scripts reach them.
std::string Str(const TObject& o, const char* name) { return GetStrProp(o, PropByName(o, name)); }
void SetStr(TObject& o, const char* name, const std::string& v) { SetStrProp(o, PropByName(o, name), v); }
std::u16string WStr(const TObject& o, const char* name) { return GetWideStrProp(o, PropByName(o, name)); }
std::int64_t Ord(const TObject& o, const char* name) { return GetOrdProp(o, PropByName(o, name)); }
void SetOrd(TObject& o, const char* name, std::int64_t v) { SetOrdProp(o, PropByName(o, name), v); }
void SetObj(TObject& o, const char* name, TObject* v) { SetObjectProp(o, PropByName(o, name), v); }

TEmptyResourceMan* NewResMan(const char* name) {
  auto* resMan = new TEmptyResourceMan(TCreateContext(), name);
  FinishConstruction(resMan, TCreateContext());
  return resMan;
}

// A world whose applet has a recording device, its own resource manager,
// and an engine with embedded and external managers, all told apart.
struct TPictureWorld {
  TPictureWorld() {
    RegisterSceneClasses();
    RegisterClasses({TPropertyHolder::StaticClass()});
    device = world.applet->UseRecordingDevice();
    filter = world.applet->Filters();
    embedded = NewResMan("embedded");
    external = NewResMan("external");
    world.engine->SetEmbeddedResMan(embedded);
    world.engine->SetExternalResMan(external);
    world.applet->SetResMan(own.get());
    SysFontClass = test::TTestSysFont::StaticClass();
  }
  ~TPictureWorld() { SysFontClass = nullptr; }
  TCache& Cache() const { return *world.applet->Cache(); }
  TPropertyHolder* NewHolder() { return Create<TPropertyHolder>(TCreateContext(world.applet)); }
  // A holder named "h" whose picture is the 64 x 64 "a.pixmap".
  TPropertyHolder* PictureHolder() {
    filter->pixmapFiles[u"a.pixmap"] = {64, 64};
    TPropertyHolder* holder = NewHolder();
    holder->SetName(u"h");
    holder->Pixmap()->SetFileName("a.pixmap");
    return holder;
  }

  TTestWorld world;
  TRecordingDevice* device = nullptr;
  TTestFilter* filter = nullptr;
  TResourceMan* embedded = nullptr;
  TResourceMan* external = nullptr;
  TOwned<TEmptyResourceMan> own{NewResMan("applet")};
};

TEST(PixmapPersistent, NamesRouteToTheirManagersAndKeepTheirSpelling) {
  TPictureWorld w;
  TPropertyHolder* holder = w.NewHolder();
  TPixmapPersistent* pixmap = holder->Pixmap();
  struct Case {
    const char* src;
    TResourceMan* resMan;
    const char16_t* loaded;
  };
  const Case cases[] = {{"arrow_pixmap_big", w.embedded, u"arrow.pixmap"},
                        {"c:pics/a.pixmap", w.external, u"c:pics/a.pixmap"},
                        {"a.pixmap", w.own.get(), u"a.pixmap"}};
  for (const Case& c : cases) {
    w.filter->pixmapRequests.clear();
    SetStr(*pixmap, "src", c.src);
    ASSERT_EQ(w.filter->pixmapRequests.size(), 1u) << c.src;
    EXPECT_EQ(w.filter->pixmapRequests[0].ResMan, c.resMan) << c.src;
    EXPECT_EQ(w.filter->pixmapRequests[0].Name, c.loaded) << c.src;
    EXPECT_EQ(Str(*pixmap, "src"), c.src) << "the name stays as set";
    EXPECT_EQ(Str(*pixmap, "fileName"), c.src);
  }
  // The same name again loads nothing.
  const int loads = w.filter->pixmapLoads;
  pixmap->SetFileName("a.pixmap");
  SetStr(*pixmap, "fileName", "a.pixmap");
  EXPECT_EQ(w.filter->pixmapLoads, loads);
  holder->Free();
}

TEST(PixmapPersistent, ADefaultNameSavesAsWrittenAndReloadsItsPicture) {
  TPictureWorld w;
  w.filter->pixmapFiles[u"defaultcur.pixmap"] = {32, 32};
  TPropertyHolder* holder = w.NewHolder();
  holder->SetName(u"h");
  holder->Pixmap()->SetFileName("defaultcur_pixmap");
  ASSERT_NE(holder->Pixmap()->Loaded(), nullptr);
  const std::string text = WriteComponentText(holder);
  EXPECT_NE(text.find("pixmap.src = 'defaultcur_pixmap'"), std::string::npos) << text;
  holder->Free();
  EXPECT_EQ(w.Cache().PixmapCount(), 0);

  auto* again = dynamic_cast<TPropertyHolder*>(w.world.Load(text));
  ASSERT_NE(again, nullptr) << w.world.log.Text();
  ASSERT_NE(again->Pixmap()->Loaded(), nullptr);
  EXPECT_EQ(again->Pixmap()->width(), 32);
  EXPECT_EQ(w.filter->pixmapRequests.back().ResMan, w.embedded);
  again->Free();
}

TEST(PropertyObjects, NameChangesGiveThePreviousResourceBack) {
  TPictureWorld w;
  for (const char16_t* name : {u"p1.pixmap", u"p2.pixmap", u"p3.pixmap"}) w.filter->pixmapFiles[name] = {8, 8};
  for (const char16_t* name : {u"m1.mesh", u"m2.mesh", u"m3.mesh"}) w.filter->meshFiles.insert(name);
  TPropertyHolder* holder = w.NewHolder();
  for (const char* name : {"p1.pixmap", "p2.pixmap", "p3.pixmap"}) holder->Pixmap()->SetFileName(name);
  for (const char* name : {"m1.mesh", "m2.mesh", "m3.mesh"}) holder->Mesh()->SetFileName(name);
  for (const char* name : {"arial", "courier", "times"}) {
    holder->Font()->SetName(name);
    EXPECT_NE(holder->Font()->Font(), nullptr) << name;
  }
  EXPECT_EQ(w.Cache().PixmapCount(), 1);
  EXPECT_EQ(w.Cache().MeshCount(), 1);
  EXPECT_EQ(w.Cache().FontCount(), 1);
  EXPECT_EQ(holder->Pixmap()->Loaded()->RefCount, 1);
  // Size and style changes give the font back too.
  holder->Font()->SetSize(12);
  holder->Font()->SetStyle(TFontStyles{fsBold});
  EXPECT_NE(holder->Font()->Font(), nullptr);
  EXPECT_EQ(w.Cache().FontCount(), 1);
  // An empty name only releases.
  const int loads = w.filter->pixmapLoads;
  holder->Pixmap()->SetFileName("");
  EXPECT_EQ(w.filter->pixmapLoads, loads);
  EXPECT_EQ(w.Cache().PixmapCount(), 0);
  holder->Pixmap()->SetFileName("p1.pixmap");
  // A second holder shares; freeing both leaves nothing.
  TPropertyHolder* second = w.NewHolder();
  second->Pixmap()->SetFileName("p1.pixmap");
  EXPECT_EQ(second->Pixmap()->Loaded(), holder->Pixmap()->Loaded());
  EXPECT_EQ(holder->Pixmap()->Loaded()->RefCount, 2);
  holder->Free();
  second->Free();
  EXPECT_EQ(w.Cache().PixmapCount(), 0);
  EXPECT_EQ(w.Cache().MeshCount(), 0);
  EXPECT_EQ(w.Cache().FontCount(), 0);
}

TEST(FontPersistent, DefaultsWriteNothingAndNoDeviceNoFont) {
  TPictureWorld w;
  TPropertyHolder* holder = w.NewHolder();
  holder->SetName(u"h");
  TFontPersistent* font = holder->Font();
  // A face differing only in case from "verdana", white and size 10 write
  // nothing.
  font->SetName("Verdana");
  font->SetColor(u"#FFFFFFFF");
  const std::string plain = WriteComponentText(holder);
  EXPECT_EQ(plain.find("font."), std::string::npos) << plain;
  font->SetColorNative(0x80102030);
  EXPECT_EQ(WStr(*font, "color"), u"#80102030");
  font->SetSize(14);
  const std::string text = WriteComponentText(holder);
  EXPECT_NE(text.find("font.color = '#80102030'"), std::string::npos) << text;
  EXPECT_NE(text.find("font.size = 14"), std::string::npos) << text;
  EXPECT_EQ(text.find("font.name"), std::string::npos) << text;
  holder->Free();

  // Without a device the font stays nil.
  TTestWorld bare;
  auto* lone = Create<TFontPersistent>(TCreateContext(bare.applet));
  EXPECT_EQ(lone->Font(), nullptr);
  lone->Free();
}

TEST(PixmapPersistent, ApplySetsTheSubRectangleMatrixThenThePictureAndStates) {
  TPictureWorld w;
  TPropertyHolder* holder = w.PictureHolder();
  TPixmapPersistent* pixmap = holder->Pixmap();
  pixmap->Rect()->SetRect({32, 0, 64, 32});
  w.device->ClearRecords();
  pixmap->Apply();
  const TPlaneMatrix expected{{{0.5f, 0, 0}, {0, 0.5f, 0}, {0.5f, 0, 1}}};
  EXPECT_EQ(w.device->TextureMatrix, expected);
  EXPECT_EQ(w.device->Calls, (std::vector<std::string>{"SetTextureMatrix", "SetPixmap 0",
                                                        "ApplyRenderState rsTexLinear",
                                                        "ApplyRenderState rsTexModulate"}));
  EXPECT_EQ(w.device->Stages[0], pixmap->Loaded());
  pixmap->Unapply();
  EXPECT_EQ(w.device->TextureMatrix, IdentityPlaneMatrix);

  pixmap->Offset()->x = 16;
  pixmap->Offset()->y = 8;
  pixmap->Apply();
  EXPECT_EQ(w.device->TextureMatrix[2].x, 0.75f);
  EXPECT_EQ(w.device->TextureMatrix[2].y, 0.125f);
  pixmap->Unapply();

  // An empty rect hands over the identity.
  pixmap->Rect()->SetRect({0, 0, 0, 0});
  w.device->TextureMatrix = expected;
  w.device->ClearRecords();
  pixmap->Apply();
  EXPECT_EQ(w.device->TextureMatrix, IdentityPlaneMatrix);
  EXPECT_EQ(w.device->CountCalls("SetTextureMatrix"), 1);
  pixmap->Unapply();
  EXPECT_EQ(w.device->CountCalls("SetTextureMatrix"), 1) << "nothing to undo";
  holder->Free();
}

TEST(PixmapPersistent, DrawPicksItsOperationByTileAndMargins) {
  TPictureWorld w;
  TPropertyHolder* holder = w.PictureHolder();
  TPixmapPersistent* pixmap = holder->Pixmap();
  const TRect target{0, 0, 200, 100};
  // The quads each device operation draws for that target.
  auto quadsOf = [&](auto draw) {
    w.device->ClearRecords();
    draw();
    std::size_t quads = 0;
    for (const test::TRecordedDraw& d : w.device->Draws) quads += test::QuadsOf(d).size();
    return quads;
  };
  const TRect margins{8, 8, 8, 8};
  TPixmap* p = pixmap->Loaded();
  const std::size_t plain = quadsOf([&] { w.device->DrawPixmap(p, target); });
  const std::size_t sliced = quadsOf([&] { w.device->DrawPixmapMargins(p, target, margins); });
  const std::size_t tiled = quadsOf([&] { w.device->DrawPixmapTile(p, target); });
  const std::size_t slicedTiled = quadsOf([&] { w.device->DrawPixmapMarginsTile(p, target, margins); });
  ASSERT_EQ(plain, 1u);
  ASSERT_EQ(sliced, 9u);
  ASSERT_EQ(tiled, 8u);
  ASSERT_GT(slicedTiled, sliced);
  struct Case {
    bool tile;
    bool withMargins;
    std::size_t quads;
  };
  for (const Case c : {Case{false, false, plain}, Case{false, true, sliced}, Case{true, false, tiled},
                       Case{true, true, slicedTiled}}) {
    pixmap->SetTile(c.tile);
    pixmap->Margins()->SetRect(c.withMargins ? margins : TRect{});
    EXPECT_EQ(quadsOf([&] { pixmap->Draw(target); }), c.quads) << c.tile << c.withMargins;
  }
  holder->Free();
}

TEST(PixmapPersistent, WithoutAFileTheDefaultPictureOrNothing) {
  TPictureWorld w;
  TPropertyHolder* holder = w.NewHolder();
  TPixmapPersistent* pixmap = holder->Pixmap();
  // No default picture: not empty, yet nothing to draw and no call.
  EXPECT_FALSE(pixmap->empty());
  EXPECT_EQ(pixmap->width(), 0);
  w.device->ClearRecords();
  pixmap->Apply();
  pixmap->Draw({0, 0, 10, 10});
  pixmap->Unapply();
  EXPECT_TRUE(w.device->Calls.empty());

  TPixmap* fallback = w.world.applet->UseDefaultPixmap(16, 8);
  ASSERT_NE(fallback, nullptr);
  EXPECT_FALSE(pixmap->empty());
  EXPECT_EQ(pixmap->Pixmap(), fallback);
  EXPECT_EQ(pixmap->width(), 16);
  EXPECT_EQ(pixmap->height(), 8);
  w.device->ClearRecords();
  pixmap->Draw({0, 0, 10, 10});
  ASSERT_EQ(w.device->Draws.size(), 1u);
  EXPECT_EQ(w.device->Draws[0].Stage0, fallback);

  pixmap->SetUseDefault(false);
  EXPECT_TRUE(pixmap->empty());
  EXPECT_EQ(pixmap->Pixmap(), nullptr);
  EXPECT_EQ(pixmap->width(), 0);
  EXPECT_EQ(pixmap->height(), 0);
  w.device->ClearRecords();
  pixmap->Draw({0, 0, 10, 10});
  EXPECT_TRUE(w.device->Calls.empty());
  holder->Free();
}

TEST(PixmapPersistent, StreamsInlineAndAssignCopiesValues) {
  TPictureWorld w;
  TPropertyHolder* holder = w.PictureHolder();
  TPixmapPersistent* pixmap = holder->Pixmap();
  SetOrd(*pixmap, "animated", 1);
  EXPECT_FALSE(Ord(*pixmap, "animated")) << "read only in effect";
  pixmap->Rect()->SetRect({32, 0, 64, 32});
  pixmap->Offset()->x = 4;
  const std::string text = WriteComponentText(holder);
  EXPECT_NE(text.find("pixmap.rect.left = 32"), std::string::npos) << text;
  EXPECT_NE(text.find("pixmap.offset.x = 4"), std::string::npos) << text;
  EXPECT_EQ(text.find("useDefault"), std::string::npos) << "true is the default: " << text;
  EXPECT_EQ(text.find("fileName"), std::string::npos) << text;
  pixmap->SetUseDefault(false);
  const std::string noDefault = WriteComponentText(holder);
  EXPECT_NE(noDefault.find("pixmap.useDefault = False"), std::string::npos) << noDefault;

  // Assigning copies the values and keeps the target's own objects.
  TPropertyHolder* copy = w.NewHolder();
  TRectPersistent* ownRect = copy->Pixmap()->Rect();
  TPointPersistent* ownOffset = copy->Pixmap()->Offset();
  pixmap->SetTile(true);
  pixmap->Margins()->SetRect({1, 2, 3, 4});
  copy->Pixmap()->Assign(pixmap);
  EXPECT_EQ(copy->Pixmap()->FileName(), "a.pixmap");
  EXPECT_EQ(copy->Pixmap()->Loaded(), pixmap->Loaded());
  EXPECT_EQ(copy->Pixmap()->Rect(), ownRect);
  EXPECT_EQ(copy->Pixmap()->Offset(), ownOffset);
  EXPECT_EQ(ownRect->GetRect().left, 32);
  EXPECT_EQ(ownOffset->x, 4);
  EXPECT_EQ(copy->Pixmap()->Margins()->GetRect().bottom, 4);
  EXPECT_TRUE(copy->Pixmap()->Tile());
  EXPECT_FALSE(copy->Pixmap()->UseDefault());
  // Setting the offset property copies as well.
  auto* point = Create<TPointPersistent>(TCreateContext());
  point->x = 9;
  SetObj(*copy->Pixmap(), "offset", point);
  EXPECT_EQ(copy->Pixmap()->Offset(), ownOffset);
  EXPECT_EQ(ownOffset->x, 9);
  point->Free();
  copy->Free();
  holder->Free();
  EXPECT_EQ(w.Cache().PixmapCount(), 0);
}

TEST(MeshPersistent, KeysClampToTheModelAndSurviveTheStream) {
  TPictureWorld w;
  w.filter->animatedMeshFiles[u"walk.mesh"] = 5;
  const std::int32_t storesAtStart = w.device->LiveMeshStores();
  TPropertyHolder* holder = w.NewHolder();
  holder->SetName(u"h");
  TMeshPersistent* mesh = holder->Mesh();
  EXPECT_TRUE(mesh->empty());
  EXPECT_EQ(mesh->KeyCount(), 0);
  // Without a model a key waits, negatives become 0.
  mesh->SetKey(3);
  EXPECT_EQ(mesh->Key(), 3);
  mesh->SetKey(-3);
  EXPECT_EQ(mesh->Key(), 0);
  mesh->SetKey(9);
  int changes = 0;
  mesh->OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, mesh);
    ++changes;
  };
  mesh->SetFileName("walk.mesh");
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(mesh->empty());
  EXPECT_TRUE(Ord(*mesh, "animated"));
  EXPECT_EQ(Ord(*mesh, "keyCount"), 4);
  EXPECT_EQ(mesh->Key(), 4) << "clamped once the model is there";
  mesh->SetKey(-3);
  EXPECT_EQ(mesh->Key(), 0);
  mesh->SetKey(100);
  EXPECT_EQ(mesh->Key(), 4);
  mesh->SetKey(1);
  // Routing: a colon goes to the external files, no "_pixmap" rule.
  mesh->SetFileName("c:models/x.mesh");
  EXPECT_EQ(w.filter->meshRequests.back().ResMan, w.external);
  EXPECT_TRUE(mesh->empty());
  mesh->SetFileName("a_pixmap.mesh");
  EXPECT_EQ(w.filter->meshRequests.back().ResMan, w.own.get());
  EXPECT_EQ(w.filter->meshRequests.back().Name, u"a_pixmap.mesh");
  mesh->SetFileName("walk.mesh");
  mesh->SetKey(1);
  mesh->OnChange = nullptr;

  // A pose streams before the name and still reloads.
  const std::string text = WriteComponentText(holder);
  EXPECT_NE(text.find("mesh.key = 1"), std::string::npos) << text;
  EXPECT_NE(text.find("mesh.fileName = 'walk.mesh'"), std::string::npos) << text;
  EXPECT_LT(text.find("mesh.key"), text.find("mesh.fileName"));
  holder->Free();
  auto* again = dynamic_cast<TPropertyHolder*>(w.world.Load(text));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Mesh()->Key(), 1);
  EXPECT_FALSE(again->Mesh()->empty());
  again->Free();
  // Failed names stay remembered as misses; the model itself is gone.
  EXPECT_EQ(w.device->LiveMeshStores(), storesAtStart);
}

// A reference kept outside every tree may outlive its applet: it then
// finds no applet, gives nothing back and frees cleanly.
TEST(PropertyObjects, AReferenceThatOutlivesItsApplet) {
  TTestWorld world;
  auto* applet = Create<test::TTestApplet>(TCreateContext(world.engine));
  applet->UseRecordingDevice();
  TOwned<TEmptyResourceMan> resMan(NewResMan("applet"));
  applet->SetResMan(resMan.get());
  applet->Filters()->pixmapFiles[u"a.pixmap"] = {8, 8};
  applet->Filters()->meshFiles.insert(u"a.mesh");
  auto* pixmap = Create<TPixmapPersistent>(TCreateContext(applet));
  auto* mesh = Create<TMeshPersistent>(TCreateContext(applet));
  auto* font = Create<TFontPersistent>(TCreateContext(applet));
  pixmap->SetFileName("a.pixmap");
  mesh->SetFileName("a.mesh");
  ASSERT_NE(pixmap->Loaded(), nullptr);
  ASSERT_NE(mesh->Mesh(), nullptr);
  applet->Free();
  EXPECT_EQ(pixmap->Pixmap(), nullptr);
  EXPECT_EQ(pixmap->width(), 0);
  EXPECT_TRUE(mesh->empty());
  pixmap->SetFileName("b.pixmap");
  mesh->SetFileName("");
  pixmap->Draw({0, 0, 4, 4});
  EXPECT_EQ(font->Font(), nullptr);
  pixmap->Free();
  mesh->Free();
  font->Free();
}

// Values a hostile or careless file may hold read without harm.
TEST(PropertyObjects, HostileStreamValuesReadAndDrawSafely) {
  TPictureWorld w;
  w.filter->pixmapFiles[u"a.pixmap"] = {64, 64};
  w.filter->animatedMeshFiles[u"walk.mesh"] = 3;
  const std::string text =
      "object h: TPropertyHolder\n"
      "  pixmap.rect.left = -1E30\n"
      "  pixmap.rect.right = 1E30\n"
      "  pixmap.margins.left = 1E30\n"
      "  pixmap.offset.x = -1E30\n"
      "  pixmap.src = 'a.pixmap'\n"
      "  pixmap.tile = True\n"
      "  mesh.key = -2147483648\n"
      "  mesh.fileName = 'walk.mesh'\n"
      "  font.color = 'not a colour'\n"
      "  font.name = ''\n"
      "end\n";
  auto* holder = dynamic_cast<TPropertyHolder*>(w.world.Load(text));
  ASSERT_NE(holder, nullptr) << w.world.log.Text();
  EXPECT_EQ(holder->Mesh()->Key(), 0);
  holder->Pixmap()->Draw({0, 0, 100, 100});
  holder->Pixmap()->Margins()->SetRect({0, 0, 0, 0});
  holder->Pixmap()->Draw({0, 0, 100, 100});
  // A sub-rectangle next to nothing makes tiles next to nothing.
  holder->Pixmap()->Rect()->SetRect({0, 0, 1E-30f, 1E-30f});
  holder->Pixmap()->Draw({0, 0, 100, 100});
  holder->Pixmap()->Margins()->SetRect({8, 8, 8, 8});
  holder->Pixmap()->Draw({0, 0, 100, 100});
  holder->Mesh()->SetKey(2147483647);
  EXPECT_EQ(holder->Mesh()->Key(), 2);
  holder->Free();
  EXPECT_EQ(w.Cache().PixmapCount(), 0);
}

}  // namespace
}  // namespace corvane
