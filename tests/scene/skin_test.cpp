// Skins: the default skin's elements, skinned picture references that draw
// an element's part of the default picture (or their own picture), and
// weak handles to skins and elements that go away.
#include <gtest/gtest.h>

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/prop_access.h"
#include "engine/core/object_loader.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "resources/cache/register.h"
#include "resources/empty_res_man.h"
#include "resources/embedded_res_man.h"
#include "scene/pixmap_persistent.h"
#include "scene/register.h"
#include "scene/skin.h"
#include "scene/skin_pixmap_persistent.h"
#include "tests/support/kit/embedded_defaults_scope.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_filter.h"
#include "tests/support/kit/test_world.h"
#include "tests/support/stream_bytes.h"

namespace corvane {
namespace {

using test::TRecordingDevice;
using test::TTestWorld;

// The applet with its default picture (256 x 256) and the embedded default
// skin, as the applet loads them.
struct TSkinWorld {
  TSkinWorld() {
    RegisterResourceServices();
    RegisterSceneClasses();
    device = world.applet->UseRecordingDevice();
    auto* embedded = new TEmbeddedResMan(TCreateContext());
    FinishConstruction(embedded, TCreateContext());
    world.engine->SetEmbeddedResMan(embedded);
    fallback = world.applet->UseDefaultPixmap(256, 256);
    skin = dynamic_cast<Skin*>(LoadObject(embedded, u"defaultskin.object", world.applet));
    world.applet->SetDefaultSkin(skin);
    world.applet->Filters()->pixmapFiles[u"own.pixmap"] = {32, 32};
    own.reset(new TEmptyResourceMan(TCreateContext()));
    FinishConstruction(own.get(), TCreateContext());
    world.applet->SetResMan(own.get());
  }
  TSkinPixmapPersistent* NewReference() const {
    return Create<TSkinPixmapPersistent>(TCreateContext(world.applet));
  }
  // Quads of every draw since the last clear, and the picture of the last.
  std::size_t Quads() const {
    std::size_t quads = 0;
    for (const test::TRecordedDraw& d : device->Draws) quads += test::QuadsOf(d).size();
    return quads;
  }

  // The engine's embedded files, for the life of the world.
  test::TEmbeddedDefaultsScope defaults;
  TOwned<TEmptyResourceMan> own;
  TTestWorld world;
  TRecordingDevice* device = nullptr;
  TPixmap* fallback = nullptr;
  Skin* skin = nullptr;
};

TEST(Skin, TheDefaultSkinHoldsItsElements) {
  TSkinWorld w;
  ASSERT_NE(w.skin, nullptr) << w.world.log.Text();
  EXPECT_FALSE(w.world.log.Contains("(e)")) << w.world.log.Text();
  EXPECT_EQ(w.skin->count(), 20);  // with the track bar's track and thumb
  auto* button = dynamic_cast<SkinElement*>(w.skin->findByName(u"button"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Pixmap()->Rect()->GetRect(), (TRect{96, 16, 160, 48}));
  EXPECT_EQ(button->Pixmap()->Margins()->GetRect(), (TRect{8, 8, 8, 8}));
  EXPECT_FALSE(button->ObjectStyle().Contains(osScriptable));
  EXPECT_TRUE(w.skin->ObjectStyle().Contains(osScriptable));
  // Assigning the element's picture changes nothing.
  auto* other = Create<TPixmapPersistent>(TCreateContext(w.world.applet));
  other->Rect()->SetRect({1, 1, 2, 2});
  SetObjectProp(*button, PropByName(*button, "pixmap"), other);
  EXPECT_EQ(button->Pixmap()->Rect()->GetRect(), (TRect{96, 16, 160, 48}));
  other->Free();
}

TEST(Skin, AReferenceDrawsItsElementOrItsOwnPicture) {
  TSkinWorld w;
  ASSERT_NE(w.skin, nullptr);
  TSkinPixmapPersistent* ref = w.NewReference();
  EXPECT_EQ(ref->GetSkin(), w.skin);
  EXPECT_TRUE(ref->UseDefault());
  ref->SetFileName("own.pixmap");
  ref->SetObjectName("button");
  ASSERT_NE(ref->SkinObject(), nullptr);
  EXPECT_EQ(ref->SkinObject()->Name(), u"button");

  // The element: its part of the default picture, nine-sliced.
  w.device->ClearRecords();
  std::vector<TPlaneMatrix> matrices;
  ref->Draw({0, 0, 100, 40}, 0xFF00FF00);
  ASSERT_FALSE(w.device->Draws.empty());
  EXPECT_EQ(w.device->Draws[0].Stage0, w.fallback);
  EXPECT_EQ(w.Quads(), 9u);
  EXPECT_EQ(w.device->TextureMatrix, IdentityPlaneMatrix) << "undone after drawing";
  EXPECT_EQ(w.device->CountCalls("SetTextureMatrix"), 2);

  // An unknown name: its own picture, whole.
  ref->SetObjectName("no such element");
  EXPECT_EQ(ref->SkinObject(), nullptr);
  w.device->ClearRecords();
  ref->Draw({0, 0, 100, 40}, 0);
  ASSERT_EQ(w.device->Draws.size(), 1u);
  EXPECT_EQ(w.device->Draws[0].Stage0, ref->Loaded());
  EXPECT_EQ(w.Quads(), 1u);

  // Names match exactly.
  ref->SetObjectName("Button");
  EXPECT_EQ(ref->SkinObject(), nullptr);
  ref->SetObjectName("button");
  // Another skin looks the name up again; none finds nothing.
  auto* second = Create<Skin>(TCreateContext(w.world.applet));
  ref->SetSkin(second);
  EXPECT_EQ(ref->SkinObject(), nullptr);
  auto* element = Create<SkinElement>(TCreateContext(second));
  element->SetName(u"button");
  ref->SetSkin(nullptr);
  ref->SetSkin(second);
  EXPECT_EQ(ref->SkinObject(), element);
  // Copies take the skin and the name.
  TSkinPixmapPersistent* copy = w.NewReference();
  copy->Assign(ref);
  EXPECT_EQ(copy->GetSkin(), second);
  EXPECT_EQ(copy->ObjectName(), "button");
  EXPECT_EQ(copy->SkinObject(), element);
  EXPECT_EQ(copy->FileName(), "own.pixmap");
  copy->Free();
  // Only a skin other than the default one is saved.
  EXPECT_TRUE(IsStoredProp(*ref, PropByName(*ref, "skin")));
  ref->SetSkin(w.skin);
  EXPECT_FALSE(IsStoredProp(*ref, PropByName(*ref, "skin")));
  second->Free();
  ref->Free();
}

TEST(Skin, AFreedSkinOrElementReadsAsNone) {
  TSkinWorld w;
  ASSERT_NE(w.skin, nullptr);
  TSkinPixmapPersistent* ref = w.NewReference();
  ref->SetFileName("own.pixmap");
  ref->SetObjectName("form");
  ASSERT_NE(ref->SkinObject(), nullptr);
  ref->SkinObject()->Free();
  EXPECT_EQ(ref->SkinObject(), nullptr);
  EXPECT_EQ(ref->GetSkin(), w.skin);
  ref->SetObjectName("button");
  ASSERT_NE(ref->SkinObject(), nullptr);
  // The skin goes while still named.
  w.skin->Free();
  EXPECT_EQ(ref->GetSkin(), nullptr);
  EXPECT_EQ(ref->SkinObject(), nullptr);
  w.device->ClearRecords();
  ref->Draw({0, 0, 10, 10}, 0);
  ASSERT_EQ(w.device->Draws.size(), 1u);
  EXPECT_EQ(w.device->Draws[0].Stage0, ref->Loaded());
  ref->SetObjectName("edit");
  EXPECT_EQ(ref->SkinObject(), nullptr);
  ref->Free();
}

}  // namespace
}  // namespace corvane
namespace corvane {

// A widget-like holder of a skinned picture.
class TSkinnedHolder : public BaseObject {
  CORVANE_CLASS(TSkinnedHolder, BaseObject)
  static void Describe(TClassBuilder<TSkinnedHolder>& c) { c.Property("pixmap", &TSkinnedHolder::Pixmap); }
  explicit TSkinnedHolder(const TCreateContext& context)
      : BaseObject(context), pixmap_(Create<TSkinPixmapPersistent>(TCreateContext(AppletObjectOf(this)))) {}
  TSkinPixmapPersistent* Pixmap() const { return pixmap_.get(); }

 private:
  TOwned<TSkinPixmapPersistent> pixmap_;
};
CORVANE_IMPLEMENT_CLASS(TSkinnedHolder)

namespace {

// The default skin lives outside the saved tree: a reference to it by name
// would read back as none, so a reference left at the default saves no
// skin and finds its element again after loading.
TEST(Skin, AReferenceToTheDefaultSkinSurvivesTheStream) {
  TSkinWorld w;
  ASSERT_NE(w.skin, nullptr);
  RegisterClasses({TSkinnedHolder::StaticClass()});
  auto* holder = Create<TSkinnedHolder>(TCreateContext(w.world.applet));
  holder->SetName(u"h");
  holder->Pixmap()->SetObjectName("button");
  const std::string written = test::WriteComponentText(holder);
  EXPECT_EQ(written.find("skin"), std::string::npos) << written;
  EXPECT_NE(written.find("pixmap.objectName = 'button'"), std::string::npos) << written;
  holder->Free();
  auto* again = dynamic_cast<TSkinnedHolder*>(w.world.Load(written));
  ASSERT_NE(again, nullptr) << w.world.log.Text();
  EXPECT_EQ(again->Pixmap()->GetSkin(), w.skin);
  ASSERT_NE(again->Pixmap()->SkinObject(), nullptr);
  EXPECT_EQ(again->Pixmap()->SkinObject()->Name(), u"button");
  again->Free();
}

}  // namespace
}  // namespace corvane
