#include <gtest/gtest.h>

#include "base/reflection/class_builder.h"
#include "base/reflection/component.h"
#include "base/reflection/exceptions.h"
#include "base/reflection/prop_access.h"
#include "base/reflection/variant.h"
#include "tests/support/capture_log.h"

namespace corvane {

CORVANE_ENUM(TShade, shLight, shMedium, shDark);
using TShades = TSet<TShade>;

class TReflectBase : public TGComponent {
  CORVANE_CLASS(TReflectBase, TGComponent)
  static void Describe(TClassBuilder<TReflectBase>& c);
  using TGComponent::TGComponent;

  float Speed() const { return speed_; }
  void SetSpeed(float v) { speed_ = v; ++speedWrites; }
  void Bump() { ++count_; }
  int speedWrites = 0;

  std::int32_t count_ = 0;
  float speed_ = 1.0f;
  std::u16string caption_;
  TShade shade_ = shMedium;
  TShades shades_;
  bool visible_ = true;
};

class TReflectDerived : public TReflectBase {
  CORVANE_CLASS(TReflectDerived, TReflectBase)
  static void Describe(TClassBuilder<TReflectDerived>& c);
  using TReflectBase::TReflectBase;

  std::int32_t Add(std::int32_t a, std::int32_t b) { return a + b; }
  std::u16string Greet(const std::u16string& who) const { return u"hello " + who; }
  void Reset() { count_ = 0; }
  void BumpTwice() { count_ += 2; }
  TReflectBase* Link(TReflectBase* other) { link_ = other; return other; }

  std::int64_t big_ = 0;
  std::string code_;
  TReflectBase* link_ = nullptr;
  double ratio_ = 0;
  Variant any_;
};

CORVANE_IMPLEMENT_CLASS(TReflectBase)
CORVANE_IMPLEMENT_CLASS(TReflectDerived)

void TReflectBase::Describe(TClassBuilder<TReflectBase>& c) {
  c.Property("count", &TReflectBase::count_).Default(0);
  c.Property("speed", &TReflectBase::Speed, &TReflectBase::SetSpeed)
      .Stored([](const TReflectBase& o) { return o.speed_ != 1.0f; });
  c.Property("caption", &TReflectBase::caption_);
  c.Property("shade", &TReflectBase::shade_).Default(shMedium);
  c.Property("shades", &TReflectBase::shades_);
  c.Property("visible", &TReflectBase::visible_).Default(true);
  c.Method("bump", &TReflectBase::Bump);
}

void TReflectDerived::Describe(TClassBuilder<TReflectDerived>& c) {
  c.Property("big", &TReflectDerived::big_);
  c.Property("code", &TReflectDerived::code_);
  c.Property("link", &TReflectDerived::link_);
  c.Property("ratio", &TReflectDerived::ratio_);
  c.Property("any", &TReflectDerived::any_);
  c.Property("Tag", &TReflectDerived::Tag).Stored(false);  // republished read only
  c.Method("add", &TReflectDerived::Add);
  c.Method("greet", &TReflectDerived::Greet);
  c.Method("reset", &TReflectDerived::Reset);
  c.Method("link", &TReflectDerived::Link);
  c.Method("Bump", &TReflectDerived::BumpTwice);  // published again, in another case
}

namespace {

std::vector<std::string> Names(TClass cls) {
  std::vector<std::string> names;
  for (const TPropInfo* p : cls->Properties()) names.push_back(p->Name());
  return names;
}

TEST(Reflection, PropertiesListInheritedFirstInDeclarationOrder) {
  EXPECT_EQ(Names(TReflectDerived::StaticClass()),
            (std::vector<std::string>{"Name", "Tag", "count", "speed", "caption", "shade", "shades", "visible",
                                      "big", "code", "link", "ratio", "any"}));
  // The republished Tag keeps its place but is the derived declaration.
  const TPropInfo* tag = TReflectDerived::StaticClass()->FindProperty("TAG");
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->OwnerClass(), TReflectDerived::StaticClass());
  EXPECT_FALSE(tag->CanWrite());
  EXPECT_EQ(TReflectBase::StaticClass()->FindProperty("tag")->OwnerClass(), TGComponent::StaticClass());
}

TEST(Reflection, KindsDefaultsAndStoredRules) {
  const TClass cls = TReflectDerived::StaticClass();
  struct Row {
    const char* name;
    TPropKind kind;
  } rows[] = {{"count", pkInteger}, {"speed", pkFloat}, {"caption", pkWString}, {"shade", pkEnumeration},
              {"shades", pkSet},    {"visible", pkBool}, {"big", pkInt64},       {"code", pkString},
              {"link", pkClass},    {"ratio", pkFloat},  {"any", pkVariant}};
  for (const Row& r : rows) {
    const TPropInfo* p = cls->FindProperty(r.name);
    ASSERT_NE(p, nullptr) << r.name;
    EXPECT_EQ(p->Kind(), r.kind) << r.name;
  }
  EXPECT_EQ(cls->FindProperty("shade")->Default(), shMedium);
  EXPECT_EQ(cls->FindProperty("visible")->Default(), 1);
  EXPECT_EQ(cls->FindProperty("shades")->Default(), kNoDefault);
  EXPECT_EQ(cls->FindProperty("shade")->PropType()->EnumNames(),
            (std::vector<std::string>{"shLight", "shMedium", "shDark"}));
  EXPECT_EQ(cls->FindProperty("link")->PropType()->ClassType(), TReflectBase::StaticClass());

  TReflectDerived* o = Create<TReflectDerived>();
  EXPECT_FALSE(cls->FindProperty("speed")->IsStored(*o));
  o->SetSpeed(2);
  EXPECT_TRUE(cls->FindProperty("speed")->IsStored(*o));
  EXPECT_FALSE(cls->FindProperty("Name")->IsStored(*o));
  o->Free();
}

TEST(Reflection, SetPropValueConvertsAndRejects) {
  test::TCaptureLog log;
  TReflectDerived* o = Create<TReflectDerived>();
  SetPropValue(*o, "COUNT", Variant(u"42"));
  EXPECT_EQ(o->count_, 42);
  SetPropValue(*o, "speed", Variant(3));
  EXPECT_EQ(o->speed_, 3.0f);
  EXPECT_EQ(o->speedWrites, 1);
  SetPropValue(*o, "shade", Variant(u"shDark"));
  EXPECT_EQ(o->shade_, shDark);
  SetPropValue(*o, "shades", Variant(std::string("[shLight,shDark]")));
  EXPECT_EQ(o->shades_, (TShades{shLight, shDark}));
  SetPropValue(*o, "visible", Variant(0));
  EXPECT_FALSE(o->visible_);
  SetPropValue(*o, "caption", Variant(2.5));
  EXPECT_EQ(o->caption_, u"2.5");
  SetPropValue(*o, "code", Variant(u"caf\u00e9\u4e2d"));
  EXPECT_EQ(o->code_, "caf\xe9?");  // Latin-1, "?" above U+00FF

  struct Bad {
    const char* prop;
    Variant value;
  } bad[] = {{"count", Variant(u"twelve")},      {"count", Variant(std::int64_t{1} << 40)},
             {"shade", Variant(u"shPurple")},    {"shade", Variant(7)},
             {"shades", Variant(u"[shNone]")},   {"speed", Variant::Null()}};
  for (const Bad& b : bad) EXPECT_THROW(SetPropValue(*o, b.prop, b.value), EConvertError) << b.prop;
  TGComponent* plain = Create<TGComponent>();
  EXPECT_THROW(SetPropValue(*o, "link", Variant(static_cast<TObject*>(plain))), EConvertError);
  EXPECT_THROW(SetPropValue(*o, "Tag", Variant(1)), EPropertyError);
  EXPECT_THROW(SetPropValue(*o, "nope", Variant(1)), EPropertyError);
  EXPECT_EQ(o->count_, 42);  // failed writes leave the value alone
  plain->Free();
  o->Free();
}

TEST(Reflection, GetPropValueByKind) {
  TReflectDerived* o = Create<TReflectDerived>();
  o->shades_ = {shMedium};
  EXPECT_EQ(GetPropValue(*o, "shade").AsString(), "shMedium");
  EXPECT_EQ(GetPropValue(*o, "shade", false).AsInteger(), 1);
  EXPECT_EQ(GetPropValue(*o, "shades").AsString(), "[shMedium]");
  EXPECT_EQ(GetPropValue(*o, "visible").VarType(), varBoolean);
  EXPECT_EQ(GetPropValue(*o, "speed").VarType(), varSingle);
  o->link_ = o;
  EXPECT_EQ(GetPropValue(*o, "link").AsObject(), o);
  o->Free();
}

TEST(Reflection, MethodsCallByNameWithVariants) {
  TReflectDerived* o = Create<TReflectDerived>();
  const TClass cls = o->ClassType();
  const TMethodInfo* add = cls->FindMethod("ADD");
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add->ParamTypes().size(), 2u);
  EXPECT_EQ(add->ResultType()->Kind(), pkInteger);
  Variant args[] = {Variant(2), Variant(u"40")};
  EXPECT_EQ(add->Invoke(*o, args).AsInteger(), 42);
  // Missing arguments are empty: zero.
  EXPECT_EQ(add->Invoke(*o, std::span(args, 1)).AsInteger(), 2);
  Variant who[] = {Variant(u"world")};
  EXPECT_EQ(cls->FindMethod("greet")->Invoke(*o, who).AsWideString(), u"hello world");
  o->count_ = 5;
  EXPECT_TRUE(cls->FindMethod("reset")->Invoke(*o, {}).IsEmpty());
  EXPECT_EQ(o->count_, 0);
  Variant self[] = {Variant(static_cast<TObject*>(o))};
  EXPECT_EQ(cls->FindMethod("link")->Invoke(*o, self).AsObject(), o);
  Variant wrong[] = {Variant(u"x")};
  EXPECT_THROW(add->Invoke(*o, wrong), EConvertError);
  EXPECT_EQ(cls->FindMethod("nothing"), nullptr);
  // The most derived of a name, whatever its case; the base keeps its own.
  cls->FindMethod("bump")->Invoke(*o, {});
  EXPECT_EQ(o->count_, 2);
  TReflectBase::StaticClass()->FindMethod("BUMP")->Invoke(*o, {});
  EXPECT_EQ(o->count_, 3);
  o->Free();
}

}  // namespace
}  // namespace corvane
