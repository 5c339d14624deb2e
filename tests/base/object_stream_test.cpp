// The binary object stream end to end: objects written and read back through
// the reflection layer, byte for byte.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "base/lists/collection.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/component.h"
#include "base/streams/fixups.h"
#include "base/streams/reader.h"
#include "base/streams/writer.h"
#include "tests/base/streaming_test_base.h"

namespace corvane {

CORVANE_ENUM(TStreamColour, scRed, scGreen, scBlue);

class TTestObj : public TGComponent {
  CORVANE_CLASS(TTestObj, TGComponent)
  static void Describe(TClassBuilder<TTestObj>& c) {
    c.Property("I", &TTestObj::I).Default(0);
    c.Property("F", &TTestObj::F);
    c.Property("S", &TTestObj::S);
    c.Property("R", &TTestObj::R);
  }
  using TGComponent::TGComponent;
  std::int32_t I = 0;
  float F = 0;
  std::u16string S;
  TGComponent* R = nullptr;
};

// A key of a collection.
class TKeyItem : public TCollectionItem {
  CORVANE_CLASS(TKeyItem, TCollectionItem)
  static void Describe(TClassBuilder<TKeyItem>& c) {
    c.Property("frame", &TKeyItem::frame).Default(0);
    c.Property("value", &TKeyItem::value);
  }
  using TCollectionItem::TCollectionItem;
  std::int32_t frame = 0;
  float value = 0;
};

// A nested persistent without a setter, as coordinates are.
class TVec : public TSomePersistent {
  CORVANE_CLASS(TVec, TSomePersistent)
  static void Describe(TClassBuilder<TVec>& c) {
    c.Property("x", &TVec::x);
    c.Property("y", &TVec::y);
  }
  using TSomePersistent::TSomePersistent;
  float x = 0, y = 0;
};

// Every kind the reflection layer publishes, with children.
class TKitchenSink : public TGComponent {
  CORVANE_CLASS(TKitchenSink, TGComponent)
  static void Describe(TClassBuilder<TKitchenSink>& c) {
    c.Property("i8", &TKitchenSink::i8).Default(0);
    c.Property("i32", &TKitchenSink::i32).Default(100);
    c.Property("big", &TKitchenSink::big);
    c.Property("flag", &TKitchenSink::flag).Default(false);
    c.Property("colour", &TKitchenSink::colour).Default(scRed);
    c.Property("colours", &TKitchenSink::colours).Default(TSet<TStreamColour>{});
    c.Property("ch", &TKitchenSink::ch);
    c.Property("wch", &TKitchenSink::wch);
    c.Property("ratio", &TKitchenSink::ratio);
    c.Property("scale", &TKitchenSink::scale).Stored([](const TKitchenSink& o) { return o.scale != 1.0f; });
    c.Property("money", &TKitchenSink::money);
    c.Property("when", &TKitchenSink::when);
    c.Property("code", &TKitchenSink::code);
    c.Property("text", &TKitchenSink::text);
    c.Property("any", &TKitchenSink::any);
    c.Property("pos", &TKitchenSink::GetPos);  // read only, nested
    c.Property("keys", &TKitchenSink::GetKeys);
    c.Property("buddy", &TKitchenSink::buddy);
    c.Property("onClick", &TKitchenSink::onClick);
    c.Method("Clicked", &TKitchenSink::Clicked);
  }
  explicit TKitchenSink(const TCreateContext& context)
      : TGComponent(context), pos(new TVec(this)), keys(new TCollection(TKeyItem::StaticClass(), this)) {}
  ~TKitchenSink() override {
    delete pos;
    keys->Free();
  }
  void GetChildren(const TGetChildProc& proc, TGComponent*) override {
    for (TGComponent* c : ComponentList()) proc(c);
  }
  TVec* GetPos() const { return pos; }
  TCollection* GetKeys() const { return keys; }
  void Clicked() {}

  std::int8_t i8 = 0;
  std::int32_t i32 = 100;
  std::int64_t big = 0;
  bool flag = false;
  TStreamColour colour = scRed;
  TSet<TStreamColour> colours;
  char ch = 0;
  char16_t wch = 0;
  double ratio = 0;
  float scale = 1.0f;
  TCurrency money;
  TDateTime when;
  std::string code;
  std::u16string text;
  Variant any;
  TVec* pos;
  TCollection* keys;
  TGComponent* buddy = nullptr;
  TMethod onClick;
};

// A setter that refuses odd values.
class TPicky : public TGComponent {
  CORVANE_CLASS(TPicky, TGComponent)
  static void Describe(TClassBuilder<TPicky>& c) {
    c.Property("Even", &TPicky::even, &TPicky::SetEven);
    c.Property("F", &TPicky::F);
  }
  using TGComponent::TGComponent;
  void SetEven(std::int32_t value) {
    if (value % 2 != 0) throw std::invalid_argument("odd value refused");
    even = value;
  }
  std::int32_t even = 0;
  float F = 0;
};

CORVANE_IMPLEMENT_CLASS(TTestObj)
CORVANE_IMPLEMENT_CLASS(TPicky)
CORVANE_IMPLEMENT_CLASS(TKeyItem)
CORVANE_IMPLEMENT_CLASS(TVec)
CORVANE_IMPLEMENT_CLASS(TKitchenSink)

namespace {

class ObjectStream : public test::TStreamingTest {
 protected:
  void SetUp() override { Register({TTestObj::StaticClass(), TKitchenSink::StaticClass()}); }
};

// A root record written by hand: its properties between the header and the ends.
std::string HandMade(const char* cls, const char* name, const std::function<void(TGWriter&)>& properties) {
  TMemoryStream out;
  {
    TGWriter w(out);
    w.WriteSignature();
    w.WriteStr(cls);
    w.WriteStr(name);
    properties(w);
    w.WriteListEnd();
    w.WriteListEnd();
  }
  return std::string(out.Memory(), static_cast<std::size_t>(out.Size()));
}

constexpr const char* kGolden =
    "4b5646300854546573744f626a04526f6f740149032c0101460f0000c03f01531405000000636166c3a9015207054f776e65720000";

TEST_F(ObjectStream, GoldenBytesOfASmallObject) {
  TTestObj* root = Create<TTestObj>();
  root->SetName(u"Root");
  root->I = 300;
  root->F = 1.5f;
  root->S = u"caf\u00e9";
  root->R = root;
  const std::string bytes = test::WriteComponentBytes(root);
  EXPECT_EQ(test::Hex(bytes), kGolden);

  // Written back the same, every value was read; the reference is to the copy.
  TTestObj* back = ReadBack<TTestObj>(bytes);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(test::WriteComponentBytes(back), bytes);
  EXPECT_EQ(back->R, back);
  EXPECT_TRUE(back->IsLoaded());
  EXPECT_FALSE(back->HasState(csLoading));
  EXPECT_TRUE(log.Lines().empty()) << log.Text();
  back->Free();
  root->Free();
}

TEST_F(ObjectStream, EveryKindRoundTripsAndRewritesIdentically) {
  TKitchenSink* root = Create<TKitchenSink>();
  root->SetName(u"Sink");
  TKitchenSink* child = Create<TKitchenSink>(TCreateContext(root));
  child->SetName(u"Child");
  root->i8 = -5;
  root->i32 = 40000;
  root->big = std::int64_t{1} << 40;
  root->flag = true;
  root->colour = scBlue;
  root->colours = {scRed, scBlue};
  root->ch = 'x';
  root->wch = u'\u4e2d';
  root->ratio = 0.25;
  root->scale = 0.0f;  // differs from its real default 1: must survive
  root->money = TCurrency{15000};
  root->when = TDateTime{2.5};
  root->code = "abc";
  root->text = u"\u4e2d\u6587";
  root->any = Variant(std::int32_t{7});
  root->pos->x = 3;
  root->keys->Add();
  static_cast<TKeyItem*>(root->keys->Add())->frame = 30;
  static_cast<TKeyItem*>(root->keys->Items(1))->value = 2.5f;
  root->buddy = child;
  root->onClick = TMethod{root, root->ClassType()->FindMethod("Clicked")};
  child->i32 = 100;  // the default: not written

  const std::string bytes = test::WriteComponentBytes(root);
  TKitchenSink* back = ReadBack<TKitchenSink>(bytes);
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(log.Lines().empty()) << log.Text();
  EXPECT_EQ(back->i8, -5);
  EXPECT_EQ(back->i32, 40000);
  EXPECT_EQ(back->big, std::int64_t{1} << 40);
  EXPECT_TRUE(back->flag);
  EXPECT_EQ(back->colour, scBlue);
  EXPECT_EQ(back->colours, (TSet<TStreamColour>{scRed, scBlue}));
  EXPECT_EQ(back->ch, 'x');
  EXPECT_EQ(back->wch, u'\u4e2d');
  EXPECT_EQ(back->ratio, 0.25);
  EXPECT_EQ(back->scale, 0.0f);
  EXPECT_EQ(back->money.Value, 15000);
  EXPECT_EQ(back->when.Value, 2.5);
  EXPECT_EQ(back->code, "abc");
  EXPECT_EQ(back->text, u"\u4e2d\u6587");
  EXPECT_EQ(back->any, Variant::OfInteger(varShortInt, 7));  // the smallest tag comes back
  EXPECT_EQ(back->pos->x, 3.0f);
  ASSERT_EQ(back->keys->Count(), 2);
  EXPECT_EQ(static_cast<TKeyItem*>(back->keys->Items(1))->frame, 30);
  EXPECT_EQ(static_cast<TKeyItem*>(back->keys->Items(1))->value, 2.5f);
  ASSERT_EQ(back->ComponentCount(), 1);
  EXPECT_EQ(back->buddy, back->Components(0));
  EXPECT_EQ(static_cast<TKitchenSink*>(back->Components(0))->i32, 100);
  EXPECT_EQ(back->onClick.Data, back);
  ASSERT_NE(back->onClick.Code, nullptr);
  EXPECT_EQ(back->onClick.Code->Name(), "Clicked");
  EXPECT_EQ(test::WriteComponentBytes(back), bytes);
  back->Free();
  root->Free();
}

TEST_F(ObjectStream, WriterDefaultsAndStringRule) {
  struct Row {
    std::u16string text;
    const char* bytes;  // the value after the "text" name
  } rows[] = {
      {u"abc", "0603616263"},
      {u"\u00e9", "1201000000e900"},          // UTF-8 would not be shorter: UTF-16
      {u"caf\u00e9", "1405000000636166c3a9"},  // shorter as UTF-8
      {u"\u4e2d", "1201000000" "2d4e"},
      {std::u16string(300, u'a'), nullptr},     // vaLString
  };
  for (const Row& r : rows) {
    TKitchenSink* o = Create<TKitchenSink>();
    o->text = r.text;
    const std::string hex = test::Hex(test::WriteComponentBytes(o));
    const std::string name = test::Hex(std::string("\x04text", 5));
    const auto at = hex.find(name);
    ASSERT_NE(at, std::string::npos);
    if (r.bytes) EXPECT_EQ(hex.substr(at + name.size(), std::string(r.bytes).size()), r.bytes);
    else EXPECT_EQ(hex.substr(at + name.size(), 10), "0c2c010000");
    o->Free();
  }

  // Integer widths.
  struct Width {
    std::int64_t value;
    const char* bytes;
  } widths[] = {{127, "027f"}, {128, "038000"}, {-129, "037fff"}, {40000, "04409c0000"},
                {std::int64_t{1} << 31, "130000008000000000"}};
  for (const Width& w : widths) {
    TKitchenSink* o = Create<TKitchenSink>();
    o->big = w.value;
    const std::string hex = test::Hex(test::WriteComponentBytes(o));
    const std::string name = test::Hex(std::string("\x03" "big", 4));
    EXPECT_NE(hex.find(name + w.bytes), std::string::npos) << w.value;
    o->Free();
  }
}

TEST_F(ObjectStream, ReferencesResolveAfterTheWholeTree) {
  // "first" refers to "second", which comes later in the stream; "second"
  // refers to the root through "Owner"; "third" names nothing.
  TKitchenSink* root = Create<TKitchenSink>();
  root->SetName(u"Root");
  auto* first = Create<TKitchenSink>(TCreateContext(root));
  first->SetName(u"first");
  auto* second = Create<TKitchenSink>(TCreateContext(root));
  second->SetName(u"second");
  first->buddy = second;
  second->buddy = root;
  const std::string bytes = test::WriteComponentBytes(root);
  root->Free();

  TKitchenSink* back = ReadBack<TKitchenSink>(bytes);
  ASSERT_NE(back, nullptr);
  auto* b1 = static_cast<TKitchenSink*>(back->FindComponent(u"first"));
  auto* b2 = static_cast<TKitchenSink*>(back->FindComponent(u"second"));
  EXPECT_EQ(b1->buddy, b2);
  EXPECT_EQ(b2->buddy, back);
  back->Free();
}

TEST_F(ObjectStream, UnresolvedGlobalFixupDiesWithItsObject) {
  // A dotted reference to another root stays pending globally...
  TKitchenSink* probe = Create<TKitchenSink>();
  probe->SetName(u"P");
  TKitchenSink* other = Create<TKitchenSink>();
  other->SetName(u"elsewhere");
  TKitchenSink* deep = Create<TKitchenSink>(TCreateContext(other));
  deep->SetName(u"x");
  probe->buddy = deep;  // written as "elsewhere.x"
  const std::string bytes = test::WriteComponentBytes(probe);
  EXPECT_NE(bytes.find("elsewhere.x"), std::string::npos);
  other->Free();
  probe->Free();

  TKitchenSink* back = ReadBack<TKitchenSink>(bytes);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->buddy, nullptr);
  EXPECT_EQ(GlobalFixupCount(), 1);
  back->Free();  // ...and goes with the object, leaving no dangling pointer
  EXPECT_EQ(GlobalFixupCount(), 0);
  GlobalFixupReferences();
}

TEST_F(ObjectStream, ReadOnlyAndUnknownPropertiesAreReportedAndSkipped) {
  // Hand-made stream: an unknown property, a read-only one, a path through a
  // non-object, then a good property that must still be read.
  TTestObj* back = ReadBack<TTestObj>(HandMade("TTestObj", "T", [](TGWriter& w) {
    w.WriteStr("nope");
    w.WriteWideString(u"whatever");
    w.WriteStr("I.x");
    w.WriteInteger(1);
    w.WriteStr("Name");  // published with a setter: renames
    w.WriteString("N2");
    w.WriteStr("I");
    w.WriteString("five");  // wrong kind: skipped whole
    w.WriteStr("F");
    w.WriteSingle(2.5f);
  }));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->F, 2.5f);
  EXPECT_EQ(back->I, 0);
  EXPECT_EQ(back->Name(), u"N2");
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"(i) Unknown property nope", "(i) SInvalidPropertyPath",
                                                   "(i) invalid property value"}));
  back->Free();
}

TEST_F(ObjectStream, AValueItsSetterRefusesIsReportedAndTheNextPropertyRead) {
  Register({TPicky::StaticClass()});
  TPicky* back = ReadBack<TPicky>(HandMade("TPicky", "P", [](TGWriter& w) {
    w.WriteStr("Even");
    w.WriteInteger(3);
    w.WriteStr("F");
    w.WriteSingle(2.5f);
  }));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->even, 0);
  EXPECT_EQ(back->F, 2.5f);
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"(e) Property Even of TPicky not set: odd value refused"});
  back->Free();
}

TEST_F(ObjectStream, UnknownClassSkipsTheRecordAndReadsTheNextSibling) {
  TKitchenSink* root = Create<TKitchenSink>();
  auto* a = Create<TKitchenSink>(TCreateContext(root));
  a->SetName(u"a");
  auto* b = Create<TTestObj>(TCreateContext(root));
  b->SetName(u"b");
  Create<TKitchenSink>(TCreateContext(b));  // inside the record that goes
  auto* c = Create<TKitchenSink>(TCreateContext(root));
  c->SetName(u"c");
  const std::string bytes = test::WriteComponentBytes(root);
  root->Free();
  UnRegisterClass(TTestObj::StaticClass());

  TKitchenSink* back = ReadBack<TKitchenSink>(bytes);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"(i) Class not found TTestObj"});
  ASSERT_EQ(back->ComponentCount(), 2);
  EXPECT_EQ(back->Components(1)->Name(), u"c");
  back->Free();
}

TEST_F(ObjectStream, EnumerationWithUnknownNameKeepsItsValue) {
  TKitchenSink* o = Create<TKitchenSink>();
  o->colour = scGreen;
  std::string bytes = test::WriteComponentBytes(o);
  o->Free();
  const auto at = bytes.find("scGreen");
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, 7, "scOcher");
  TKitchenSink* back = ReadBack<TKitchenSink>(bytes);
  EXPECT_EQ(back->colour, scRed);  // the constructor's value stays
  EXPECT_EQ(log.CountInfo("invalid property value"), 1);
  EXPECT_EQ(test::WriteComponentBytes(back).find("scOcher"), std::string::npos);
  back->Free();
}

TEST_F(ObjectStream, EveryTruncationEndsWithExactlyOneReadError) {
  TKitchenSink* root = Create<TKitchenSink>();
  root->SetName(u"Root");
  root->text = u"some text";
  root->keys->Add();
  auto* child = Create<TKitchenSink>(TCreateContext(root));
  child->SetName(u"Child");
  child->code = std::string(300, 'z');
  const std::string bytes = test::WriteComponentBytes(root);
  root->Free();
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    log.Clear();
    TGComponent* back = ReadBack<TGComponent>(bytes.substr(0, length));
    int errors = 0;
    for (const std::string& line : log.Lines())
      if (line.rfind("(e) ", 0) == 0) {
        ++errors;
        EXPECT_EQ(line.rfind("(e) ReadError 2 4096TMemoryStream size: ", 0), 0u) << line;
      }
    EXPECT_EQ(errors, 1) << "truncated at " << length << "\n" << log.Text();
    if (back) back->Free();
  }
}

}  // namespace
}  // namespace corvane
