#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/component.h"
#include "tests/support/capture_log.h"

namespace corvane {

class TRegParent : public TGComponent {
  CORVANE_CLASS(TRegParent, TGComponent)
  using TGComponent::TGComponent;
};
class TFoo : public TRegParent {
  CORVANE_CLASS(TFoo, TRegParent)
  using TRegParent::TRegParent;
};
class TOtherGroupBase : public TGComponent {
  CORVANE_CLASS(TOtherGroupBase, TGComponent)
  using TGComponent::TGComponent;
};
class TOtherGroupChild : public TOtherGroupBase {
  CORVANE_CLASS(TOtherGroupChild, TOtherGroupBase)
  using TOtherGroupBase::TOtherGroupBase;
};
CORVANE_IMPLEMENT_CLASS(TRegParent)
CORVANE_IMPLEMENT_CLASS(TFoo)
CORVANE_IMPLEMENT_CLASS(TOtherGroupBase)
CORVANE_IMPLEMENT_CLASS(TOtherGroupChild)

namespace impostor {
// A different class that happens to share a registered name.
class TFoo : public TGComponent {
  CORVANE_CLASS(TFoo, TGComponent)
  using TGComponent::TGComponent;
};
CORVANE_IMPLEMENT_CLASS(TFoo)
}  // namespace impostor

namespace {

// Every test starts from an empty registry and leaves one behind.
class ClassRegistry : public ::testing::Test {
 protected:
  void SetUp() override { FinalizeClassRegistry(); }
  void TearDown() override { FinalizeClassRegistry(); }
  test::TCaptureLog log;
};

std::vector<std::string> Registered() {
  std::vector<std::string> names;
  if (const auto* list = GlobalClassList())
    for (TClass c : *list) names.push_back(c->Name());
  return names;
}

TEST_F(ClassRegistry, RegisteringWalksAncestorsOnceTowardsTPersistent) {
  EXPECT_EQ(GlobalClassList(), nullptr);
  RegisterClass(TFoo::StaticClass());
  EXPECT_EQ(Registered(), (std::vector<std::string>{"TFoo", "TRegParent", "TGComponent", "TPersistent"}));
  RegisterClass(TFoo::StaticClass());  // again: nothing, not even a log line
  RegisterClass(TOtherGroupChild::StaticClass());
  EXPECT_EQ(Registered(), (std::vector<std::string>{"TFoo", "TRegParent", "TGComponent", "TPersistent",
                                                    "TOtherGroupChild", "TOtherGroupBase"}));
  EXPECT_TRUE(log.Lines().empty()) << log.Text();
}

TEST_F(ClassRegistry, LookupsIgnoreCaseAndFindClassLogsMisses) {
  RegisterClasses({TFoo::StaticClass()});
  EXPECT_EQ(GetClass("tfoo"), TFoo::StaticClass());
  EXPECT_EQ(GetClass("TREGPARENT"), TRegParent::StaticClass());
  EXPECT_EQ(GetClass("Nope"), nullptr);
  EXPECT_TRUE(log.Lines().empty());
  EXPECT_EQ(FindClass("Nope"), nullptr);
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"(i) Class not found Nope"});
}

TEST_F(ClassRegistry, DuplicateNameLogsOnceAndTheFirstWins) {
  RegisterClass(TFoo::StaticClass());
  log.Clear();
  RegisterClass(impostor::TFoo::StaticClass());
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"(i) Duplicate class TFoo"});
  EXPECT_EQ(GetClass("TFoo"), TFoo::StaticClass());
  UnRegisterClass(TFoo::StaticClass());
  EXPECT_EQ(GetClass("TFoo"), impostor::TFoo::StaticClass());
}

TEST_F(ClassRegistry, AliasesAndTheirRemoval) {
  RegisterClass(TFoo::StaticClass());
  RegisterClassAlias(TRegParent::StaticClass(), "Parent");
  EXPECT_EQ(log.CountInfo("Duplicate class TRegParent"), 1);  // appended again, as documented
  EXPECT_EQ(GetClass("parent"), TRegParent::StaticClass());
  RegisterClassAlias(TFoo::StaticClass(), "TRegParent");  // a class of that name comes first
  EXPECT_EQ(GetClass("TRegParent"), TRegParent::StaticClass());
  UnRegisterClass(TRegParent::StaticClass());
  EXPECT_EQ(GetClass("parent"), nullptr);
}

TEST_F(ClassRegistry, GroupsDecideWhatIsVisible) {
  RegisterClasses({TFoo::StaticClass(), TOtherGroupChild::StaticClass()});
  StartClassGroup(TOtherGroupBase::StaticClass());
  GroupDescendentsWith(TOtherGroupBase::StaticClass(), TOtherGroupBase::StaticClass());
  // The other group's classes moved there; the default group stays active.
  EXPECT_EQ(ClassGroupOf(TOtherGroupChild::StaticClass()), TOtherGroupBase::StaticClass());
  EXPECT_EQ(ClassGroupOf(TFoo::StaticClass()), TPersistent::StaticClass());
  // Activating a group keeps every group the class belongs to active, and
  // every class belongs to the TPersistent group.
  EXPECT_EQ(ActivateClassGroup(TOtherGroupBase::StaticClass()), nullptr);
  EXPECT_EQ(GetClass("TFoo"), TFoo::StaticClass());
  EXPECT_EQ(GetClass("TOtherGroupChild"), TOtherGroupChild::StaticClass());
  ActivateClassGroup(TFoo::StaticClass());
  EXPECT_EQ(GetClass("TOtherGroupChild"), nullptr);
  TClassFinder finder(TFoo::StaticClass(), false);
  EXPECT_EQ(finder.GetClass("TFoo"), TFoo::StaticClass());
  EXPECT_EQ(finder.GetClass("TOtherGroupChild"), nullptr);
  EXPECT_EQ(ActivateClassGroup(TPersistent::StaticClass()), TFoo::StaticClass());
  EXPECT_EQ(GetClass("TFoo"), TFoo::StaticClass());
}

TEST_F(ClassRegistry, IntegerConstantsAndIdentMaps) {
  static const TIdentMapEntry map[] = {{1, "clRed"}, {2, "clBlue"}};
  std::int32_t v = 0;
  EXPECT_TRUE(IdentToInt("CLBLUE", v, map));
  EXPECT_EQ(v, 2);
  EXPECT_FALSE(IdentToInt("clGreen", v, map));
  std::string name;
  EXPECT_TRUE(IntToIdent(1, name, map));
  EXPECT_EQ(name, "clRed");

  const TTypeInfo* type = TTypeInfoOf<std::int32_t>::Get();
  EXPECT_EQ(FindIdentToInt(type), nullptr);
  TIdentToInt first = [](std::string_view, std::int32_t& out) { out = 1; return true; };
  TIdentToInt second = [](std::string_view, std::int32_t& out) { out = 2; return true; };
  RegisterIntegerConsts(type, first, nullptr);
  RegisterIntegerConsts(type, second, nullptr);
  EXPECT_EQ(FindIdentToInt(type), second);  // the last registered answers
  UnRegisterIntegerConsts(type, second, nullptr);
  EXPECT_EQ(FindIdentToInt(type), first);
  UnRegisterIntegerConsts(type, first, nullptr);
  EXPECT_EQ(FindIdentToInt(type), nullptr);
}

TGComponent* gKnownA = nullptr;
TGComponent* gKnownB = nullptr;

TEST_F(ClassRegistry, GlobalFindersAskTheLastRegisteredFirst) {
  TFindGlobalComponent findA = [](std::string_view n) { return n == "x" ? gKnownA : nullptr; };
  TFindGlobalComponent findB = [](std::string_view n) { return n == "x" || n == "y" ? gKnownB : nullptr; };
  TGComponent a(TCreateContext{}), b(TCreateContext{});
  gKnownA = &a;
  gKnownB = &b;
  EXPECT_EQ(FindGlobalComponent("x"), nullptr);
  EXPECT_TRUE(IsUniqueGlobalComponentName("x"));
  RegisterFindGlobalComponentProc(findA);
  RegisterFindGlobalComponentProc(findB);
  RegisterFindGlobalComponentProc(findA);  // already there: not added twice
  EXPECT_EQ(FindGlobalComponent("x"), &b);
  EXPECT_FALSE(IsUniqueGlobalComponentName("y"));
  UnRegisterFindGlobalComponentProc(findB);
  EXPECT_EQ(FindGlobalComponent("x"), &a);
  EXPECT_EQ(FindGlobalComponent("y"), nullptr);
}

TEST_F(ClassRegistry, GlobalLoadingNestsAndSkipsLoadedComponents) {
  TGComponent a(TCreateContext{}), b(TCreateContext{}), c(TCreateContext{});
  EXPECT_EQ(GlobalLoaded(), nullptr);
  BeginGlobalLoading();
  GlobalLoaded()->push_back(&a);
  GlobalLoaded()->push_back(&b);
  b.IncludeState(csLoadingProps);  // still reading its own properties
  BeginGlobalLoading();
  GlobalLoaded()->push_back(&c);
  NotifyGlobalLoading();
  EXPECT_TRUE(c.IsLoaded());
  EndGlobalLoading();
  NotifyGlobalLoading();
  EXPECT_TRUE(a.IsLoaded());
  EXPECT_FALSE(b.IsLoaded());
  EndGlobalLoading();
  EXPECT_EQ(GlobalLoaded(), nullptr);
}

}  // namespace
}  // namespace corvane
