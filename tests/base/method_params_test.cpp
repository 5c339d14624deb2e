// Published methods with what plain values cannot carry: var parameters,
// records (nested too), fixed and open arrays, untyped pointers, and
// methods adapted by a function that takes the object first.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/geometry/geometry_records.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/component.h"
#include "base/reflection/exceptions.h"
#include "base/reflection/variant.h"

namespace corvane {

// A record with a Boolean, a colour and a nested record.
struct TProbe {
  bool On = false;
  std::uint32_t Colour = 0;
  TSpaceVector At;
};

template <>
struct TRecordOf<TProbe> {
  static constexpr const char* kName = "TProbe";
  static constexpr auto kFields = std::make_tuple(
      RecordField("On", &TProbe::On), RecordField("Colour", &TProbe::Colour), RecordField("At", &TProbe::At));
};

class TParamHost : public TGComponent {
  CORVANE_CLASS(TParamHost, TGComponent)
  static void Describe(TClassBuilder<TParamHost>& c);
  using TGComponent::TGComponent;

  // Splits at the first blank: the head and the length of the rest.
  bool Split(const std::u16string& text, std::u16string& head, std::int32_t& rest) {
    const auto blank = text.find(u' ');
    if (blank == std::u16string::npos) return false;
    head = text.substr(0, blank);
    rest = static_cast<std::int32_t>(text.size() - blank - 1);
    return true;
  }
  void Mid(const TSpaceVector& a, const TSpaceVector& b, TSpaceVector& mid) {
    for (int i = 0; i < 4; ++i) mid[i] = (a[i] + b[i]) / 2;
  }
  TSpaceMatrix Scaled(float s) {
    TSpaceMatrix m = IdentitySpaceMatrix;
    m[0].x = m[1].y = m[2].z = s;
    return m;
  }
  float Trace(const TSpaceMatrix& m) { return m[0].x + m[1].y + m[2].z + m[3].w; }
  TProbe Brighter(const TProbe& probe) {
    TProbe result = probe;
    result.Colour |= 0xFF000000;
    result.At.w = 1;
    return result;
  }
  // Hands out the store; what the pointer held on entry is kept in seen.
  bool Lock(std::int32_t count, void*& data) {
    seen = data;
    if (count < 0 || count > static_cast<std::int32_t>(store.size())) return false;
    data = store.data();
    return true;
  }
  // Clears the variable, as the destroy operations of the device do.
  void Release(TParamHost*& slot) {
    released = slot;
    slot = nullptr;
  }
  // Changes its var parameter, then fails.
  void Fail(std::int32_t& value) {
    value = 99;
    throw EConvertError("failed on purpose");
  }
  float Sum(const std::vector<TSpaceVector>& points, std::int32_t count) {
    float sum = 0;
    for (std::int32_t i = 0; i < count; ++i) sum += points[static_cast<std::size_t>(i)].x;
    return sum;
  }

  std::array<std::uint8_t, 16> store{};
  void* seen = nullptr;
  TParamHost* released = nullptr;
};

CORVANE_IMPLEMENT_CLASS(TParamHost)

void TParamHost::Describe(TClassBuilder<TParamHost>& c) {
  c.Method("split", &TParamHost::Split);
  c.Method("mid", &TParamHost::Mid);
  c.Method("scaled", &TParamHost::Scaled);
  c.Method("trace", &TParamHost::Trace);
  c.Method("brighter", &TParamHost::Brighter);
  c.Method("lock", &TParamHost::Lock);
  c.Method("release", &TParamHost::Release);
  c.Method("fail", &TParamHost::Fail);
  // The adapter keeps Count within the points given.
  c.Method("sum", [](TParamHost& host, const std::vector<TSpaceVector>& points, std::int32_t count) {
    if (count < 0 || static_cast<std::size_t>(count) > points.size()) throw EConvertError("count beyond the points");
    return host.Sum(points, count);
  });
}

namespace {

Variant Vec(float x, float y, float z, float w) {
  return Variant(std::vector<Variant>{Variant(x), Variant(y), Variant(z), Variant(w)});
}

std::vector<float> Floats(const Variant& v) {
  std::vector<float> values;
  for (const Variant& item : v.AsArray()) values.push_back(static_cast<float>(item.AsDouble()));
  return values;
}

class MethodParams : public ::testing::Test {
 protected:
  void SetUp() override { host = Create<TParamHost>(); }
  void TearDown() override { host->Free(); }
  const TMethodInfo& Method(const char* name) const {
    const TMethodInfo* method = TParamHost::StaticClass()->FindMethod(name);
    if (!method) throw std::logic_error(std::string("no method ") + name);
    return *method;
  }
  TParamHost* host = nullptr;
};

TEST_F(MethodParams, DescriptionsTellVarParametersAndTheNewKinds) {
  struct TCase {
    const char* method;
    std::vector<bool> var;
    std::vector<TPropKind> kinds;
  };
  const TCase cases[] = {
      {"split", {false, true, true}, {pkWString, pkWString, pkInteger}},
      {"mid", {false, false, true}, {pkRecord, pkRecord, pkRecord}},
      {"trace", {false}, {pkArray}},
      {"lock", {false, true}, {pkInteger, pkPointer}},
      {"release", {true}, {pkClass}},
      {"sum", {false, false}, {pkArray, pkInteger}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.method);
    const TMethodInfo& m = Method(c.method);
    ASSERT_EQ(m.ParamTypes().size(), c.kinds.size());
    for (std::size_t i = 0; i < c.kinds.size(); ++i) {
      EXPECT_EQ(m.IsVarParam(i), c.var[i]) << i;
      EXPECT_EQ(m.ParamTypes()[i]->Kind(), c.kinds[i]) << i;
    }
    EXPECT_FALSE(m.IsVarParam(c.kinds.size()));
  }

  const TTypeInfo& probe = *Method("brighter").ResultType();
  EXPECT_EQ(probe.Name(), "TProbe");
  ASSERT_EQ(probe.Fields().size(), 3u);
  EXPECT_EQ(probe.Fields()[0].Name, "On");
  EXPECT_EQ(probe.Fields()[0].Type->Kind(), pkBool);
  EXPECT_EQ(probe.Fields()[1].Type->Name(), "Cardinal");
  EXPECT_EQ(probe.Fields()[2].Type->Name(), "TSpaceVector");
  EXPECT_EQ(probe.Fields()[2].Type->Fields().size(), 4u);

  const TTypeInfo& matrix = *Method("scaled").ResultType();
  EXPECT_EQ(matrix.Name(), "TSpaceMatrix");
  EXPECT_EQ(matrix.ElementCount(), 4);
  EXPECT_EQ(matrix.CompType()->Name(), "TSpaceVector");
  const TTypeInfo& points = *Method("sum").ParamTypes()[0];
  EXPECT_EQ(points.Name(), "array of TSpaceVector");
  EXPECT_EQ(points.ElementCount(), -1);
  EXPECT_EQ((TTypeInfoOf<std::array<float, 3>>::Get()->Name()), "array[0..2] of Single");
  EXPECT_EQ(Method("lock").ParamTypes()[1]->Name(), "Pointer");
}

TEST_F(MethodParams, InvokeVarWritesBackOnlyTheVarParameters) {
  Variant args[] = {Variant(u"hello big world"), Variant(u"old"), Variant(0)};
  EXPECT_TRUE(Method("split").InvokeVar(*host, args).AsBoolean());
  EXPECT_EQ(args[0].AsWideString(), u"hello big world");
  EXPECT_EQ(args[1].AsWideString(), u"hello");
  EXPECT_EQ(args[2].AsInteger(), 9);
  EXPECT_EQ(args[2].VarType(), varInteger);

  // A var parameter keeps its value when the method leaves it alone.
  Variant none[] = {Variant(u"single"), Variant(u"kept"), Variant(7)};
  EXPECT_FALSE(Method("split").InvokeVar(*host, none).AsBoolean());
  EXPECT_EQ(none[1].AsWideString(), u"kept");
  EXPECT_EQ(none[2].AsInteger(), 7);

  // Invoke calls the same way and drops what the var parameters hold.
  const Variant constant[] = {Variant(u"a b"), Variant(u"old"), Variant(0)};
  EXPECT_TRUE(Method("split").Invoke(*host, constant).AsBoolean());
  EXPECT_EQ(constant[1].AsWideString(), u"old");

  // A var parameter past the end of the array starts empty and is dropped.
  Variant shortArgs[] = {Variant(u"a bc"), Variant()};
  EXPECT_TRUE(Method("split").InvokeVar(*host, shortArgs).AsBoolean());
  EXPECT_EQ(shortArgs[1].AsWideString(), u"a");

  // Nothing is written back when the call throws.
  Variant failing[] = {Variant(5)};
  EXPECT_THROW(Method("fail").InvokeVar(*host, failing), EConvertError);
  EXPECT_EQ(failing[0].AsInteger(), 5);
}

TEST_F(MethodParams, AnObjectVarParameterComesBackCleared) {
  TParamHost* other = Create<TParamHost>();
  Variant slot[] = {Variant(static_cast<TObject*>(other))};
  Method("release").InvokeVar(*host, slot);
  EXPECT_EQ(host->released, other);
  EXPECT_EQ(slot[0].VarType(), varObject);
  EXPECT_EQ(slot[0].AsObject(), nullptr);
  // An object of another class is refused before the call.
  Variant wrong[] = {Variant(static_cast<TObject*>(Create<TGComponent>()))};
  TObject* stray = wrong[0].AsObject();
  EXPECT_THROW(Method("release").InvokeVar(*host, wrong), EConvertError);
  EXPECT_EQ(wrong[0].AsObject(), stray);
  stray->Free();
  other->Free();
}

TEST_F(MethodParams, RecordsAndArraysTravelAsVariantArrays) {
  Variant args[] = {Vec(0, 0, 0, 1), Vec(2, 4, 6, 1), Variant()};
  Method("mid").InvokeVar(*host, args);
  EXPECT_EQ(Floats(args[2]), (std::vector<float>{1, 2, 3, 1}));
  EXPECT_EQ(args[2].AsArray()[0].VarType(), varSingle);

  // A matrix is an array of rows, in and out.
  const Variant two[] = {Variant(2.0f)};
  const Variant scaled = Method("scaled").Invoke(*host, two);
  ASSERT_EQ(scaled.AsArray().size(), 4u);
  EXPECT_EQ(Floats(scaled.AsArray()[1]), (std::vector<float>{0, 2, 0, 0}));
  EXPECT_EQ(Floats(scaled.AsArray()[3]), (std::vector<float>{0, 0, 0, 1}));
  const Variant back[] = {scaled};
  EXPECT_FLOAT_EQ(static_cast<float>(Method("trace").Invoke(*host, back).AsDouble()), 7.0f);

  // Nested records, field by field in declaration order; text converts as
  // it does for any parameter.
  const Variant probe[] = {Variant(std::vector<Variant>{Variant(true), Variant(u"255"), Vec(1, 2, 3, 0)})};
  const Variant brighter = Method("brighter").Invoke(*host, probe);
  ASSERT_EQ(brighter.AsArray().size(), 3u);
  EXPECT_TRUE(brighter.AsArray()[0].AsBoolean());
  EXPECT_EQ(brighter.AsArray()[1].AsInt64(), 0xFF0000FFLL);
  EXPECT_EQ(brighter.AsArray()[1].VarType(), varLongWord);
  EXPECT_EQ(Floats(brighter.AsArray()[2]), (std::vector<float>{1, 2, 3, 1}));

  // An empty argument is the zero record.
  Variant empty[] = {Variant(), Variant(), Variant()};
  Method("mid").InvokeVar(*host, empty);
  EXPECT_EQ(Floats(empty[2]), (std::vector<float>{0, 0, 0, 0}));

  // An open array takes any length; the adapter keeps Count inside it.
  const Variant points = Variant(std::vector<Variant>{Vec(1, 0, 0, 1), Vec(2, 0, 0, 1), Vec(4, 0, 0, 1)});
  const Variant sum[] = {points, Variant(3)};
  EXPECT_FLOAT_EQ(static_cast<float>(Method("sum").Invoke(*host, sum).AsDouble()), 7.0f);
  const Variant none[] = {Variant(std::vector<Variant>{}), Variant(0)};
  EXPECT_FLOAT_EQ(static_cast<float>(Method("sum").Invoke(*host, none).AsDouble()), 0.0f);
  const Variant beyond[] = {points, Variant(4)};
  EXPECT_THROW(Method("sum").Invoke(*host, beyond), EConvertError);
}

TEST_F(MethodParams, ValuesOfTheWrongShapeAreRefused) {
  const Variant vector3 = Variant(std::vector<Variant>{Variant(1), Variant(2), Variant(3)});
  const std::vector<Variant> cases = {
      Variant(1.5),         // a number for a record
      Variant(u"1,2,3,4"),  // text is no array
      vector3,              // one value short
      Variant(std::vector<Variant>{Variant(1), Variant(2), Variant(3), Variant(4), Variant(5)}),
      Variant(std::vector<Variant>{Variant(1), Variant(u"two"), Variant(3), Variant(4)}),
      Variant(std::vector<Variant>{Variant(1), vector3, Variant(3), Variant(4)}),  // an array for a number
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    Variant args[] = {cases[i], Vec(0, 0, 0, 0), Variant(u"untouched")};
    EXPECT_THROW(Method("mid").InvokeVar(*host, args), EConvertError);
    EXPECT_EQ(args[2].AsWideString(), u"untouched");
  }
  // A matrix needs four rows of four.
  const Variant rows3[] = {Variant(std::vector<Variant>{Vec(1, 0, 0, 0), Vec(0, 1, 0, 0), Vec(0, 0, 1, 0)})};
  EXPECT_THROW(Method("trace").Invoke(*host, rows3), EConvertError);
  const Variant flat[] = {Variant(std::vector<Variant>(16, Variant(1)))};
  EXPECT_THROW(Method("trace").Invoke(*host, flat), EConvertError);
}

TEST_F(MethodParams, APointerGoesOutAsItsAddressAndNeverComesBackIn) {
  Variant args[] = {Variant(4), Variant()};
  EXPECT_TRUE(Method("lock").InvokeVar(*host, args).AsBoolean());
  EXPECT_EQ(args[1].VarType(), varUInt64);
  EXPECT_EQ(args[1].AsUInt64(), reinterpret_cast<std::uintptr_t>(host->store.data()));

  // Handing the address (or any number) back gives the method null.
  host->seen = &args;
  EXPECT_TRUE(Method("lock").InvokeVar(*host, args).AsBoolean());
  EXPECT_EQ(host->seen, nullptr);
  Variant forged[] = {Variant(-1), Variant(std::uint64_t{0x1000})};
  EXPECT_FALSE(Method("lock").InvokeVar(*host, forged).AsBoolean());
  EXPECT_EQ(host->seen, nullptr);
  // A refused lock hands back the null it was given.
  EXPECT_EQ(forged[1].AsUInt64(), 0u);
}

}  // namespace
}  // namespace corvane
