#include "base/lists/wide_strings.h"

#include <memory>

#include "base/lists/quoted_items.h"
#include "base/lists/string_list.h"
#include "base/lists/wide_string_file.h"
#include "base/reflection/class_builder.h"
#include "base/streams/file_stream.h"
#include "base/streams/reader.h"
#include "base/streams/writer.h"
#include "base/system/log_target.h"
#include "base/text/good_text.h"
#include "base/text/text_convert.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TWideStrings)

void WideListIndexError() { EngineError(u"list index error"); }

namespace {

bool IsStringTag(TValueType tag) {
  return tag == vaString || tag == vaLString || tag == vaWString || tag == vaUTF8String;
}

}  // namespace

void TWideStrings::Describe(TClassBuilder<TWideStrings>& c) {
  c.Property("count", &TWideStrings::GetCount).Stored(false);
  c.Property("commaText", &TWideStrings::GetCommaText, &TWideStrings::SetCommaText).Stored(false);
  c.Property("caseSensitive", &TWideStrings::CaseSensitive, &TWideStrings::SetCaseSensitive).Stored(false);
  c.Property("text", &TWideStrings::GetTextStr, &TWideStrings::SetTextStr).Stored(false);
  c.Property("sorted", &TWideStrings::Sorted, &TWideStrings::SetSorted).Stored(false);
  c.Method("items", &TWideStrings::Items);
  c.Method("setItem", &TWideStrings::SetItem);
  c.Method("add", &TWideStrings::Add);
  c.Method("delete", &TWideStrings::Delete);
  c.Method("clear", &TWideStrings::Clear);
}

// ---- defaults of the abstract list -----------------------------------------

int TWideStrings::CompareStrings(std::u16string_view, std::u16string_view) const { return 0; }
int TWideStrings::GetCapacity() const { return GetCount(); }
TObject* TWideStrings::GetObject(int) const { return nullptr; }
void TWideStrings::PutObject(int, TObject*) {}
void TWideStrings::SetCapacity(int) {}
void TWideStrings::SetUpdateState(bool) {}
void TWideStrings::Sort() {}
void TWideStrings::Clear() {}

int TWideStrings::Add(const std::u16string& text) {
  const int index = GetCount();
  Insert(index, text);
  return index;
}

void TWideStrings::Put(int index, const std::u16string& text) {
  if (index < 0 || index >= GetCount()) return WideListIndexError();
  TObject* object = GetObject(index);
  Delete(index);
  InsertObject(index, text, object);
}

int TWideStrings::AddObject(const std::u16string& text, TObject* object) {
  const int index = Add(text);
  PutObject(index, object);
  return index;
}

void TWideStrings::InsertObject(int index, const std::u16string& text, TObject* object) {
  if (index < 0 || index > GetCount()) return WideListIndexError();
  Insert(index, text);
  PutObject(index, object);
}

void TWideStrings::AddStrings(const TStrings& source) {
  TUpdateScope update(*this);
  for (int i = 0, n = source.Count(); i < n; ++i) AddObject(Utf8ToUtf16(source.Get(i)), source.GetObject(i));
}

void TWideStrings::AddStrings(const TWideStrings& source) {
  TUpdateScope update(*this);
  const int count = source.GetCount();  // fixed first: the source may be this list
  for (int i = 0; i < count; ++i) AddObject(source.Get(i), source.GetObject(i));
}

void TWideStrings::Exchange(int index1, int index2) {
  const int count = GetCount();
  bool valid = true;
  for (const int index : {index1, index2}) {
    if (index < 0 || index >= count) {
      WideListIndexError();
      valid = false;
    }
  }
  if (!valid) return;
  TUpdateScope update(*this);
  const std::u16string text = Get(index1);
  TObject* object = GetObject(index1);
  Put(index1, Get(index2));
  PutObject(index1, GetObject(index2));
  Put(index2, text);
  PutObject(index2, object);
}

void TWideStrings::Move(int curIndex, int newIndex) {
  const int count = GetCount();
  if (curIndex < 0 || curIndex >= count || newIndex < 0 || newIndex >= count) return WideListIndexError();
  if (curIndex == newIndex) return;
  TUpdateScope update(*this);
  const std::u16string text = Get(curIndex);
  TObject* object = GetObject(curIndex);
  Delete(curIndex);
  InsertObject(newIndex, text, object);
}

// ---- lookups ---------------------------------------------------------------

int TWideStrings::IndexOf(std::u16string_view text) const {
  for (int i = 0, n = GetCount(); i < n; ++i)
    if (GOODCompareText(Get(i), text) == 0) return i;
  return -1;
}

int TWideStrings::IndexOfName(std::u16string_view name) const {
  for (int i = 0, n = GetCount(); i < n; ++i) {
    const std::u16string item = Get(i);
    const std::size_t at = item.find(u'=');
    if (at != std::u16string::npos && GOODCompareText(std::u16string_view(item).substr(0, at), name) == 0) return i;
  }
  return -1;
}

int TWideStrings::IndexOfObject(const TObject* object) const {
  for (int i = 0, n = GetCount(); i < n; ++i)
    if (GetObject(i) == object) return i;
  return -1;
}

bool TWideStrings::Equals(const TWideStrings& other) const {
  const int count = GetCount();
  if (count != other.GetCount()) return false;
  for (int i = 0; i < count; ++i)
    if (Get(i) != other.Get(i)) return false;
  return true;
}

// ---- name=value items ------------------------------------------------------

std::u16string TWideStrings::GetName(int index) const {
  const std::u16string item = Get(index);
  const std::size_t at = item.find(u'=');
  return at == std::u16string::npos ? std::u16string() : item.substr(0, at);
}

std::u16string TWideStrings::getValue(std::u16string_view name) const {
  const int index = IndexOfName(name);
  return index < 0 ? std::u16string() : GetValueFromIndex(index);
}

void TWideStrings::setValue(std::u16string_view name, std::u16string_view value) {
  int index = IndexOfName(name);
  if (value.empty()) {
    if (index >= 0) Delete(index);
    return;
  }
  if (index < 0) index = Add(std::u16string());
  std::u16string item(name);
  item += u'=';
  item += value;
  Put(index, item);
}

std::u16string TWideStrings::GetValueFromIndex(int index) const {
  if (index < 0) return {};
  const std::u16string item = Get(index);
  // The whole rest: preferences hold values of any length.
  const std::size_t at = item.find(u'=');
  return at == std::u16string::npos ? std::u16string() : item.substr(at + 1);
}

void TWideStrings::SetValueFromIndex(int index, std::u16string_view value) {
  if (value.empty()) {
    if (index >= 0) Delete(index);
    return;
  }
  if (index < 0) index = Add(std::u16string());
  std::u16string item = GetName(index);
  item += u'=';
  item += value;
  Put(index, item);
}

// ---- the text and comma forms ----------------------------------------------

std::u16string TWideStrings::GetTextStr() const {
  std::u16string text;
  for (int i = 0, n = GetCount(); i < n; ++i) {
    text += Get(i);
    text += u"\r\n";
  }
  return text;
}

void TWideStrings::SetTextStr(std::u16string_view text) {
  TUpdateScope update(*this);
  Clear();
  ForEachWideLine(text, [this](std::u16string_view line) { Add(std::u16string(line)); });
}

void TWideStrings::SetText(const char16_t* text) {
  SetTextStr(text ? std::u16string_view(text) : std::u16string_view());
}

std::u16string TWideStrings::GetCommaText() const {
  std::u16string text;
  for (int i = 0, n = GetCount(); i < n; ++i) {
    if (i > 0) text += u',';
    AppendQuotedItem<char16_t>(text, Get(i), u',', u'"');
  }
  return text;
}

void TWideStrings::SetCommaText(std::u16string_view text) {
  TUpdateScope update(*this);
  Clear();
  // A NUL outside quotes ends the text, as in a zero-terminated string.
  SplitQuotedItems(text, u',', u'"', /*emptyAfterTrailingDelimiter=*/false,
                   [this](std::u16string item) { Add(item); });
}

// ---- updates and flags -----------------------------------------------------

void TWideStrings::BeginUpdate() {
  // The state changes while the count is still 0, so that the list's
  // "about to change" event still fires.
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TWideStrings::EndUpdate() {
  if (updateCount_ == 0) return;  // unbalanced: nothing to end
  if (--updateCount_ == 0) SetUpdateState(false);
}

void TWideStrings::SetSorted(bool value) {
  if (sorted_ == value) return;
  if (value) Sort();  // while the flag is still off, so that Sort works
  sorted_ = value;
}

// ---- assignment ------------------------------------------------------------

void TWideStrings::Assign(const TPersistent* source) {
  if (source == this) return;
  if (const auto* wide = dynamic_cast<const TWideStrings*>(source)) {
    TUpdateScope update(*this);
    Clear();
    AddStrings(*wide);
    return;
  }
  if (const auto* narrow = dynamic_cast<const TStrings*>(source)) {
    TUpdateScope update(*this);
    Clear();
    AddStrings(*narrow);
    return;
  }
  TSomePersistent::Assign(source);
}

void TWideStrings::AssignTo(TPersistent* dest) const {
  if (dest == this) return;
  if (auto* narrow = dynamic_cast<TStrings*>(dest)) {
    narrow->BeginUpdate();
    narrow->Clear();
    for (int i = 0, n = GetCount(); i < n; ++i) narrow->AddObject(Utf16ToUtf8(Get(i)), GetObject(i));
    narrow->EndUpdate();
    return;
  }
  if (auto* wide = dynamic_cast<TWideStrings*>(dest)) {
    TUpdateScope update(*wide);
    wide->Clear();
    for (int i = 0, n = GetCount(); i < n; ++i) wide->AddObject(Get(i), GetObject(i));
    return;
  }
  TSomePersistent::AssignTo(dest);
}

// ---- files and streams -----------------------------------------------------

bool TWideStrings::LoadFromFile(const std::string& fileName) {
  // A missing or unreadable file is normal (no preferences yet): the list
  // just stays as it was.
  std::unique_ptr<TFileStream> file = TFileStream::Open(fileName, fmOpenRead | fmShareDenyNone);
  return file && LoadFromStream(*file);
}

bool TWideStrings::LoadFromStream(TStream& stream) {
  TUpdateScope update(*this);
  const std::optional<std::u16string> text = ReadMarkedWideText(stream);
  if (!text) return false;
  SetTextStr(*text);
  return true;
}

bool TWideStrings::LoadFromStreamEncrypt(TStream& stream) {
  TUpdateScope update(*this);
  const std::optional<std::u16string> text = ReadCipheredWideText(stream);
  if (!text) return false;
  SetTextStr(*text);
  return true;
}

bool TWideStrings::SaveToFile(const std::string& fileName) const {
  return SaveFileAtomicallyOrReport(fileName, [this](TStream& file) { return SaveToStream(file); });
}

bool TWideStrings::SaveToStream(TStream& stream) const { return WriteMarkedWideText(stream, GetTextStr()); }

bool TWideStrings::SaveToStreamEncrypt(TStream& stream) const {
  return WriteCipheredWideText(stream, GetTextStr());
}

// ---- object streams --------------------------------------------------------

void TWideStrings::NewDefineProperties(TGFiler& filer) {
  bool hasData = GetCount() > 0;
  if (TPersistent* ancestor = filer.Ancestor()) {
    const auto* list = dynamic_cast<const TWideStrings*>(ancestor);
    hasData = !list || !Equals(*list);
  }
  filer.DefineProperty(
      "strings", [this](TGReader& reader) { ReadData(reader); },
      [this](TGWriter& writer) { WriteData(writer); }, hasData);
}

void TWideStrings::ReadData(TGReader& reader) {
  if (reader.NextValue() != vaList) {
    reader.SkipValue();
    EngineLog(u"invalid property value");
    return;
  }
  TUpdateScope update(*this);
  reader.ReadListBegin();
  Clear();
  while (!reader.EndOfList()) {
    const TValueType tag = reader.NextValue();
    std::u16string item = reader.ReadWideString();  // another kind is reported and skipped
    if (IsStringTag(tag)) Add(item);
  }
  reader.ReadListEnd();
}

void TWideStrings::WriteData(TGWriter& writer) const {
  writer.WriteListBegin();
  for (int i = 0, n = GetCount(); i < n; ++i) writer.WriteWideString(Get(i));
  writer.WriteListEnd();
}

}  // namespace corvane
