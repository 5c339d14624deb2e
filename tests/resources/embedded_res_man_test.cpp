#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/streams/file_stream.h"
#include "engine/core/object_loader.h"
#include "resources/embedded_defaults.h"
#include "resources/embedded_res_man.h"
#include "tests/resources/resource_helpers.h"

namespace corvane::test {

void RegisterDummyStandIn();

// Stand-ins for the scene's skin classes, enough to read the default skin.
class TTestRect : public TPersistent {
  CORVANE_CLASS(TTestRect, TPersistent)
  using TPersistent::TPersistent;
  static void Describe(TClassBuilder<TTestRect>& c) {
    c.Property("Left", &TTestRect::Left);
    c.Property("Top", &TTestRect::Top);
    c.Property("Right", &TTestRect::Right);
    c.Property("Bottom", &TTestRect::Bottom);
  }
  std::int32_t Left = -1;
  std::int32_t Top = -1;
  std::int32_t Right = -1;
  std::int32_t Bottom = -1;
};
CORVANE_IMPLEMENT_CLASS(TTestRect)

class TTestSkinPixmap : public TPersistent {
  CORVANE_CLASS(TTestSkinPixmap, TPersistent)
  using TPersistent::TPersistent;
  static void Describe(TClassBuilder<TTestSkinPixmap>& c) {
    c.Property("rect", &TTestSkinPixmap::Rect);
    c.Property("margins", &TTestSkinPixmap::Margins);
  }
  TTestRect* Rect() const { return rect_.get(); }
  TTestRect* Margins() const { return margins_.get(); }

 private:
  TOwned<TTestRect> rect_{Create<TTestRect>()};
  TOwned<TTestRect> margins_{Create<TTestRect>()};
};
CORVANE_IMPLEMENT_CLASS(TTestSkinPixmap)

class Skin : public BaseObject {
  CORVANE_CLASS(Skin, BaseObject)
  using BaseObject::BaseObject;
};
CORVANE_IMPLEMENT_CLASS(Skin)

class SkinElement : public BaseObject {
  CORVANE_CLASS(SkinElement, BaseObject)
  using BaseObject::BaseObject;
  static void Describe(TClassBuilder<SkinElement>& c) { c.Property("pixmap", &SkinElement::Pixmap); }
  TTestSkinPixmap* Pixmap() const { return pixmap_.get(); }

 private:
  TOwned<TTestSkinPixmap> pixmap_{Create<TTestSkinPixmap>()};
};
CORVANE_IMPLEMENT_CLASS(SkinElement)

namespace {

struct TDefaultFile {
  const char* key;
  std::int64_t size;
  std::uint32_t side;      // a pixmap's width and height
  std::uint8_t colorType;  // a PNG's: 6 RGBA, 4 grey with alpha
};
constexpr TDefaultFile kDefaults[] = {
    {"defaultcur_pixmap", 16911, 64, 0},   {"defaultskin_pixmap", 262671, 256, 0}, {"defaulticon_pixmap", 66063, 128, 0},
    {"defaultpfx_pixmap", 262671, 256, 0}, {"defaultskin_object", 4569, 0, 0},     {"logo_png", 8755, 0, 6},
    {"logo_mozilla_png", 8163, 0, 4},      {"logo_newton_png", 9020, 0, 4},
};

class Embedded : public ::testing::Test {
 protected:
  Embedded() {
    ClearEmbeddedResources();
    RegisterEmbeddedDefaults();
    man.reset(CreateResMan<TEmbeddedResMan>("/opt/game/"));
  }
  ~Embedded() override {
    man.reset();
    ClearEmbeddedResources();
  }

  std::string Bytes(const std::string& name) { return ReadThrough(*man, name); }

  TOwned<TEmbeddedResMan> man;
};

std::uint32_t U32(const std::string& bytes, std::size_t at, bool bigEndian = false) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const auto byte = static_cast<std::uint8_t>(bytes[at + (bigEndian ? i : 3 - i)]);
    value = value << 8 | byte;
  }
  return value;
}

// BGRA of texel (x, y) of a pixmap file.
std::string Texel(const std::string& pixmap, std::uint32_t x, std::uint32_t y) {
  const std::uint32_t width = U32(pixmap, 7);
  return pixmap.substr(527 + 4 * (static_cast<std::size_t>(y) * width + x), 4);
}

// Each default by its key, dotted and in capitals: its exact size and the
// header of its kind.
TEST_F(Embedded, TheEightDefaultsHaveTheirSizesAndHeaders) {
  for (const TDefaultFile& file : kDefaults) {
    SCOPED_TRACE(file.key);
    std::string dotted = file.key;
    dotted[dotted.rfind('_')] = '.';
    for (const std::string& name : {std::string(file.key), dotted, AsciiUpperCase(dotted)}) {
      EXPECT_TRUE(man->StreamExists(name)) << name;
      std::unique_ptr<TStream> stream = man->CreateStream(name, 0);
      ASSERT_NE(stream, nullptr) << name;
      EXPECT_EQ(stream->Size(), file.size) << name;
      EXPECT_EQ(stream->Position(), 0) << name;
    }
    const std::string bytes = Bytes(dotted);
    if (file.side) {
      EXPECT_EQ(bytes.substr(0, 7), "PIXMAPB");
      EXPECT_EQ(U32(bytes, 7), file.side);
      EXPECT_EQ(U32(bytes, 11), file.side);
      EXPECT_EQ(bytes.substr(15, 512), std::string(512, '\0'));
    }
    if (file.colorType) {
      EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1a\n");
      EXPECT_EQ(bytes.substr(12, 4), "IHDR");
      EXPECT_EQ(U32(bytes, 16, true), 128u);
      EXPECT_EQ(U32(bytes, 20, true), 128u);
      EXPECT_EQ(static_cast<std::uint8_t>(bytes[24]), 8);
      EXPECT_EQ(static_cast<std::uint8_t>(bytes[25]), file.colorType);
      EXPECT_EQ(bytes.substr(bytes.size() - 8, 4), "IEND");
    }
  }
  EXPECT_FALSE(man->StreamExists("defaultskin/object"));
  EXPECT_FALSE(man->StreamExists("nothing.png"));
}

TEST_F(Embedded, StreamsAreReadOnlyCopies) {
  EXPECT_EQ(man->CreateStream("logo.png", 1), nullptr);
  EXPECT_EQ(man->CreateStream("logo.png", fmCreate), nullptr);
  EXPECT_EQ(man->CreateStream("missing.png", 0), nullptr);
  EXPECT_EQ(man->FileDate("logo.png"), kNoFileDate);
  std::unique_ptr<TStream> one = man->CreateStream("logo.png", 0);
  std::unique_ptr<TStream> two = man->CreateStream("LOGO_PNG", 0);
  ASSERT_TRUE(one && two);
  one->Write("XXXX", 4);
  EXPECT_EQ(StreamText(*two).substr(0, 4), "\x89PNG");
  EXPECT_EQ(Bytes("logo.png").substr(0, 4), "\x89PNG");
  EXPECT_EQ(man->FindFiles("*")->Count(), 0);
  EXPECT_EQ(man->FindDirsComma(), "/");
}

TEST_F(Embedded, ItsListingsCalledByNameAddNothing) {
  const TClass cls = man->ClassType();
  const TMethodInfo* findFiles = cls->FindMethod("IntFindFilesInDir");
  const TMethodInfo* findDirs = cls->FindMethod("IntFindDirInDir");
  ASSERT_TRUE(findFiles && findDirs);
  EXPECT_EQ(findFiles->OwnerClass(), TEmbeddedResMan::StaticClass());
  EXPECT_EQ(findDirs->OwnerClass(), TEmbeddedResMan::StaticClass());

  // Called by name on the shared result list, the two listings leave it as
  // the listing calls made it.
  TStrings* files = man->FindFiles("*");
  const Variant inDir[] = {Variant(std::string("/")), Variant(std::string("*"))};
  EXPECT_TRUE(findFiles->Invoke(*man, inDir).IsEmpty());
  EXPECT_EQ(files->Count(), 0);
  TStrings* dirs = man->FindDirs();
  const Variant root[] = {Variant(std::string("/"))};
  EXPECT_TRUE(findDirs->Invoke(*man, root).IsEmpty());
  ASSERT_EQ(dirs->Count(), 1);
  EXPECT_EQ(dirs->Get(0), "/");
}

TEST_F(Embedded, NamesAddedTwiceAreBothKept) {
  const std::uint8_t first[] = {1};
  const std::uint8_t second[] = {2, 2};
  AddResource("twice_bin", first);
  AddResource("TWICE_BIN", second);
  EXPECT_EQ(Bytes("twice.bin"), std::string("\x02\x02"));
  // Names are stored as given and looked up with "." read as "_".
  AddResource("dotted.name", first);
  EXPECT_FALSE(man->StreamExists("dotted.name"));
  ClearEmbeddedResources();
  EXPECT_FALSE(man->StreamExists("logo.png"));
  EXPECT_EQ(man->CreateStream("logo.png", 0), nullptr);
}

TEST_F(Embedded, TheSkinAndParticleHaveTheAgreedTexels) {
  const std::string white("\xFF\xFF\xFF\xFF", 4);
  const std::string skin = Bytes("defaultskin.pixmap");
  for (std::uint32_t y = 0; y < 2; ++y)
    for (std::uint32_t x = 0; x < 2; ++x) EXPECT_EQ(Texel(skin, x, y), white) << x << "," << y;
  // The particle: opaque white in the middle, fading to nothing at the rim.
  const std::string particle = Bytes("defaultpfx.pixmap");
  EXPECT_EQ(Texel(particle, 128, 128), white);
  EXPECT_EQ(Texel(particle, 0, 0)[3], '\0');
  int previous = 256;
  for (std::uint32_t x = 128; x < 256; x += 16) {
    const int alpha = static_cast<std::uint8_t>(Texel(particle, x, 128)[3]);
    EXPECT_LT(alpha, previous) << x;
    previous = alpha;
  }
}

TEST_F(Embedded, TheDefaultSkinParsesWithItsTwentyElements) {
  const std::string text = Bytes("defaultskin.object");
  ASSERT_EQ(text.size(), 4569u);
  EXPECT_EQ(text.rfind("object defSkin: Skin\r\n", 0), 0u);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      EXPECT_EQ(text[i - 1], '\r') << "line end at " << i;
    }
  }

  TTestWorld world;
  RegisterResourceServices();
  RegisterDummyStandIn();
  RegisterClasses({Skin::StaticClass(), SkinElement::StaticClass()});
  world.log.Clear();
  // The embedded manager takes no .bin: the skin loads from memory, quietly.
  BaseObject* skin = LoadObject(man.get(), u"defaultskin.object", world.applet);
  ASSERT_NE(skin, nullptr) << world.log.Text();
  EXPECT_EQ(skin->ClassName(), "Skin");
  EXPECT_EQ(skin->Name(), u"defSkin");
  EXPECT_FALSE(world.log.Contains("(e)")) << world.log.Text();
  EXPECT_FALSE(world.log.Contains("Unknown property")) << world.log.Text();
  const char* names[] = {"empty",      "form",        "widget",        "button",   "edit",        "list",
                         "item",       "selection",   "buttonhot",     "dropdown", "dropdownhot", "dropdownglyph",
                         "closebtn",   "closebtnhot", "flipbtn",       "flipbtnhot", "uncheck",   "check",
                         "track",      "thumb"};
  ASSERT_EQ(skin->count(), 20);
  for (int i = 0; i < 20; ++i) {
    auto* element = dynamic_cast<SkinElement*>(skin->children(i));
    ASSERT_NE(element, nullptr) << i;
    EXPECT_EQ(Utf16ToUtf8(element->Name()), names[i]);
    const TTestRect& rect = *element->Pixmap()->Rect();
    EXPECT_TRUE(0 <= rect.Left && rect.Left < rect.Right && rect.Right <= 256) << names[i];
    EXPECT_TRUE(0 <= rect.Top && rect.Top < rect.Bottom && rect.Bottom <= 256) << names[i];
    // Outlines and the caret are drawn with the white corner: no element covers it.
    EXPECT_FALSE(rect.Left < 2 && rect.Top < 2) << names[i];
  }
}

}  // namespace
}  // namespace corvane::test
