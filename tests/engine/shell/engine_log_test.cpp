#include "engine/shell/engine_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/text/number_text.h"
#include "tests/base/temp_dir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

// Redirects file descriptor 1 into a temporary file until Stop(), which
// gives what was printed. Assertions come after Stop(), so that their own
// messages reach the console.
class TCaptureStdout {
 public:
  TCaptureStdout() : file_(std::tmpfile()) {
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    dup2(fileno(file_), STDOUT_FILENO);
  }
  ~TCaptureStdout() { Stop(); }
  TCaptureStdout(const TCaptureStdout&) = delete;
  TCaptureStdout& operator=(const TCaptureStdout&) = delete;

  std::string Stop() {
    if (!file_) return text_;
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
    std::rewind(file_);
    for (int c; (c = std::fgetc(file_)) != EOF;) text_ += static_cast<char>(c);
    std::fclose(file_);
    file_ = nullptr;
    return text_;
  }

 private:
  std::FILE* file_;
  int saved_ = -1;
  std::string text_;
};

std::tm At(int h, int m, int s) {
  std::tm t{};
  t.tm_hour = h;
  t.tm_min = m;
  t.tm_sec = s;
  return t;
}

// A clock that starts at 09:00:00 and moves one second per line.
TEngineLog::TClock Ticking() {
  auto seconds = std::make_shared<int>(0);
  return [seconds] {
    const int s = (*seconds)++;
    return At(9, s / 60, s % 60);
  };
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size()) ++n;
  return n;
}

std::vector<std::string> Lines(const TLogLines& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
  return lines;
}

using test::ReadFile;
using test::WriteFile;

// Each test sets the process-wide StoreLog it needs; it is put back after.
class EngineLogTest : public ::testing::Test {
 protected:
  ~EngineLogTest() override {
    StoreLog = savedStoreLog_;
    MaxLogFileBytes = savedMaxLogFileBytes_;
  }
  test::TTempDir temp_;
  const fs::path dir_ = temp_.Path();
  const bool savedStoreLog_ = StoreLog;
  const std::int64_t savedMaxLogFileBytes_ = MaxLogFileBytes;
};

// The file's lines without their CR LF ends.
std::vector<std::string> FileLines(const fs::path& file) {
  std::vector<std::string> lines;
  const std::string text = ReadFile(file);
  for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  return lines;
}

TEST_F(EngineLogTest, LineFormatOnStdoutAndInTheList) {
  const struct {
    std::tm Time;
    bool IsError;
    std::u16string Message;
    std::string Line;
  } cases[] = {
      {At(14, 3, 27), false, u"Trying to load /games/x/main.object", "14:03:27 (i) Trying to load /games/x/main.object"},
      {At(14, 3, 27), true, u"Can't run applet", "14:03:27 (e) Can't run applet"},
      {At(23, 59, 59), false, u"100% %s %d %%", "23:59:59 (i) 100% %s %d %%"},
      {At(0, 5, 9), false, u"", "00:05:09 (i) "},
      {At(0, 0, 0), true, u"Gr\u00FC\u00DFe \u20AC \U0001F600",
       "00:00:00 (e) Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80"},
      // Control characters from files (a class name read from a .bin) can
      // neither split the line nor reach the terminal as an escape sequence;
      // a backslash is kept as it is.
      {At(1, 2, 3), true, u"Class A\nB\rC\tD not found.", "01:02:03 (e) Class A\\nB\\rC\\tD not found."},
      {At(1, 2, 3), false, u"\x1B[31mred\x1B[0m \x7F\u009B\x01",
       "01:02:03 (i) \\x1B[31mred\\x1B[0m \\x7F\\x9B\\x01"},
      {At(1, 2, 3), false, std::u16string(u"nul\0end", 7) + u" C:\\games \u00A0",
       "01:02:03 (i) nul\\x00end C:\\games \xC2\xA0"},
  };
  TEngineLog log;
  std::string expectedOut;
  std::vector<std::string> expectedList;
  TCaptureStdout out;
  for (const auto& c : cases) {
    log.SetClock([&c] { return c.Time; });
    if (c.IsError) {
      log.Error(c.Message);
    } else {
      log.Log(c.Message);
    }
    expectedOut += c.Line + "\n";
    expectedList.push_back(c.Line);
  }
  EXPECT_EQ(out.Stop(), expectedOut);
  EXPECT_EQ(Lines(log.LogList), expectedList);
}

TEST_F(EngineLogTest, NamingReplaysEarlierLinesOnceWithTheirTimes) {
  StoreLog = true;
  const fs::path file = dir_ / "main.log";
  WriteFile(file, "a line of the previous run\r\n");
  TEngineLog log;
  log.SetClock(Ticking());
  TCaptureStdout out;

  log.Log(u"=== Corvane engine 2.0 started ===");
  log.Error(u"Resource manager not actived");
  const std::string beforeNaming = ReadFile(file);
  log.SetLogFileName(file.string());
  log.Log(u"after");
  log.LogWOFormat(u"preformatted\r\nline");
  const std::string printed = out.Stop();

  EXPECT_EQ(beforeNaming, "a line of the previous run\r\n");

  const std::vector<std::string> expected = {
      "09:00:00 (i) === Corvane engine 2.0 started ===",
      "09:00:01 (e) Resource manager not actived",
      "09:00:02 (i) " + file.string(),
      "09:00:03 (i) after",
      "preformatted\\r\\nline",
  };
  EXPECT_EQ(Lines(log.LogList), expected);
  std::string fileText;
  for (const auto& line : expected) fileText += line + "\r\n";
  EXPECT_EQ(ReadFile(file), fileText);
  // Standard output got each logged line once, without CR; never the
  // preformatted one.
  EXPECT_EQ(printed, expected[0] + "\n" + expected[1] + "\n" + expected[2] + "\n" + expected[3] + "\n");

  // Naming it again (the engine names the file a second time at launch)
  // still leaves every line once in the list and in the file.
  TCaptureStdout again;
  log.SetLogFileName(file.string());
  again.Stop();
  EXPECT_EQ(log.LogList.Count(), 6);
  fileText += "09:00:04 (i) " + file.string() + "\r\n";
  EXPECT_EQ(ReadFile(file), fileText);

  log.ClearLog();
  EXPECT_EQ(ReadFile(file), "");
  EXPECT_EQ(log.LogList.Count(), 6);
}

TEST_F(EngineLogTest, LinesGoToAFileNamedDirectly) {
  StoreLog = true;
  const fs::path file = dir_ / "x.log";
  WriteFile(file, "");
  TEngineLog log;
  log.SetClock([] { return At(23, 59, 59); });
  TCaptureStdout out;
  log.LogFileName = file.string();
  log.Log(u"one");
  log.Error(u"two");
  out.Stop();
  EXPECT_EQ(ReadFile(file), "23:59:59 (i) one\r\n23:59:59 (e) two\r\n");
}

TEST_F(EngineLogTest, WithoutStoreLogNoFileIsTouched) {
  StoreLog = false;
  const fs::path existing = dir_ / "old.log";
  const fs::path missing = dir_ / "new.log";
  WriteFile(existing, "kept\r\n");
  for (const fs::path& file : {existing, missing}) {
    TEngineLog log;
    log.SetClock([] { return At(1, 2, 3); });
    TCaptureStdout out;
    log.Log(u"before");
    log.SetLogFileName(file.string());
    log.ClearLog();
    log.Error(u"after");
    log.LogWOFormat(u"raw");
    EXPECT_EQ(out.Stop(), "01:02:03 (i) before\n01:02:03 (i) " + file.string() + "\n01:02:03 (e) after\n");
    EXPECT_EQ(Lines(log.LogList), (std::vector<std::string>{"01:02:03 (i) before", "01:02:03 (i) " + file.string(),
                                                            "01:02:03 (e) after", "raw"}));
    EXPECT_EQ(log.LogFileName, file.string());
  }
  EXPECT_EQ(ReadFile(existing), "kept\r\n");
  EXPECT_FALSE(fs::exists(missing));
}

TEST_F(EngineLogTest, FileFailuresLoseTheLineForTheFileOnly) {
  StoreLog = true;
  const fs::path readOnly = dir_ / "ro.log";
  const fs::path deleted = dir_ / "gone.log";
  const fs::path noFolder = dir_ / "none" / "x.log";
  const struct {
    fs::path File;
    bool MakeReadOnly;
    bool DeleteAfterNaming;
    std::string Content;  // what the file holds at the end; "-" when absent
    std::string Said;     // the error line, once; "" when the loss is quiet
  } cases[] = {
      {readOnly, true, false, "12:00:00 (i) " + readOnly.string() + "\r\n",
       "12:00:00 (e) Can't write the log file " + readOnly.string() + ": the file is read-only"},
      {deleted, false, true, "-", ""},
      {noFolder, false, false, "-", ""},
  };
  for (const auto& c : cases) {
    TEngineLog log;
    log.SetClock([] { return At(12, 0, 0); });
    TCaptureStdout out;
    log.SetLogFileName(c.File.string());
    if (c.MakeReadOnly) fs::permissions(c.File, fs::perms::owner_read | fs::perms::group_read);
    if (c.DeleteAfterNaming) fs::remove(c.File);
    log.Log(u"lost for the file");
    log.LogWOFormat(u"raw");
    const std::string printed = out.Stop();
    const int said = c.Said.empty() ? 0 : 1;
    EXPECT_EQ(log.LogList.Count(), 3 + said) << c.File;
    EXPECT_EQ(log.LogList.Get(1), "12:00:00 (i) lost for the file") << c.File;
    if (said) EXPECT_EQ(log.LogList.Get(2), c.Said) << c.File;
    log.Log(u"said once");
    const std::vector<std::string> all = Lines(log.LogList);
    if (said) EXPECT_EQ(std::count(all.begin(), all.end(), c.Said), 1) << c.File;
    EXPECT_NE(printed.find("12:00:00 (i) lost for the file\n"), std::string::npos) << c.File;
    EXPECT_EQ(fs::exists(c.File) ? ReadFile(c.File) : "-", c.Content) << c.File;
  }
}

TEST_F(EngineLogTest, ShowInfoReplacesInPlaceOrAdds) {
  TEngineLog log;
  const struct {
    std::u16string Name, Value;
  } posts[] = {
      {u"fps", u"60"}, {u"objects", u"12"}, {u"fps", u"59.5"}, {u"script", u"a=b"},
      {u"objects", u""}, {u"script", u"c"},
  };
  for (const auto& p : posts) log.ShowInfo(p.Name, p.Value);
  const std::vector<std::u16string> expected = {u"fps=59.5", u"objects=", u"script=c"};
  ASSERT_EQ(log.Info.Count(), static_cast<int>(expected.size()));
  for (int i = 0; i < log.Info.Count(); ++i) EXPECT_EQ(log.Info.Get(i), expected[i]) << i;
}

TEST_F(EngineLogTest, InstalledAsTheTargetUntilDestroyed) {
  TCaptureStdout out;
  std::vector<std::string> seen;
  {
    TEngineLog log;
    log.SetClock([] { return At(8, 0, 0); });
    ASSERT_EQ(SetLogTarget(&log), nullptr);
    EngineLog(u"through the seam");
    EngineError(u"an error");
    seen = Lines(log.LogList);
  }
  // The destroyed log took itself out: this line reaches the default target.
  EngineLog(u"after the log is gone");
  const std::string printed = out.Stop();
  EXPECT_EQ(seen, (std::vector<std::string>{"08:00:00 (i) through the seam", "08:00:00 (e) an error"}));
  EXPECT_NE(printed.find("08:00:00 (e) an error\n"), std::string::npos);
  EXPECT_NE(printed.find("(i) after the log is gone\n"), std::string::npos);
}

// A long run keeps only the newest lines in memory, by count and by size;
// the newest line stays, however long.
TEST_F(EngineLogTest, TheListKeepsTheNewestLines) {
  StoreLog = false;
  TEngineLog log;
  log.SetClock([] { return At(1, 0, 0); });
  TCaptureStdout out;
  const int logged = static_cast<int>(TLogLines::kMaxLines) + 25;
  for (int i = 0; i < logged; ++i) log.Log(u"line " + IntToStr(i));
  EXPECT_EQ(log.LogList.Count(), static_cast<int>(TLogLines::kMaxLines));
  EXPECT_EQ(log.LogList.Get(0), "01:00:00 (i) line 25");
  EXPECT_EQ(log.Line(log.LineCount() - 1), "01:00:00 (i) line " + std::to_string(logged - 1));

  const std::u16string big(TLogLines::kMaxBytes / 3, u'x');
  for (int i = 0; i < 4; ++i) log.Log(big);
  EXPECT_EQ(log.LogList.Count(), 2);
  log.Log(std::u16string(TLogLines::kMaxBytes, u'y'));
  EXPECT_EQ(log.LogList.Count(), 1);
  EXPECT_EQ(log.LogList.Get(0).size(), TLogLines::kMaxBytes + 13);
  out.Stop();
}

// A handler failing every frame logs the same line each time: the file has
// it once and then how often it came again, the list and standard output
// every time.
TEST_F(EngineLogTest, RepeatedLinesAreCountedInTheFile) {
  StoreLog = true;
  const fs::path file = dir_ / "main.log";
  std::vector<std::string> expected;
  {
    TEngineLog log;
    log.SetClock([] { return At(9, 0, 0); });
    TCaptureStdout out;
    log.SetLogFileName(file.string());
    for (int i = 0; i < 2500; ++i) log.Error(u"main.js(3:1) ReferenceError: x is not defined");
    log.Log(u"another");
    log.Error(u"main.js(3:1) ReferenceError: x is not defined");
    log.Error(u"main.js(3:1) ReferenceError: x is not defined");
    const std::string printed = out.Stop();
    EXPECT_EQ(log.LogList.Count(), 2504);
    EXPECT_EQ(Count(printed, "(e) main.js(3:1) ReferenceError: x is not defined\n"), 2502);
  }
  // The count is written each thousand repeats, before another line and
  // when the log ends.
  EXPECT_EQ(FileLines(file), (std::vector<std::string>{
                                 "09:00:00 (i) " + file.string(),
                                 "09:00:00 (e) main.js(3:1) ReferenceError: x is not defined",
                                 "09:00:00 (i) Last line repeated 1000 more times",
                                 "09:00:00 (i) Last line repeated 1000 more times",
                                 "09:00:00 (i) Last line repeated 499 more times",
                                 "09:00:00 (i) another",
                                 "09:00:00 (e) main.js(3:1) ReferenceError: x is not defined",
                                 "09:00:00 (i) Last line repeated 1 more times",
                             }));
}

// One run writes at most MaxLogFileBytes into the file, then one line
// saying so; the list and standard output still get every line.
TEST_F(EngineLogTest, TheFileStopsAtItsSizeForTheRun) {
  StoreLog = true;
  MaxLogFileBytes = 1000;
  const fs::path file = dir_ / "main.log";
  TEngineLog log;
  log.SetClock([] { return At(2, 0, 0); });
  TCaptureStdout out;
  log.SetLogFileName(file.string());
  for (int i = 0; i < 100; ++i) log.Log(u"line " + IntToStr(i));
  const std::string printed = out.Stop();
  const std::string limit = "02:00:00 (e) Log file " + file.string() +
                            " reached its limit of 1000 bytes for this run: later lines are not written to it";
  const std::vector<std::string> lines = FileLines(file);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), limit);
  EXPECT_LE(fs::file_size(file) - limit.size() - 2, 1000u);
  EXPECT_EQ(lines[lines.size() - 2], "02:00:00 (i) line " + std::to_string(lines.size() - 3));
  EXPECT_EQ(Count(printed, limit.substr(9) + "\n"), 1);
  EXPECT_EQ(log.LogList.Count(), 102);
  EXPECT_EQ(log.LogList.Get(101), "02:00:00 (i) line 99");
  // Naming the file again does not start the budget over.
  const auto size = fs::file_size(file);
  log.SetLogFileName(file.string());
  log.Log(u"after");
  EXPECT_EQ(fs::file_size(file), size);
}

}  // namespace
}  // namespace corvane
