// The per-user data folder and its secrets: where the environment puts
// them, made private on first use, the same secret for every process that
// starts at once, and a file that does not hold up replaced.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "base/system/user_data.h"
#include "tests/base/temp_dir.h"
#include "tests/support/scoped_env.h"

namespace corvane {
namespace {

TEST(UserDataTest, TheFolderFollowsTheEnvironment) {
  test::TScopedEnv home("HOME", "/home/someone");
  {
    test::TScopedEnv data("XDG_DATA_HOME", "/data/x/");
    EXPECT_EQ(UserDataFolder(), "/data/x/corvane/");
  }
  {
    // A relative XDG_DATA_HOME is ignored, as the convention says.
    test::TScopedEnv data("XDG_DATA_HOME", "relative");
    EXPECT_EQ(UserDataFolder(), "/home/someone/.local/share/corvane/");
  }
  test::TScopedEnv data("XDG_DATA_HOME", "");
  test::TScopedEnv noHome("HOME", "");
  EXPECT_EQ(UserDataFolder(), "");
  TUserSecret secret;
  std::string reason;
  EXPECT_FALSE(UserSecret("s.key", secret, reason));
  EXPECT_FALSE(reason.empty());
}

TEST(UserDataTest, SecretsAreMadeOnceAndPrivate) {
  test::TTempDir dir;
  // Folders that do not exist yet, made for the user alone.
  test::TScopedEnv data("XDG_DATA_HOME", dir / "deep/share");
  const std::string path = dir / "deep/share/corvane/s.key";

  // Processes starting together: every one ends with the one secret.
  std::vector<TUserSecret> secrets(8);
  std::vector<int> made(8, 0);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < secrets.size(); ++i)
    threads.emplace_back([&, i] {
      std::string reason;
      made[i] = UserSecret("s.key", secrets[i], reason);
    });
  for (std::thread& thread : threads) thread.join();
  for (std::size_t i = 0; i < secrets.size(); ++i) {
    EXPECT_TRUE(made[i]);
    EXPECT_EQ(secrets[i], secrets[0]);
  }
  EXPECT_NE(secrets[0], TUserSecret{});
  EXPECT_EQ(test::ReadFile(path), std::string(secrets[0].begin(), secrets[0].end()));
  struct stat info;
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  for (const char* folder : {"deep", "deep/share", "deep/share/corvane"}) {
    ASSERT_EQ(::stat((dir / folder).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u) << folder;
  }
  // Nothing but the secret is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "deep/share/corvane"), {}), 1);

  TUserSecret again;
  std::string reason;
  ASSERT_TRUE(UserSecret("s.key", again, reason));
  EXPECT_EQ(again, secrets[0]);
}

TEST(UserDataTest, ASecretThatDoesNotHoldUpIsReplaced) {
  test::TTempDir dir;
  test::TScopedEnv data("XDG_DATA_HOME", dir.Path());
  std::filesystem::create_directories(dir / "corvane");
  const std::string path = dir / "corvane/s.key";
  const std::string planted(32, 'k');
  TUserSecret secret;
  std::string reason;
  const auto replaced = [&] {
    EXPECT_TRUE(UserSecret("s.key", secret, reason)) << reason;
    return std::string(secret.begin(), secret.end()) != planted;
  };
  // Readable by others, of another size, or a link to another file.
  test::WriteFile(path, planted);
  ::chmod(path.c_str(), 0644);
  EXPECT_TRUE(replaced());
  test::WriteFile(path, planted + "x");
  ::chmod(path.c_str(), 0600);
  EXPECT_TRUE(replaced());
  std::filesystem::remove(path);
  test::WriteFile(dir / "elsewhere", planted);
  ::chmod((dir / "elsewhere").c_str(), 0600);
  std::filesystem::create_symlink(dir / "elsewhere", path);
  EXPECT_TRUE(replaced());
  EXPECT_FALSE(std::filesystem::is_symlink(path));
  EXPECT_EQ(test::ReadFile(dir / "elsewhere"), planted);
  // A private file of the right size is the secret.
  test::WriteFile(path, planted);
  ::chmod(path.c_str(), 0600);
  EXPECT_FALSE(replaced());
}

}  // namespace
}  // namespace corvane
