// Object files that reach the tree through the object base: a `fileName`
// that includes a file into an object, a ProxyObject replaced by the file
// its `src` names, and objects made from files at run time.
#include <gtest/gtest.h>

#include <string>

#include "engine/applet.h"
#include "engine/effect.h"
#include "engine/object_factory.h"
#include "engine/object_loader.h"
#include "resources/object_storage.h"
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
};

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
