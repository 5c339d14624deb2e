// Script files: found by the base of the name, compiled and stored as
// ".jsbin" under the user's secret, the compiled form used only while it is
// this user's own and was built from the source as it is now, any other
// compiled file replaced (or, alone, refused), and the errors of files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "base/text/text_convert.h"
#include "script/js/js_compiled_script.h"
#include "script/js/js_context.h"
#include "tests/base/temp_dir.h"
#include "tests/script/js/js_world.h"
#include "tests/support/scoped_env.h"

namespace corvane {
namespace {

using test::TJsWorld;
using Lines = std::vector<std::string>;

// The user's data folder, where the secret lives, in a folder of the test's.
class TUserDataScope {
 public:
  TUserDataScope() : env_("XDG_DATA_HOME", home_.Path()) {}
  std::string Folder() const { return home_.Path() + "/corvane/"; }
  std::string SecretPath() const { return Folder() + js::kCompiledScriptSecret; }
  TUserSecret Secret() const {
    const std::string bytes = test::ReadFile(SecretPath());
    TUserSecret secret{};
    EXPECT_EQ(bytes.size(), secret.size());
    std::copy_n(bytes.begin(), std::min(bytes.size(), secret.size()), secret.begin());
    return secret;
  }

 private:
  test::TTempDir home_;
  test::TScopedEnv env_;
};

class JsScriptFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(world.Start(), nullptr); }
  TScript* Load(const std::u16string& name) {
    TScript* script = world.Js()->LoadScript(world.Live()->ResMan(), name);
    if (script) loaded.push_back(script);
    return script;
  }
  // A script outlives its engine harmlessly (its code went with the
  // context); it is freed all the same.
  void TearDown() override {
    for (TScript* script : loaded) script->Free();
  }
  // Moves a file's date by whole seconds (file dates step by 2 s).
  void Age(const std::string& name, int seconds) {
    const auto path = world.PathOf(name);
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(seconds));
  }

  std::size_t Compilations(std::size_t mark) const {
    const Lines lines = world.MessagesSince(mark);
    return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
      return line.find("was compiled successful") != std::string::npos;
    }));
  }

  TUserDataScope user;
  TJsWorld world;
  std::vector<TScript*> loaded;
};

const char kMain[] = "var answer = 42;\nfunction outer() {\n  function inner(x) { return x * 2; }\n  return inner(answer);\n}\n";

TEST_F(JsScriptFileTest, SourceIsCompiledStoredAndRun) {
  world.Put("main.js", kMain);
  const std::size_t mark = world.Mark();
  TScript* script = Load(u"main.txt");
  ASSERT_NE(script, nullptr);
  EXPECT_NE(script->Handle, nullptr);
  EXPECT_EQ(script->RefCount, 0);
  const Lines lines = world.MessagesSince(mark);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "(i) main.js was compiled successful"), 1);
  EXPECT_TRUE(world.Exists("main.jsbin"));
  EXPECT_EQ(world.Js()->GetVarValue(u"answer"), u"42");
  EXPECT_TRUE(world.Js()->CallScript(u"result = outer()"));
  EXPECT_EQ(world.Js()->GetVarValue(u"result"), u"84");
  EXPECT_EQ(Load(u"absent.js"), nullptr);
  // The secret was made for the user alone.
  struct stat info;
  ASSERT_EQ(::stat(user.Folder().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat(user.SecretPath().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(info.st_size, 32);
}

TEST_F(JsScriptFileTest, CompiledFileAloneRunsWithItsNestedFunctions) {
  world.Put("main.js", kMain);
  ASSERT_NE(Load(u"main.js"), nullptr);
  const std::optional<std::string> compiled = world.Bytes("main.jsbin");
  ASSERT_TRUE(compiled);
  std::filesystem::remove(world.PathOf("main.js"));
  world.FreeApplet();
  // The last engine took the context, and the script's code with it.
  EXPECT_EQ(loaded.back()->Handle, nullptr);

  TJsWorld fresh;
  fresh.Put("main.jsbin", *compiled);
  ASSERT_NE(fresh.Start(), nullptr);
  const std::size_t mark = fresh.Mark();
  TScript* script = fresh.Js()->LoadScript(fresh.Live()->ResMan(), u"main.js");
  ASSERT_NE(script, nullptr);
  EXPECT_EQ(fresh.ErrorsSince(mark), Lines{});
  EXPECT_EQ(fresh.CountInfo("main.js was compiled successful"), 0);
  EXPECT_EQ(fresh.Js()->GetVarValue(u"answer"), u"42");
  EXPECT_TRUE(fresh.Js()->CallScript(u"result = outer()"));
  EXPECT_EQ(fresh.Js()->GetVarValue(u"result"), u"84");
  // Nothing was written: the file is as it was.
  EXPECT_EQ(fresh.Bytes("main.jsbin"), compiled);
  fresh.Js()->FreeScript(script);
  fresh.FreeApplet();

  // Another user's (another secret's) compiled file is never decoded.
  TUserDataScope other;
  TJsWorld elsewhere;
  elsewhere.Put("main.jsbin", *compiled);
  ASSERT_NE(elsewhere.Start(), nullptr);
  const std::size_t otherMark = elsewhere.Mark();
  EXPECT_EQ(elsewhere.Js()->LoadScript(elsewhere.Live()->ResMan(), u"main.js"), nullptr);
  EXPECT_EQ(elsewhere.ErrorsSince(otherMark), Lines{"Can't load compiled script main.jsbin"});
  EXPECT_EQ(elsewhere.Js()->GetVarValue(u"answer"), u"");
}

// The compiled file records the source it was built from: any edit
// recompiles it, whatever the file dates say; an unchanged source keeps it.
TEST_F(JsScriptFileTest, AnEditedSourceIsCompiledAgainWhateverItsDate) {
  world.Put("main.js", "var version = 1;");
  ASSERT_NE(Load(u"main.js"), nullptr);
  const auto built = std::filesystem::last_write_time(world.PathOf("main.jsbin"));
  // Edited within the same second, and dated as the compiled file or older.
  for (const int seconds : {0, -1, -10}) {
    const std::string text = "var version = " + std::to_string(2 - seconds) + ";";
    world.Put("main.js", text);
    std::filesystem::last_write_time(world.PathOf("main.js"), built + std::chrono::seconds(seconds));
    const std::size_t mark = world.Mark();
    ASSERT_NE(Load(u"main.js"), nullptr);
    EXPECT_EQ(world.Js()->GetVarValue(u"version"), Utf8ToUtf16(std::to_string(2 - seconds)));
    EXPECT_EQ(Compilations(mark), 1u);
  }
  // The same text, however newer: the compiled file serves.
  Age("main.js", 60);
  const std::string compiled = *world.Bytes("main.jsbin");
  const std::size_t mark = world.Mark();
  ASSERT_TRUE(world.Js()->CallScript(u"version = 0"));
  ASSERT_NE(Load(u"main.js"), nullptr);
  EXPECT_EQ(world.Js()->GetVarValue(u"version"), u"12");
  EXPECT_EQ(Compilations(mark), 0u);
  EXPECT_EQ(world.Bytes("main.jsbin"), compiled);
}

TEST_F(JsScriptFileTest, UnusableCompiledFilesAreReplacedFromTheSource) {
  world.Put("main.js", kMain);
  ASSERT_NE(Load(u"main.js"), nullptr);
  const std::string good = *world.Bytes("main.jsbin");

  std::string_view encoding;
  ASSERT_TRUE(js::AuthenticCompiledScript(good, nullptr, user.Secret(), encoding));
  const TSha256Digest source = Sha256(kMain);

  // Another build's file, signed with this user's secret: the library's own
  // build id in it differs, so the library sees it and refuses it.
  std::string otherBuild(encoding);
  const std::string id = js::BuildId();
  const std::size_t at = otherBuild.find(id);
  ASSERT_NE(at, std::string::npos);
  otherBuild[at + id.size() - 1] ^= 1;
  const std::string foreign = js::CompiledScriptFile(otherBuild, source, user.Secret());

  // Made elsewhere: a well-formed file of this very source under another
  // secret; and one whose body was damaged after it was signed.
  TUserSecret otherSecret = user.Secret();
  otherSecret[0] ^= 1;
  const std::string forged = js::CompiledScriptFile(encoding, source, otherSecret);
  std::string damaged = good;
  damaged[damaged.size() / 2] ^= 0x10;

  std::string junk(64, '\0');
  for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>(i * 37 + 11);
  const std::string truncated = good.substr(0, good.size() / 2);

  for (const std::string& bad : {junk, foreign, forged, damaged, truncated, std::string()}) {
    world.Put("main.jsbin", bad);
    Age("main.js", -10);
    ASSERT_TRUE(world.Js()->CallScript(u"answer = 0"));
    const std::size_t mark = world.Mark();
    ASSERT_NE(Load(u"main.js"), nullptr);
    EXPECT_EQ(world.ErrorsSince(mark), Lines{});
    EXPECT_EQ(world.Js()->GetVarValue(u"answer"), u"42");
    // Rewritten, and good again.
    EXPECT_EQ(world.Bytes("main.jsbin"), good);
  }

  // Alone, a damaged file is reported and gives nothing.
  std::filesystem::remove(world.PathOf("main.js"));
  for (const std::string& bad : {junk, foreign, forged, damaged, truncated}) {
    world.Put("main.jsbin", bad);
    const std::size_t mark = world.Mark();
    EXPECT_EQ(Load(u"main.js"), nullptr);
    EXPECT_EQ(world.ErrorsSince(mark), Lines{"Can't load compiled script main.jsbin"});
  }
}

TEST_F(JsScriptFileTest, ErrorsNameTheFileAndItsLine) {
  world.Put("main.js", "var a = 1;\nvar b = ;");
  std::size_t mark = world.Mark();
  EXPECT_EQ(Load(u"main.js"), nullptr);
  EXPECT_EQ(world.ErrorsSince(mark),
            (Lines{"main.js(2:8) expected expression, got ';' \"var b = ;\"", "Can't compile main.js script"}));
  EXPECT_FALSE(world.Exists("main.jsbin"));

  // A run-time error in a function of the file, called from a handler.
  world.Put("lib.js", "// helpers\n\nvar unused = 0;\nfunction bad(){ return null.x; }\n");
  ASSERT_NE(Load(u"lib.js"), nullptr);
  mark = world.Mark();
  EXPECT_FALSE(world.Js()->CallScript(u"bad()"));
  Lines errors = world.ErrorsSince(mark);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("lib.js(4:", 0), 0u) << errors[0];

  // The top level throws: the file is not loaded.
  world.Put("thrower.js", "var before = 1;\nthrow new Error('stop here');\n");
  mark = world.Mark();
  EXPECT_EQ(Load(u"thrower.js"), nullptr);
  EXPECT_EQ(world.ErrorsSince(mark), (Lines{"thrower.js(2:6) stop here \"\"", "Can't execute script thrower.js"}));
}

TEST_F(JsScriptFileTest, FilesBeyondTheSizeCapAreRefusedUnread) {
  // Sparse files: the cap is checked before a byte is read.
  const std::uintmax_t tooLarge = static_cast<std::uintmax_t>(js::kMaxScriptFileBytes) + 1;
  world.Put("huge.js", "var huge = 1;");
  std::filesystem::resize_file(world.PathOf("huge.js"), tooLarge);
  std::size_t mark = world.Mark();
  EXPECT_EQ(Load(u"huge.js"), nullptr);
  EXPECT_EQ(world.ErrorsSince(mark),
            (Lines{"huge.js is larger than 67108864 bytes", "Can't compile huge.js script"}));
  EXPECT_FALSE(world.Exists("huge.jsbin"));

  world.Put("alone.jsbin", "CJSB");
  std::filesystem::resize_file(world.PathOf("alone.jsbin"), tooLarge);
  mark = world.Mark();
  EXPECT_EQ(Load(u"alone.js"), nullptr);
  EXPECT_EQ(world.ErrorsSince(mark), Lines{"Can't load compiled script alone.jsbin"});
}

TEST_F(JsScriptFileTest, SourceTextIsUtf8OrLatin1WithoutItsMark) {
  world.Put("utf8.js", "\xEF\xBB\xBFvar word = 'Gr\xC3\xBC\xC3\x9F" "e';");
  ASSERT_NE(Load(u"utf8.js"), nullptr);
  EXPECT_EQ(world.Js()->GetVarValue(u"word"), u"Grüße");
  world.Put("latin.js", "var old = 'Gr\xFC\xDF" "e';");
  ASSERT_NE(Load(u"latin.js"), nullptr);
  EXPECT_EQ(world.Js()->GetVarValue(u"old"), u"Grüße");
  // Lines end any way an editor ends them; the line numbers hold.
  world.Put("crlf.js", "var x = 1;\r\nvar y = ;\r\n");
  const std::size_t mark = world.Mark();
  EXPECT_EQ(Load(u"crlf.js"), nullptr);
  EXPECT_EQ(world.ErrorsSince(mark),
            (Lines{"crlf.js(2:8) expected expression, got ';' \"var y = ;\"", "Can't compile crlf.js script"}));
}

}  // namespace
}  // namespace corvane
