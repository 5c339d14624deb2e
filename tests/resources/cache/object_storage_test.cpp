#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/streams/memory_stream.h"
#include "base/streams/object_text.h"
#include "base/streams/source_stamp.h"
#include "engine/core/object_loader.h"
#include "engine/shell/applet.h"
#include "resources/cache/cache.h"
#include "resources/cache/object_storage.h"
#include "tests/resources/resource_helpers.h"
#include "tests/support/kit/filter_files.h"

namespace corvane::test {

// Stands in for the engine's grouping class until a world registers it.
class Dummy : public BaseObject {
  CORVANE_CLASS(Dummy, BaseObject)
  using BaseObject::BaseObject;
};
CORVANE_IMPLEMENT_CLASS(Dummy)

// Points at another object of the applet by name.
class TRefHolder : public BaseObject {
  CORVANE_CLASS(TRefHolder, BaseObject)
  using BaseObject::BaseObject;
  static void Describe(TClassBuilder<TRefHolder>& c) { c.Property("target", &TRefHolder::target); }
  BaseObject* target = nullptr;
};
CORVANE_IMPLEMENT_CLASS(TRefHolder)

// Fails at the end of its construction.
class TFailing : public BaseObject {
  CORVANE_CLASS(TFailing, BaseObject)
  using BaseObject::BaseObject;
  void AfterConstruction() override {
    BaseObject::AfterConstruction();
    throw std::runtime_error("boom");
  }
};
CORVANE_IMPLEMENT_CLASS(TFailing)

void RegisterDummyStandIn() {
  if (!GetClass("Dummy")) RegisterClass(Dummy::StaticClass());
}

namespace {

std::string Tree(const std::string& tag) {
  return "object Root: BaseObject\r\n  tagString = '" + tag +
         "'\r\n  object Child: BaseObject\r\n    tagInt = 5\r\n  end\r\nend\r\n";
}

std::string Compiled(const std::string& text) {
  TMemoryStream in(std::span<const char>(text.data(), text.size()));
  TMemoryStream out;
  EXPECT_TRUE(ObjectTextToBinary(in, out));
  return std::string(out.Memory(), static_cast<std::size_t>(out.Size()));
}

std::string TagOf(BaseObject* object) { return object ? Utf16ToUtf8(object->TagString()) : "<none>"; }

// What a ".bin" compiled: its bytes without the stamp of its source.
std::string CompiledPart(const std::string& bin) { return WithoutSourceStamp(bin).value_or(""); }

class ObjectStorage : public ::testing::Test, public TFolderWorld {
 protected:
  ObjectStorage() { RegisterDummyStandIn(); }

  BaseObject* Load(const std::u16string& name, bool useCache = false) {
    return LoadObject(man.get(), name, world->applet, nullptr, useCache);
  }
  int Errors() const {
    int count = 0;
    for (const std::string& line : Log().Lines()) count += line.rfind("(e) ", 0) == 0;
    return count;
  }
};

TEST_F(ObjectStorage, TextAloneLoadsAndBuildsTheBin) {
  Write("main.object", Tree("one"));
  BaseObject* root = Load(u"main.object");
  ASSERT_NE(root, nullptr) << Log().Text();
  EXPECT_EQ(root->Name(), u"Root");
  EXPECT_EQ(TagOf(root), "one");
  EXPECT_EQ(root->Parent(), world->applet);
  ASSERT_EQ(root->count(), 1);
  EXPECT_EQ(root->children(0)->Name(), u"Child");
  EXPECT_EQ(root->children(0)->TagInt(), 5);
  EXPECT_EQ(root->children(0)->GetApplet(), world->applet);
  EXPECT_EQ(CompiledPart(ReadFile(dir / "main.bin")), Compiled(Tree("one")));
  EXPECT_EQ(ReadFile(dir / "main.bin").size(), Compiled(Tree("one")).size() + std::size_t{kSourceStampBytes});
  EXPECT_EQ(Errors(), 0) << Log().Text();
  EXPECT_EQ(CurrentLoadName(), "");
}

// The ".bin" serves only while its text is what it was compiled from,
// whatever the dates: an edit is seen within the same second, and before
// the ".bin"'s date; a text given a new date alone (a copy) keeps it.
TEST_F(ObjectStorage, TheBinServesWhileItsTextIsWhatItWasCompiledFrom) {
  const std::time_t t = 1700000000;
  struct Row {
    const char* what;
    const char* text;
    std::time_t textTime;
    std::time_t binTime;
    const char* loaded;
  } rows[] = {
      {"edited later", "text", t + 10, t, "text"},
      {"edited within the same second", "text", t, t, "text"},
      {"edited, dated before the bin", "text", t - 10, t, "text"},
      {"edited, same size", "nib", t, t, "nib"},
      {"unchanged, dated later", "bin", t + 10, t, "bin"},
      {"unchanged, dated before the bin", "bin", t - 10, t, "bin"},
  };
  for (const Row& r : rows) {
    Write("main.object", Tree("bin"));
    ASSERT_TRUE(CreateBin(man.get(), "main.object"));
    const std::string bin = ReadFile(dir / "main.bin");
    Write("main.object", Tree(r.text));
    SetFileTime(dir / "main.object", r.textTime);
    SetFileTime(dir / "main.bin", r.binTime);
    BaseObject* root = Load(u"main.object");
    EXPECT_EQ(TagOf(root), r.loaded) << r.what;
    if (std::string(r.loaded) == "bin") EXPECT_EQ(ReadFile(dir / "main.bin"), bin) << r.what;
    else EXPECT_EQ(CompiledPart(ReadFile(dir / "main.bin")), Compiled(Tree(r.loaded))) << r.what;
    if (root) root->Free();
  }
  // A ".bin" without a stamp (made by a tool) gives way to its text.
  Write("main.object", Tree("text"));
  Write("main.bin", Compiled(Tree("bin")));
  SetFileTime(dir / "main.object", t);
  SetFileTime(dir / "main.bin", t + 10);
  EXPECT_EQ(TagOf(Load(u"main.object")), "text");
}

TEST_F(ObjectStorage, TheTextIsComparedWhateverTheSpellingOfTheFiles) {
  const std::time_t t = 1700000000;
  struct Row {
    const char* text;
    const char* bin;
    const char* tag;
  } rows[] = {
      {"MAIN.OBJECT", "main.bin", "text"}, {"Main.Object", "MAIN.BIN", "text"},
      {"MAIN.OBJECT", "main.bin", "bin"},  {"main.object", "Main.Bin", "text"},
  };
  for (const Row& r : rows) {
    Write("main.object", Tree("bin"));
    ASSERT_TRUE(CreateBin(man.get(), "main.object"));
    std::filesystem::rename(dir / "main.object", dir / r.text);
    std::filesystem::rename(dir / "main.bin", dir / r.bin);
    Write(r.text, Tree(r.tag));
    SetFileTime(dir / r.text, t);
    SetFileTime(dir / r.bin, t);
    BaseObject* root = Load(u"main.object");
    const std::string what = std::string(r.text) + " and " + r.bin;
    EXPECT_EQ(TagOf(root), r.tag) << what;
    // A rebuilt binary replaces the stale one, in its spelling.
    EXPECT_EQ(CompiledPart(ReadFile(dir / r.bin)), Compiled(Tree(r.tag))) << what;
    EXPECT_FALSE(PathExists(dir / "main.bin") && std::string(r.bin) != "main.bin") << what;
    if (root) root->Free();
    std::filesystem::remove(dir / r.text);
    std::filesystem::remove(dir / r.bin);
  }
}

// A text of several read blocks, with literals continued over lines, is
// compiled from its file exactly as from memory, straight into the ".bin",
// stamped as it was read;
// one that breaks off at its end leaves the ".bin" as it was and nothing
// beside it.
TEST_F(ObjectStorage, ALargeTextCompilesFromItsFileAsFromMemory) {
  std::string text = "object Root: BaseObject\r\n";
  for (int i = 0; text.size() < 600 * 1024; ++i) {
    text += "  object C" + std::to_string(i) + ": BaseObject\r\n    tagInt = " + std::to_string(i) +
            "\r\n    tagString = \r\n      '" + std::string(64, 'a' + i % 26) + "' +\r\n      'tail'#233\r\n  end\r\n";
  }
  text += "end\r\n";
  Write("big.object", text);
  ASSERT_TRUE(CreateBin(man.get(), "big.object")) << Log().Text();
  EXPECT_EQ(CompiledPart(ReadFile(dir / "big.bin")), Compiled(text));
  EXPECT_EQ(Errors(), 0) << Log().Text();
  // Its stamp, digested as the parser read it in blocks and went back over
  // what it had buffered, is the text's own: the ".bin" of a copy serves.
  SetFileTime(dir / "big.object", 1700000000);
  EXPECT_TRUE(MadeFromSource(*man, "big.bin", "big.object"));

  Write("big.object", text.substr(0, text.size() - 5));
  EXPECT_FALSE(CreateBin(man.get(), "big.object"));
  EXPECT_EQ(CompiledPart(ReadFile(dir / "big.bin")), Compiled(text));
  EXPECT_TRUE(Log().Contains("Object text not compiled in file big.object")) << Log().Text();
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"big.bin", "big.object"}));
}

TEST_F(ObjectStorage, TheBinServesAloneAndAnyExtensionIsReplaced) {
  EXPECT_FALSE(CreateBin(man.get(), "main.object"));
  EXPECT_FALSE(PathExists(dir / "main.bin"));
  EXPECT_EQ(Load(u"main.object"), nullptr);
  Write("main.object", Tree("compiled"));
  ASSERT_TRUE(CreateBin(man.get(), "main.object"));
  std::filesystem::remove(dir / "main.object");
  EXPECT_EQ(TagOf(Load(u"main.object")), "compiled");
  EXPECT_EQ(TagOf(Load(u"main.bin2")), "compiled");
  EXPECT_EQ(TagOf(Load(u"MAIN.BIN")), "compiled");
  EXPECT_EQ(LoadObject(nullptr, u"main.object", world->applet), nullptr);
}

TEST_F(ObjectStorage, UnregisteredClassesBecomeDummies) {
  Write("main.object",
        "object Top: Bar\r\n  tagString = 'top'\r\n  object Inner: Foo\r\n    tagInt = 3\r\n  end\r\n"
        "  object Plain: BaseObject\r\n  end\r\nend\r\n");
  BaseObject* root = Load(u"main.object");
  ASSERT_NE(root, nullptr) << Log().Text();
  EXPECT_EQ(root->ClassName(), "Dummy");
  EXPECT_EQ(TagOf(root), "top");
  ASSERT_EQ(root->count(), 2);
  EXPECT_EQ(root->children(0)->ClassName(), "Dummy");
  EXPECT_EQ(root->children(0)->Name(), u"Inner");
  EXPECT_EQ(root->children(0)->TagInt(), 3);
  EXPECT_EQ(root->children(1)->ClassName(), "BaseObject");
  EXPECT_EQ(Log().CountError("Class Foo not found."), 1) << Log().Text();
  EXPECT_FALSE(Log().Contains("Bar")) << Log().Text();  // the root is replaced silently
}

TEST_F(ObjectStorage, BrokenTextLeavesNoBinAndNamesTheFile) {
  Write("main.object", "object Root: BaseObject\r\n  tagInt = \r\nend\r\n");
  EXPECT_EQ(Load(u"main.object"), nullptr);
  EXPECT_FALSE(PathExists(dir / "main.bin"));
  EXPECT_TRUE(Log().Contains("main.object")) << Log().Text();
  EXPECT_GE(Errors(), 1);

  // An older .bin stays as it was: it is not replaced by half a compilation.
  Write("old.object", Tree("old"));
  ASSERT_TRUE(CreateBin(man.get(), "old.object"));
  Write("old.object", "object Root: BaseObject\r\n  object\r\n");
  SetFileTime(dir / "old.bin", 1700000000);
  SetFileTime(dir / "old.object", 1700000010);
  Log().Clear();
  EXPECT_EQ(Load(u"old.object"), nullptr);
  EXPECT_EQ(CompiledPart(ReadFile(dir / "old.bin")), Compiled(Tree("old")));
  EXPECT_TRUE(Log().Contains("old.object")) << Log().Text();
}

TEST_F(ObjectStorage, ABinThatIsNoObjectStreamGivesWayToItsText) {
  Write("main.object", Tree("text"));
  Write("main.bin", "");  // cut short
  SetFileTime(dir / "main.object", 1700000000);
  SetFileTime(dir / "main.bin", 1700000010);
  EXPECT_EQ(TagOf(Load(u"main.object")), "text");
  EXPECT_EQ(CompiledPart(ReadFile(dir / "main.bin")), Compiled(Tree("text")));
}

TEST_F(ObjectStorage, ADamagedBinIsReportedWithItsName) {
  const std::string compiled = Compiled(Tree("cut"));
  Write("main.bin", compiled.substr(0, compiled.size() / 2));
  BaseObject* root = Load(u"main.object");
  EXPECT_EQ(Log().CountError("Object stream damaged in file main.bin"), 1) << Log().Text();
  if (root) root->Free();
}

TEST_F(ObjectStorage, AFolderThatCannotTakeTheBinIsNoError) {
  Write("ro/main.object", Tree("read only"));
  chmod((dir / "ro").c_str(), 0555);
  auto readOnly = MakeMan<TFolderResourceMan>(dir / "ro");
  Log().Clear();
  BaseObject* root = LoadObject(readOnly.get(), u"main.object", world->applet);
  EXPECT_EQ(TagOf(root), "read only");
  EXPECT_FALSE(PathExists(dir / "ro/main.bin"));
  EXPECT_EQ(Errors(), 0) << Log().Text();
  if (root) root->Free();
}

TEST_F(ObjectStorage, SavedTextLoadsBackAndLeavesTheBinAlone) {
  Write("main.object", Tree("saved"));
  BaseObject* root = Load(u"main.object");
  ASSERT_NE(root, nullptr);
  const std::string bin = ReadFile(dir / "main.bin");
  ASSERT_TRUE(SaveObject(man.get(), "copy.object", root));
  ASSERT_TRUE(SaveObject(man.get(), "x.bin", root));  // exactly as named: text in a .bin
  EXPECT_EQ(ReadFile(dir / "x.bin").rfind("object Root: BaseObject", 0), 0u);
  EXPECT_EQ(ReadFile(dir / "main.bin"), bin);
  BaseObject* copy = Load(u"copy.object");
  EXPECT_EQ(TagOf(copy), "saved");
  ASSERT_NE(copy, nullptr);
  // The saved root names the file it was loaded from, which the copy
  // includes again: that file's child comes as an external one before the
  // copy's own.
  EXPECT_EQ(copy->FileName(), u"main.object");
  ASSERT_EQ(copy->count(), 2);
  EXPECT_TRUE(copy->children(0)->HasStyle(csExternal));
  EXPECT_FALSE(copy->children(1)->HasStyle(csExternal));
  EXPECT_EQ(copy->children(1)->TagInt(), 5);
  EXPECT_FALSE(SaveObject(man.get(), "none.object", nullptr));
}

// An object keeps a name that is no identifier: its text would not load
// back, so the save fails, says so and leaves the old file; with a name
// that is one, the text loads back.
TEST_F(ObjectStorage, ANameThatWouldNotReadBackIsNotSavedAsText) {
  Write("main.object", Tree("named"));
  BaseObject* root = Load(u"main.object");
  ASSERT_NE(root, nullptr);
  Write("copy.object", "old");
  root->children(0)->SetName(u"M\u00E9n");
  EXPECT_TRUE(Log().Contains("InvalidName M\xC3\xA9n")) << Log().Text();
  EXPECT_FALSE(SaveObject(man.get(), "copy.object", root));
  EXPECT_TRUE(Log().Contains("Can't write the name 'M\xC3\xA9n' of BaseObject as text: it would not read back"))
      << Log().Text();
  EXPECT_TRUE(Log().Contains("Object not saved to copy.object")) << Log().Text();
  EXPECT_EQ(ReadFile(dir / "copy.object"), "old");

  root->children(0)->SetName(u"Men");
  ASSERT_TRUE(SaveObject(man.get(), "copy.object", root));
  BaseObject* copy = Load(u"copy.object");
  ASSERT_NE(copy, nullptr);
  // After the child of main.object, which the copy includes again.
  ASSERT_EQ(copy->count(), 2);
  EXPECT_EQ(copy->children(1)->Name(), u"Men");
}

TEST_F(ObjectStorage, StreamsCarryTheBinaryForm) {
  Write("main.object", Tree("streamed"));
  BaseObject* root = Load(u"main.object");
  ASSERT_NE(root, nullptr);
  TMemoryStream stream;
  stream.Write("pad", 3);
  ASSERT_TRUE(SaveObjectToStream(stream, root));
  EXPECT_FALSE(SaveObjectToStream(stream, nullptr));
  stream.SetPosition(3);
  BaseObject* copy = LoadObjectFromStream(man.get(), stream, world->applet);
  EXPECT_EQ(stream.Position(), 3);
  EXPECT_EQ(TagOf(copy), "streamed");
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Parent(), world->applet);
  // The root named the file it was loaded from: the copy includes it.
  EXPECT_EQ(copy->FileName(), u"main.object");
  EXPECT_EQ(copy->count(), 2);
  // Into an existing root.
  auto* target = Create<BaseObject>(TCreateContext(world->applet));
  EXPECT_EQ(LoadObjectFromStream(man.get(), stream, nullptr, target), target);
  EXPECT_EQ(TagOf(target), "streamed");
  EXPECT_EQ(target->count(), 2);
}

TEST_F(ObjectStorage, TheCacheServesTheCompiledFormAgain) {
  Write("main.object", Tree("first"));
  BaseObject* one = Load(u"main.object", true);
  EXPECT_EQ(TagOf(one), "first");
  Write("main.object", Tree("second"));
  SetFileTime(dir / "main.object", 2000000000);
  BaseObject* two = Load(u"main.object", true);
  EXPECT_EQ(TagOf(two), "first");
  EXPECT_NE(one, two);
  EXPECT_EQ(world->applet->Cache()->StreamCount(), 1);
  EXPECT_EQ(TagOf(Load(u"main.object")), "second");  // without the cache: the files
}

TEST_F(ObjectStorage, ReferencesAreFoundInTheWholeApplet) {
  RegisterClasses({TRefHolder::StaticClass()});
  auto* elsewhere = Create<BaseObject>(TCreateContext(world->applet));
  elsewhere->SetName(u"Elsewhere");
  Write("main.object", "object Ref: TRefHolder\r\n  target = Elsewhere\r\nend\r\n");
  auto* ref = dynamic_cast<TRefHolder*>(Load(u"main.object"));
  ASSERT_NE(ref, nullptr) << Log().Text();
  EXPECT_EQ(ref->target, elsewhere);
}

TEST_F(ObjectStorage, ReaderErrorsNameTheFileAndReadingGoesOn) {
  RegisterClasses({TFailing::StaticClass()});
  Write("main.object",
        "object Top: BaseObject\r\n  object Bad: TFailing\r\n    tagInt = 1\r\n  end\r\n"
        "  object Good: BaseObject\r\n  end\r\nend\r\n");
  BaseObject* top = Load(u"main.object");
  ASSERT_NE(top, nullptr) << Log().Text();
  ASSERT_EQ(top->count(), 1);
  EXPECT_EQ(top->children(0)->Name(), u"Good");
  EXPECT_EQ(Log().CountError("boom in file main.object"), 1) << Log().Text();
}

}  // namespace
}  // namespace corvane::test
