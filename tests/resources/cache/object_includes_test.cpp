// Object files that reach the tree through the object base: a `fileName`
// that includes a file into an object, a ProxyObject replaced by the file
// its `src` names, and objects made from files at run time.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/streams/stream_nesting.h"
#include "base/streams/value_type.h"
#include "engine/core/effect.h"
#include "engine/core/object_factory.h"
#include "engine/core/object_loader.h"
#include "engine/shell/applet.h"
#include "resources/cache/object_storage.h"
#include "tests/resources/resource_helpers.h"

namespace corvane::test {

void RegisterDummyStandIn();

namespace {

class ObjectIncludes : public ::testing::Test, public TFolderWorld {
 protected:
  ObjectIncludes() {
    RegisterDummyStandIn();
    Write("part.object",
          "object Part: BaseObject\r\n  tagString = 'part'\r\n  object PartChild: BaseObject\r\n"
          "    tagInt = 7\r\n  end\r\nend\r\n");
  }
  ~ObjectIncludes() override { SetLoadLimits(savedLimits_); }

 private:
  TLoadLimits savedLimits_ = LoadLimits();
};

// Objects in the subtree, the root included, and its depth in objects.
std::pair<int, int> Extent(BaseObject* root) {
  int count = 0;
  int depth = 0;
  std::vector<std::pair<BaseObject*, int>> stack{{root, 1}};
  while (!stack.empty()) {
    auto [object, level] = stack.back();
    stack.pop_back();
    ++count;
    depth = std::max(depth, level);
    for (std::int32_t i = 0; i < object->count(); ++i) stack.push_back({object->children(i), level + 1});
  }
  return {count, depth};
}

// An object file whose objects nest `levels` deep; the innermost includes
// `next` when given.
// "f<i>.object".
std::string NumberedFile(int i) {
  const std::string number = std::to_string(i);
  return "f" + number + ".object";
}

std::string NestedFile(int levels, const std::string& next) {
  std::string opening;
  std::vector<std::string> closing;
  std::string indent;
  for (int i = 0; i < levels; ++i) {
    opening += indent + "object L" + std::to_string(i) + ": BaseObject\n";
    closing.push_back(indent + "end\n");
    indent += "  ";
  }
  if (!next.empty()) opening += indent + "fileName = '" + next + "'\n";
  for (auto it = closing.rbegin(); it != closing.rend(); ++it) opening += *it;
  return opening;
}

TEST_F(ObjectIncludes, FileNameIncludesTheFileIntoTheObject) {
  BaseObject* host = world->Load("object Host: BaseObject\n  tagInt = 1\n  fileName = 'part.object'\nend\n");
  ASSERT_NE(host, nullptr) << Log().Text();
  EXPECT_EQ(host->FileName(), u"part.object");
  EXPECT_EQ(Utf16ToUtf8(host->TagString()), "part");
  EXPECT_EQ(host->TagInt(), 1);
  ASSERT_EQ(host->count(), 1);
  BaseObject* child = host->children(0);
  EXPECT_EQ(child->Name(), u"PartChild");
  EXPECT_EQ(child->TagInt(), 7);
  // What the file brought is not saved with the object.
  EXPECT_TRUE(child->HasStyle(csExternal));
  EXPECT_TRUE(PathExists(dir / "part.bin"));
}

TEST_F(ObjectIncludes, AFileThatIncludesItselfIsRefused) {
  Write("main.object", "object Self: BaseObject\r\n  fileName = 'main.object'\r\n  tagInt = 4\r\nend\r\n");
  // A root loaded from a file already names it: naming it again includes
  // nothing.
  BaseObject* root = LoadObject(man.get(), u"main.object", world->applet);
  ASSERT_NE(root, nullptr) << Log().Text();
  EXPECT_EQ(root->TagInt(), 4);
  EXPECT_EQ(root->count(), 0);
  EXPECT_EQ(Log().CountError("Object file main.object includes itself"), 0) << Log().Text();
  // Read into another object, the file includes itself.
  auto* host = Create<BaseObject>(TCreateContext(world->applet));
  EXPECT_EQ(LoadObject(man.get(), u"main.object", world->applet, host), host);
  EXPECT_EQ(host->TagInt(), 4);
  EXPECT_EQ(host->count(), 0);
  EXPECT_EQ(Log().CountError("Object file main.object includes itself"), 1) << Log().Text();

  // Two files that include each other end the same way.
  Write("a.object", "object A: BaseObject\r\n  fileName = 'b.object'\r\nend\r\n");
  Write("b.object", "object B: BaseObject\r\n  fileName = 'a.object'\r\nend\r\n");
  Log().Clear();
  EXPECT_NE(LoadObject(man.get(), u"a.object", world->applet), nullptr);
  EXPECT_EQ(Log().CountError("Object file a.object includes itself"), 1) << Log().Text();
}

TEST_F(ObjectIncludes, IncludedFilesAndTheirStreamsShareOneBudgetOfNesting) {
  // Sixteen files of 250 levels, each including the next at its deepest
  // object: apart, the limits of files and of levels would allow 4,000.
  constexpr int kFiles = 16;
  for (int i = 0; i < kFiles; ++i)
    Write(NumberedFile(i), NestedFile(250, i + 1 < kFiles ? NumberedFile(i + 1) : ""));
  BaseObject* root = LoadObject(man.get(), u"f0.object", world->applet);
  ASSERT_NE(root, nullptr) << Log().Text();
  const auto [count, depth] = Extent(root);
  EXPECT_LE(depth, kMaxStreamDepth + 1);
  EXPECT_GT(depth, 250);  // the first include went in, its levels within the budget
  // Below the applet the tree's last level comes before the streams'.
  EXPECT_EQ(Log().ErrorCount(), 1) << Log().Text();
  EXPECT_TRUE(Log().Contains("of f1.object to BaseObject L5: a tree holds at most 256 levels")) << Log().Text();
  EXPECT_EQ(StreamNestingDepth(), 0);  // every level given back
  root->Free();

  // The budget is free again: a file within it loads whole (below the
  // applet, as deep as a tree holds).
  Log().Clear();
  Write("deep.object", NestedFile(kMaxTreeLevels - 1, ""));
  root = LoadObject(man.get(), u"deep.object", world->applet);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Extent(root).second, kMaxTreeLevels - 1);
  EXPECT_EQ(Log().ErrorCount(), 0) << Log().Text();
}

// A file loaded below an object deep in the tree brings what fits above the
// last level a tree holds, whichever way it comes (made from the file,
// included by `fileName`, loaded under the last level), and says once where
// it stopped.
TEST_F(ObjectIncludes, AFileLoadedDeepInTheTreeStopsAtItsLastLevel) {
  Write("ten.object", NestedFile(10, ""));
  Write("chain.object", NestedFile(kMaxTreeLevels - 6, ""));
  BaseObject* chain = LoadObject(man.get(), u"chain.object", world->applet);
  ASSERT_NE(chain, nullptr) << Log().Text();
  BaseObject* deepest = chain;
  while (deepest->count() > 0) deepest = deepest->children(0);
  ASSERT_EQ(deepest->Depth(), kMaxTreeLevels - 6);
  BaseObject* last = deepest;
  for (int i = 0; i < 5; ++i) last = CreateObject("BaseObject", last);
  ASSERT_EQ(last->Depth(), kMaxTreeLevels - 1);
  struct TCase {
    const char* what;
    std::function<BaseObject*()> load;
    int levels;  // of the file's, in the tree
  };
  BaseObject* host = nullptr;
  const TCase cases[] = {
      {"made from the file", [&] { return CreateObjectFromFile(u"ten.object", deepest, false); }, 5},
      {"included by fileName",
       [&] {
         host = CreateObject("BaseObject", deepest);
         host->SetFileName(u"ten.object");
         return host;
       },
       5},
      {"loaded under the last level", [&] { return LoadObject(man.get(), u"ten.object", last); }, 0},
  };
  for (const TCase& c : cases) {
    Log().Clear();
    BaseObject* loaded = c.load();
    EXPECT_EQ(loaded ? Extent(loaded).second : 0, c.levels) << c.what;
    EXPECT_EQ(Log().ErrorCount(), 1) << c.what << "\n" << Log().Text();
    EXPECT_TRUE(Log().Contains(": a tree holds at most 256 levels")) << c.what << "\n" << Log().Text();
    if (loaded) loaded->Free();
  }
}

TEST_F(ObjectIncludes, ALoadStopsOnceItsBudgetIsSpentAndSaysSoOnce) {
  // Six files whose children include every other file: without a budget
  // one load reads about 5! * e = 326 files, and ten files nearly a million.
  for (int i = 0; i < 6; ++i) {
    std::string text = "object F" + std::to_string(i) + ": BaseObject\n";
    for (int j = 0; j < 6; ++j)
      if (j != i)
        text += "  object C" + std::to_string(j) + ": BaseObject\n    fileName = '" + NumberedFile(j) + "'\n  end\n";
    Write(NumberedFile(i), text + "end\n");
  }
  // A file of 20 objects included by 10 children.
  std::string many = "object Many: BaseObject\n";
  for (int i = 0; i < 19; ++i) many += "  object M" + std::to_string(i) + ": BaseObject\n  end\n";
  Write("many.object", many + "end\n");
  std::string fans = "object Fans: BaseObject\n";
  for (int i = 0; i < 10; ++i)
    fans += "  object P" + std::to_string(i) + ": BaseObject\n    fileName = 'many.object'\n  end\n";
  Write("fans.object", fans + "end\n");

  struct Row {
    const char* file;
    TLoadLimits limits;
    const char* refusal;
    int maxObjects;  // in the loaded tree
  };
  const Row rows[] = {
      {"f0.object", {40, std::int64_t{1} << 30, 1'000'000}, "Loading of f0.object stopped: more than 40 object files",
       6 * 40},
      {"fans.object", {4096, std::int64_t{1} << 30, 100}, "Loading of fans.object stopped: more than 100 objects", 101},
      {"fans.object", {4096, 2000, 1'000'000}, "Loading of fans.object stopped: more than 2000 bytes of object files",
       11 + 4 * 20},
  };
  for (const Row& row : rows) {
    SetLoadLimits(row.limits);
    Log().Clear();
    BaseObject* root = LoadObject(man.get(), Utf8ToUtf16(row.file), world->applet);
    ASSERT_NE(root, nullptr) << row.refusal << "\n" << Log().Text();
    EXPECT_EQ(Log().CountError(row.refusal), 1) << Log().Text();
    // A stopped read is no damaged file, and files meeting themselves at
    // every turn are named once.
    EXPECT_FALSE(Log().Contains("damaged")) << Log().Text();
    for (int i = 0; i < 6; ++i)
      EXPECT_LE(Log().CountError("Object file " + NumberedFile(i) + " includes itself"), 1) << Log().Text();
    EXPECT_LE(Extent(root).first, row.maxObjects) << row.refusal;
    root->Free();
    // Every load has a budget of its own.
    Log().Clear();
    EXPECT_NE(LoadObject(man.get(), u"part.object", world->applet), nullptr);
    EXPECT_FALSE(Log().Contains("stopped")) << Log().Text();
  }

  // Within the budget a file is included in every place that names it.
  SetLoadLimits(TLoadLimits{});
  Log().Clear();
  BaseObject* fansRoot = LoadObject(man.get(), u"fans.object", world->applet);
  ASSERT_NE(fansRoot, nullptr);
  EXPECT_EQ(Extent(fansRoot).first, 1 + 10 * 20) << Log().Text();
  EXPECT_FALSE(Log().Contains("stopped")) << Log().Text();
}

// Reads a file of the engine's own under itself as it is made, as an
// applet reads its defaults.
class TReadsOwnFile : public BaseObject {
  CORVANE_CLASS(TReadsOwnFile, BaseObject)
  using BaseObject::BaseObject;
  void AfterConstruction() override {
    BaseObject::AfterConstruction();
    LoadOwnObject(resMan, u"part.object", this);
  }
  static inline TResourceMan* resMan = nullptr;
};
CORVANE_IMPLEMENT_CLASS(TReadsOwnFile)

// What the engine reads of its own while a file loads is a load of its own:
// a file of exactly the budget's objects loads whole, and the file's budget
// is whole again once the engine's file is read.
TEST_F(ObjectIncludes, TheEnginesOwnFilesAreALoadOfTheirOwn) {
  RegisterClasses({TReadsOwnFile::StaticClass()});
  TReadsOwnFile::resMan = man.get();
  Write("exact.object", "object Exact: BaseObject\n  object A: TReadsOwnFile\n  end\n  object B: BaseObject\n  end\n"
                        "  object C: BaseObject\n  end\nend\n");
  SetLoadLimits({4096, std::int64_t{1} << 30, 3});
  BaseObject* root = LoadObject(man.get(), u"exact.object", world->applet);
  ASSERT_NE(root, nullptr) << Log().Text();
  EXPECT_FALSE(Log().Contains("stopped")) << Log().Text();
  EXPECT_EQ(Extent(root).first, 4 + 2);
  root->Free();
  Write("over.object", "object Over: BaseObject\n  object A: TReadsOwnFile\n  end\n  object B: BaseObject\n  end\n"
                       "  object C: BaseObject\n  end\n  object D: BaseObject\n  end\nend\n");
  Log().Clear();
  root = LoadObject(man.get(), u"over.object", world->applet);
  ASSERT_NE(root, nullptr) << Log().Text();
  EXPECT_EQ(Log().CountError("Loading of over.object stopped: more than 3 objects"), 1) << Log().Text();
  EXPECT_EQ(Extent(root).first, 4 + 2);
  UnRegisterClasses({TReadsOwnFile::StaticClass()});
}

TEST_F(ObjectIncludes, AProxyIsReplacedByTheFileItNames) {
  BaseObject* holder = world->Load(
      "object Holder: BaseObject\n  object First: BaseObject\n  end\n  object Stand: ProxyObject\n"
      "    src = 'part.object'\n  end\n  object Last: BaseObject\n  end\nend\n");
  ASSERT_NE(holder, nullptr) << Log().Text();
  EXPECT_EQ(Log().CountInfo("ProxyObject loaded part.object"), 1) << Log().Text();
  ASSERT_GE(holder->count(), 3);
  EXPECT_EQ(holder->children(0)->Name(), u"First");
  EXPECT_EQ(holder->children(1)->Name(), u"Part");  // in the proxy's place
  EXPECT_EQ(Utf16ToUtf8(holder->children(1)->TagString()), "part");
  world->Steps(5);  // the proxy goes through the scheduler
  EXPECT_EQ(holder->findByName(u"Stand"), nullptr);
  EXPECT_NE(holder->findByName(u"Part"), nullptr);

  Log().Clear();
  world->Load("object Holder2: BaseObject\n  object Stand2: ProxyObject\n    src = 'none.object'\n  end\nend\n");
  EXPECT_EQ(Log().CountError("ProxyObject not loaded none.object"), 1) << Log().Text();
}

TEST_F(ObjectIncludes, ObjectsFromFilesAreExternal) {
  BaseObject* made = CreateObjectFromFile(u"part.object", world->applet, false);
  ASSERT_NE(made, nullptr) << Log().Text();
  EXPECT_TRUE(made->HasStyle(csExternal));
  EXPECT_EQ(made->Parent(), world->applet);
  EXPECT_EQ(Utf16ToUtf8(made->TagString()), "part");

  std::filesystem::remove(dir / "part.object");  // the .bin made above serves alone
  EXPECT_NE(CreateObjectFromFile(u"part.object", world->applet, false), nullptr);

  EXPECT_EQ(CreateObjectFromFile(u"none.object", world->applet, false), nullptr);
  EXPECT_EQ(Log().CountError("file none.object file not exists"), 1) << Log().Text();
}

}  // namespace
}  // namespace corvane::test
