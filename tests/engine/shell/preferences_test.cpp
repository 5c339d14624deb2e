// The applet's preferences: users, settings, value parsing and the ".prefs"
// file beside the applet.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "base/reflection/class_info.h"
#include "base/reflection/prop_access.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/shell/engine.h"
#include "engine/shell/preferences.h"
#include "tests/engine/shell/applet_data_file_fixture.h"
#include "tests/engine/shell/applet_files_kit.h"

namespace corvane {
namespace {

using Lines = std::vector<std::u16string>;
using test::Decipher;

class PreferencesTest : public test::TAppletDataFileTest {
 protected:
  PreferencesTest() { prefs = Create<Preferences>(TCreateContext(world.applet)); }

  Lines Entries() const { return LinesOf(prefs->Entries()); }
  void SetEntries(const Lines& lines) const {
    prefs->Entries().Clear();
    for (const auto& line : lines) prefs->Entries().Add(line);
  }
  Variant Call(const char* method, const std::vector<Variant>& args = {}) const {
    return CallMethod(*prefs, method, args);
  }

  Preferences* prefs = nullptr;
};

TEST_F(PreferencesTest, ANewStoreHasNoUsersAndSettingsGoToUserOne) {
  EXPECT_EQ(Entries(), Lines{u"0"});
  EXPECT_EQ(prefs->GetUserCount(), 0);
  EXPECT_EQ(prefs->GetUserIndex(u"nobody"), 1);
  EXPECT_EQ(prefs->GetValue(u"left"), u"");
  prefs->SetValue(u"left", u"10");
  EXPECT_EQ(Entries(), (Lines{u"0", u"user1.left=10"}));
  EXPECT_EQ(prefs->GetValue(u"Left"), u"10");  // setting names match without case
  prefs->SetValue(u"LEFT", u"");                // an empty value removes the setting
  EXPECT_EQ(Entries(), Lines{u"0"});
}

TEST_F(PreferencesTest, LinesAfterEachCallThroughTheScriptNames) {
  struct Step {
    std::function<void()> call;
    Lines lines;
  };
  const std::vector<Step> steps = {
      {[&] { Call("addUser", {u"Ann"}); }, {u"1", u"user1=Ann", u"currentuser=Ann"}},
      {[&] { Call("addUser", {u"Bob"}); }, {u"2", u"user2=Bob", u"user1=Ann", u"currentuser=Bob"}},
      {[&] { Call("setValue", {u"left", u"5"}); },
       {u"2", u"user2=Bob", u"user1=Ann", u"currentuser=Bob", u"user2.left=5"}},
      {[&] { SetPropValue(*prefs, "user", Variant(u"Ann")); },
       {u"2", u"user2=Bob", u"user1=Ann", u"currentuser=Ann", u"user2.left=5"}},
      {[&] { Call("setValue", {u"left", u"7"}); },
       {u"2", u"user2=Bob", u"user1=Ann", u"currentuser=Ann", u"user2.left=5", u"user1.left=7"}},
      {[&] { SetPropValue(*prefs, "userCount", Variant(std::int32_t{5})); },  // ignored
       {u"2", u"user2=Bob", u"user1=Ann", u"currentuser=Ann", u"user2.left=5", u"user1.left=7"}},
      {[&] { Call("addUser", {u"Ann"}); },  // listed again under a new number
       {u"3", u"user3=Ann", u"user2=Bob", u"user1=Ann", u"currentuser=Ann", u"user2.left=5", u"user1.left=7"}},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    steps[i].call();
    EXPECT_EQ(Entries(), steps[i].lines) << "after step " << i;
  }
  EXPECT_EQ(Call("users", {std::int32_t{0}}).AsWideString(), u"Ann");
  EXPECT_EQ(Call("users", {std::int32_t{1}}).AsWideString(), u"Bob");
  EXPECT_EQ(Call("users", {std::int32_t{3}}).AsWideString(), u"");
  EXPECT_EQ(GetPropValue(*prefs, "userCount").AsInteger(), 3);
  EXPECT_EQ(Call("getValue", {u"left"}).AsWideString(), u"7");  // the lowest number of that name
  EXPECT_EQ(prefs->Users(std::numeric_limits<std::int32_t>::max()), u"");
}

TEST_F(PreferencesTest, BooleanValuesAreFourExactTexts) {
  const struct {
    const char16_t* value;
    bool expected;
  } cases[] = {{u"1", true},      {u"true", true}, {u"-1", true},   {u"on", true},    {u"TRUE", false},
               {u"On", false},    {u"0", false},   {u"yes", false}, {u"", false},     {u" 1", false}};
  for (const auto& c : cases) {
    prefs->SetValue(u"flag", c.value);
    EXPECT_EQ(prefs->GetBoolValue(u"flag"), c.expected) << Utf16ToUtf8(c.value);
  }
}

TEST_F(PreferencesTest, NumbersThatAreNoNumbersAreReportedAndKeepTheDefault) {
  const struct {
    const char16_t* value;
    std::int32_t integer;
    bool intReported;
    float number;  // with a default of -2
  } cases[] = {
      {u"", 0, false, -2.0f},         {u"42", 42, false, 42.0f},       {u" -7 ", -7, false, -7.0f},
      {u"0.5", 0, true, 0.5f},        {u"loud", 0, true, -2.0f},       {u"99999999999", 0, true, 99999999999.0f},
      {u"NAN", 0, true, -2.0f},       {u"1e39", 0, true, -2.0f},       {u"\u0661", 0, true, -2.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.value));
    prefs->SetValue(u"soundvolume", c.value);
    world.log.Clear();
    EXPECT_EQ(prefs->GetIntValue(u"soundvolume"), c.integer);
    EXPECT_EQ(world.log.CountError("Preference soundvolume is not a number: " + Utf16ToUtf8(c.value)),
              c.intReported ? 1 : 0);
    world.log.Clear();
    EXPECT_EQ(prefs->GetFloatValue(u"soundvolume", -2.0f), c.number);
    const bool floatReported = c.number == -2.0f && c.value[0] != 0;
    EXPECT_EQ(world.log.CountError("Preference soundvolume is not a number: " + Utf16ToUtf8(c.value)),
              floatReported ? 1 : 0);
  }
  EXPECT_FALSE(prefs->HasValue(u"musicvolume"));
  EXPECT_EQ(prefs->GetFloatValue(u"musicvolume", 0.75f), 0.75f);
}

TEST_F(PreferencesTest, RenamingKeepsTheNumberAndTheCurrentUser) {
  prefs->AddUser(u"Ann");
  prefs->SetValue(u"left", u"10");
  world.log.Clear();
  prefs->RenameUser(u"Ann", u"Anna");
  EXPECT_EQ(world.log.CountInfo("ok! user name chaged from Ann to Anna"), 1);
  EXPECT_EQ(Entries(), (Lines{u"1", u"user1=Anna", u"currentuser=Ann", u"user1.left=10"}));
  EXPECT_EQ(prefs->UserName(), u"Ann");
  EXPECT_EQ(prefs->GetValue(u"left"), u"10");  // Ann is not found: user 1 all the same
  prefs->SetUser(u"Anna");
  EXPECT_EQ(prefs->GetValue(u"left"), u"10");

  world.log.Clear();
  prefs->RenameUser(u"anna", u"X");  // user names match exactly
  prefs->RenameUser(u"Anna", u"");   // an empty name keeps the user's line
  EXPECT_EQ(Entries(), (Lines{u"1", u"user1=", u"currentuser=Anna", u"user1.left=10"}));
  EXPECT_EQ(world.log.Lines().size(), 1u);
}

// Deleting a user removes its lines and moves every later user down one
// number, so that no user is left beyond the count.
TEST_F(PreferencesTest, DeletingAUserRenumbersTheLaterOnes) {
  const Lines three = {u"3",          u"user3=Cid",  u"user2=Bob",   u"user1=Ann",    u"currentuser=Bob",
                       u"user1.a=1",  u"user2.a=2",  u"USER3.a=3",   u"user2.b=22",   u"user4.a=stray"};
  const struct {
    const char16_t* name;
    Lines lines;
  } cases[] = {
      {u"Bob",
       {u"2", u"user2=Cid", u"user1=Ann", u"currentuser=Bob", u"user1.a=1", u"USER2.a=3", u"user4.a=stray"}},
      {u"Ann",
       {u"2", u"user2=Cid", u"user1=Bob", u"currentuser=Bob", u"user1.a=2", u"USER2.a=3", u"user1.b=22",
        u"user4.a=stray"}},
      {u"Cid",
       {u"2", u"user2=Bob", u"user1=Ann", u"currentuser=Bob", u"user1.a=1", u"user2.a=2", u"user2.b=22",
        u"user4.a=stray"}},
      {u"Dan", three},
      {u"bob", three},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.name));
    SetEntries(three);
    Call("deleteUser", {std::u16string(c.name)});
    EXPECT_EQ(Entries(), c.lines);
  }

  // Every remaining user is reachable by position and keeps its settings.
  SetEntries(three);
  prefs->DeleteUser(u"Ann");
  EXPECT_EQ(prefs->Users(0), u"Bob");
  EXPECT_EQ(prefs->Users(1), u"Cid");
  prefs->SetUser(u"Cid");
  EXPECT_EQ(prefs->GetValue(u"a"), u"3");
  // A new user takes the freed top number with no settings of its own.
  prefs->AddUser(u"Eve");
  EXPECT_EQ(prefs->GetUserIndex(u"Eve"), 3);
  EXPECT_EQ(prefs->GetValue(u"a"), u"");
}

TEST_F(PreferencesTest, DeletingUserOneLeavesUsersTenAndUpWhole) {
  SetEntries({u"0"});
  for (int i = 1; i <= 11; ++i) {
    prefs->AddUser(u"p" + IntToStr(i));
    prefs->SetValue(u"level", IntToStr(i));
  }
  prefs->DeleteUser(u"p1");
  EXPECT_EQ(prefs->GetUserCount(), 10);
  for (int k = 0; k < 10; ++k) {
    const std::u16string name = u"p" + IntToStr(k + 2);
    EXPECT_EQ(prefs->Users(k), name);
    prefs->SetUser(name);
    EXPECT_EQ(prefs->GetValue(u"level"), IntToStr(k + 2)) << k;
  }
}

TEST_F(PreferencesTest, AStoreThatIsNoStoreIsLeftAlone) {
  const Lines broken = {u"many", u"user1=Ann"};
  SetEntries(broken);
  prefs->AddUser(u"Bob");
  prefs->DeleteUser(u"Ann");
  EXPECT_EQ(Entries(), broken);
  EXPECT_EQ(prefs->GetUserCount(), 0);

  // A huge stored count costs nothing: users are found among the lines.
  SetEntries({u"2000000000", u"user2000000000=Zed", u"user1=Ann"});
  EXPECT_EQ(prefs->GetUserIndex(u"Zed"), 2000000000);
  prefs->DeleteUser(u"Ann");
  EXPECT_EQ(Entries(), (Lines{u"1999999999", u"user1999999999=Zed"}));

  SetEntries({u"2147483647"});
  prefs->AddUser(u"Bob");  // no number is left for him
  EXPECT_EQ(Entries(), Lines{u"2147483647"});
  SetEntries({});
  prefs->AddUser(u"Bob");
  prefs->DeleteUser(u"Bob");
  EXPECT_EQ(Entries(), Lines{});
}

// What would come back from the file as other lines is refused with a
// line, the store left as it was: a line break in a key, a value or a
// user's name, and a key with "=" (never found again, a new line each set).
TEST_F(PreferencesTest, WhatTheFileCannotHoldAsOneLineIsRefused) {
  prefs->AddUser(u"Ann");
  prefs->SetValue(u"left", u"10");
  const Lines before = Entries();
  const struct {
    std::function<void()> call;
    const char* error;
  } cases[] = {
      {[&] { prefs->SetValue(u"note", u"one\r\nuser1.left=99"); },
       "Preference note not set: its value holds a line break"},
      {[&] { prefs->SetValue(u"note", u"one\ntwo"); }, "Preference note not set: its value holds a line break"},
      {[&] { prefs->SetValue(u"left", std::u16string(u"a\0b", 3)); },
       "Preference left not set: its value holds a line break"},
      {[&] { prefs->SetValue(u"a\u2028b", u"1"); }, "Preference not set: its key holds \"=\" or a line break"},
      {[&] { prefs->SetValue(u"a=b", u"1"); }, "Preference not set: its key holds \"=\" or a line break"},
      {[&] { prefs->AddUser(u"Bob\r\n"); }, "User not added: the name holds a line break"},
      {[&] { prefs->RenameUser(u"Ann", u"A\rnn"); }, "User not renamed: the new name holds a line break"},
      {[&] { prefs->SetUser(u"\fAnn"); }, "User not set: the name holds a line break"},
  };
  for (const auto& c : cases) {
    world.log.Clear();
    c.call();
    EXPECT_EQ(Entries(), before) << c.error;
    EXPECT_EQ(world.log.CountError(c.error), 1) << world.log.Text();
  }
  EXPECT_EQ(prefs->UserName(), u"Ann");

  // Nor does the store grow past what its file's reader takes back.
  world.log.Clear();
  const std::u16string large(3000000, u'x');
  for (int i = 0; i < 3; ++i) prefs->SetValue(u"big" + IntToStr(i), large);
  EXPECT_EQ(prefs->GetValue(u"big1"), large);
  EXPECT_EQ(prefs->GetValue(u"big2"), u"");
  EXPECT_EQ(world.log.CountError("Preference big2 not set: its file would pass the 16777216 bytes a list file may "
                                 "hold"),
            1)
      << world.log.Text().substr(0, 2000);
}

TEST_F(PreferencesTest, TheFileIsTheCipheredLinesBesideTheApplet) {
  prefs->AddUser(u"Ann");
  prefs->SetValue(u"left", u"10");
  prefs->SetValue(u"name", u"\u00C5sa \u4E2D");
  Call("store");
  EXPECT_EQ(Decipher(files->Bytes("game.prefs").value_or("")),
            u"1\r\nuser1=Ann\r\ncurrentuser=Ann\r\nuser1.left=10\r\nuser1.name=\u00C5sa \u4E2D\r\n");
  EXPECT_EQ(files->Listing(), "game.prefs;");  // nothing left beside it

  auto* other = Create<Preferences>(TCreateContext(world.applet));
  other->Load();
  EXPECT_EQ(other->UserName(), u"Ann");
  EXPECT_EQ(other->GetValue(u"name"), u"\u00C5sa \u4E2D");
  EXPECT_TRUE(other->Entries().Equals(prefs->Entries()));
}

}  // namespace
}  // namespace corvane
