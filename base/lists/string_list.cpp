#include "base/lists/string_list.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "base/lists/list.h"
#include "base/lists/quoted_items.h"
#include "base/reflection/class_builder.h"
#include "base/streams/file_stream.h"
#include "base/streams/stream.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TStrings)
CORVANE_IMPLEMENT_CLASS(TStringList)

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Calls line(view) for every line of the text: CR, LF and CR LF end a
// line, and a text that ends with a break has no empty last line.
template <class F>
void ForEachLine(std::string_view text, F&& line) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      line(text.substr(pos));
      break;
    }
    line(text.substr(pos, end - pos));
    pos = end + 1;
    if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
  }
}

void SortedListError() { EngineError(u"Operation not allowed on sorted list"); }

}  // namespace

// ---- TStrings --------------------------------------------------------------

int TStrings::AddObject(const std::string& text, TObject* object) {
  const int index = Count();
  InsertObject(index, text, object);
  return index;
}

void TStrings::AddStrings(const TStrings& source) {
  const int count = source.Count();  // fixed first: source may be this list
  BeginUpdate();
  for (int i = 0; i < count; ++i) AddObject(source.Get(i), source.GetObject(i));
  EndUpdate();
}

void TStrings::Exchange(int index1, int index2) {
  if (index1 < 0 || index1 >= Count()) return ListIndexError(index1);
  if (index2 < 0 || index2 >= Count()) return ListIndexError(index2);
  BeginUpdate();
  const std::string text = Get(index1);
  TObject* object = GetObject(index1);
  Put(index1, Get(index2));
  PutObject(index1, GetObject(index2));
  Put(index2, text);
  PutObject(index2, object);
  EndUpdate();
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex < 0 || curIndex >= Count()) return ListIndexError(curIndex);
  if (newIndex < 0 || newIndex >= Count()) return ListIndexError(newIndex);
  if (curIndex == newIndex) return;
  BeginUpdate();
  const std::string text = Get(curIndex);
  TObject* object = GetObject(curIndex);
  Delete(curIndex);
  InsertObject(newIndex, text, object);
  EndUpdate();
}

int TStrings::IndexOf(std::string_view text) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (CompareStrings(Get(i), text) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(std::string_view name) const {
  for (int i = 0, n = Count(); i < n; ++i) {
    const std::string line = Get(i);
    const std::size_t at = line.find(nameValueSeparator_);
    if (at != std::string::npos && CompareStrings(std::string_view(line).substr(0, at), name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* object) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (GetObject(i) == object) return i;
  return -1;
}

std::string TStrings::Names(int index) const {
  const std::string line = Get(index);
  const std::size_t at = line.find(nameValueSeparator_);
  return at == std::string::npos ? std::string() : line.substr(0, at);
}

std::string TStrings::Values(std::string_view name) const {
  const int index = IndexOfName(name);
  return index < 0 ? std::string() : ValueFromIndex(index);
}

void TStrings::SetValue(std::string_view name, std::string_view value) {
  const int index = IndexOfName(name);
  if (value.empty()) {
    if (index >= 0) Delete(index);
    return;
  }
  std::string line(name);
  line += nameValueSeparator_;
  line += value;
  if (index >= 0) Put(index, line);
  else Add(line);
}

std::string TStrings::ValueFromIndex(int index) const {
  const std::string line = Get(index);
  const std::size_t at = line.find(nameValueSeparator_);
  return at == std::string::npos ? std::string() : line.substr(at + 1);
}

std::string TStrings::Text() const {
  std::string text;
  for (int i = 0, n = Count(); i < n; ++i) {
    if (i > 0) text += '\n';
    text += Get(i);
  }
  return text;
}

void TStrings::SetText(std::string_view text) {
  BeginUpdate();
  Clear();
  ForEachLine(text, [this](std::string_view line) { Add(std::string(line)); });
  EndUpdate();
}

std::string TStrings::DelimitedText() const { return JoinDelimited(delimiter_, quoteChar_); }

void TStrings::SetDelimitedText(std::string_view text) { SplitDelimited(text, delimiter_, quoteChar_); }

std::string TStrings::CommaText() const { return JoinDelimited(',', '"'); }

void TStrings::SetCommaText(std::string_view text) { SplitDelimited(text, ',', '"'); }

std::string TStrings::JoinDelimited(char delimiter, char quoteChar) const {
  const int count = Count();
  if (count == 1 && Get(0).empty()) return std::string(2, quoteChar);
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += delimiter;
    AppendQuotedItem<char>(text, Get(i), delimiter, quoteChar);
  }
  return text;
}

void TStrings::SplitDelimited(std::string_view text, char delimiter, char quoteChar) {
  text = text.substr(0, text.find('\0'));  // the text ends at a NUL as it always did
  BeginUpdate();
  Clear();
  SplitQuotedItems(text, delimiter, quoteChar, /*emptyAfterTrailingDelimiter=*/true,
                   [this](std::string item) { Add(item); });
  EndUpdate();
}

bool TStrings::LoadFromStream(TStream& stream, std::int64_t maxBytes) {
  // Read to the end rather than trusting Size(): what the stream really
  // delivers is what becomes the text, up to one byte past the limit.
  std::string text;
  char buffer[64 * 1024];
  for (;;) {
    const auto room = static_cast<std::int64_t>(sizeof buffer);
    const std::int64_t got = stream.Read(buffer, std::min(room, maxBytes + 1 - static_cast<std::int64_t>(text.size())));
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  const std::string path = FilePathOf(stream);
  const std::u16string in = path.empty() ? u"" : u" in " + Utf8ToUtf16(path);
  if (static_cast<std::int64_t>(text.size()) > maxBytes) {
    EngineError(u"Text too large for a list (more than " + IntToStr(maxBytes) + u" bytes)" + in);
    return false;
  }
  std::string_view view(text);
  if (view.starts_with(kUtf8Bom)) view.remove_prefix(kUtf8Bom.size());
  std::int64_t lines = 0;
  ForEachLine(view, [&](std::string_view) { ++lines; });
  if (lines > kMaxStringListLines) {
    EngineError(u"Text of too many lines for a list (" + IntToStr(lines) + u", the limit is " +
                IntToStr(kMaxStringListLines) + u")" + in);
    return false;
  }
  BeginUpdate();
  SetText(view);
  EndUpdate();
  return true;
}

bool TStrings::SaveToStream(TStream& stream) const {
  std::string text;
  for (int i = 0, n = Count(); i < n; ++i) {
    text += Get(i);
    text += '\n';
  }
  const auto size = static_cast<std::int64_t>(text.size());
  return size == 0 || stream.Write(text.data(), size) == size;
}

bool TStrings::LoadFromFile(const std::string& path) {
  std::string error;
  std::unique_ptr<TFileStream> file = TFileStream::Open(path, fmOpenRead | fmShareDenyNone, &error);
  if (!file) {
    EngineError(Utf8ToUtf16("Cannot open file \"" + path + "\". " + error));
    return false;
  }
  return LoadFromStream(*file);
}

bool TStrings::SaveToFile(const std::string& path) const {
  return SaveFileAtomicallyOrReport(path, [this](TStream& file) { return SaveToStream(file); });
}

void TStrings::BeginUpdate() {
  // The state changes while the count is still 0, so that the list's
  // "about to change" event still fires.
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  if (updateCount_ == 0) return;  // unbalanced: nothing to end
  if (--updateCount_ == 0) SetUpdateState(false);
}

int TStrings::CompareStrings(std::string_view a, std::string_view b) const {
  if (caseSensitive_) {
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(AsciiUpper(a[i]));
    const auto cb = static_cast<unsigned char>(AsciiUpper(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

void TStrings::Assign(const TPersistent* source) {
  if (const auto* strings = dynamic_cast<const TStrings*>(source)) {
    if (strings == this) return;  // clearing first would lose the lines
    BeginUpdate();
    Clear();
    AddStrings(*strings);
    EndUpdate();
    return;
  }
  TPersistent::Assign(source);
}

// ---- TStringList -----------------------------------------------------------

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (ownsObjects_) {
    std::vector<TItem> items;
    items.swap(items_);
    for (TItem& item : items)
      if (item.Object) item.Object->Free();
  }
}

std::string TStringList::Get(int index) const {
  if (!Valid(index)) {
    ListIndexError(index);
    return {};
  }
  return items_[static_cast<std::size_t>(index)].Text;
}

TObject* TStringList::GetObject(int index) const {
  if (!Valid(index)) {
    ListIndexError(index);
    return nullptr;
  }
  return items_[static_cast<std::size_t>(index)].Object;
}

bool TStringList::RefuseOnSorted() const {
  if (sorted_) SortedListError();
  return sorted_;
}

void TStringList::Put(int index, const std::string& text) {
  if (RefuseOnSorted()) return;
  if (!Valid(index)) return ListIndexError(index);
  Changing();
  if (Valid(index)) items_[static_cast<std::size_t>(index)].Text = text;  // a handler may have changed the list
  Changed();
}

void TStringList::PutObject(int index, TObject* object) {
  if (!Valid(index)) return ListIndexError(index);
  Changing();
  if (Valid(index)) items_[static_cast<std::size_t>(index)].Object = object;
  Changed();
}

void TStringList::InsertObject(int index, const std::string& text, TObject* object) {
  if (RefuseOnSorted()) return;
  if (index < 0 || index > Count()) return ListIndexError(index);
  InsertItem(index, text, object);
}

void TStringList::InsertItem(int index, const std::string& text, TObject* object) {
  Changing();
  index = std::min(index, Count());
  items_.insert(items_.begin() + index, TItem{text, object});
  Changed();
}

void TStringList::Delete(int index) {
  if (!Valid(index)) return ListIndexError(index);
  Changing();
  if (Valid(index)) {
    TObject* object = items_[static_cast<std::size_t>(index)].Object;
    items_.erase(items_.begin() + index);
    if (ownsObjects_ && object) object->Free();
  }
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  std::vector<TItem> items;
  items.swap(items_);
  if (ownsObjects_)
    for (TItem& item : items)
      if (item.Object) item.Object->Free();
  Changed();
}

int TStringList::AddObject(const std::string& text, TObject* object) {
  int index = Count();
  if (sorted_ && Find(text, index)) {
    switch (duplicates_) {
      case dupIgnore:
        return index;
      case dupError:
        EngineError(u"String list does not allow duplicates");
        return -1;
      case dupAccept:
        break;
    }
  }
  InsertItem(index, text, object);
  return index;
}

void TStringList::Exchange(int index1, int index2) {
  if (RefuseOnSorted()) return;
  if (!Valid(index1)) return ListIndexError(index1);
  if (!Valid(index2)) return ListIndexError(index2);
  Changing();
  if (Valid(index1) && Valid(index2))
    std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
  Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
  if (RefuseOnSorted()) return;
  if (!Valid(curIndex)) return ListIndexError(curIndex);
  if (!Valid(newIndex)) return ListIndexError(newIndex);
  if (curIndex == newIndex) return;
  Changing();
  if (Valid(curIndex) && Valid(newIndex)) {
    // Moved whole, so an owned object is never freed on the way.
    const auto first = items_.begin();
    if (curIndex < newIndex) std::rotate(first + curIndex, first + curIndex + 1, first + newIndex + 1);
    else std::rotate(first + newIndex, first + curIndex, first + curIndex + 1);
  }
  Changed();
}

int TStringList::IndexOf(std::string_view text) const {
  if (!sorted_) return TStrings::IndexOf(text);
  int index = 0;
  return Find(text, index) ? index : -1;
}

bool TStringList::Find(std::string_view text, int& index) const {
  int low = 0, high = Count() - 1;
  bool found = false;
  while (low <= high) {
    const int middle = low + (high - low) / 2;
    const int c = CompareStrings(items_[static_cast<std::size_t>(middle)].Text, text);
    if (c < 0) {
      low = middle + 1;
    } else {
      high = middle - 1;
      if (c == 0) found = true;
    }
  }
  index = low;
  return found;
}

void TStringList::Sort() {
  CustomSort([](const TStringList& list, int a, int b) {
    return list.CompareStrings(list.items_[static_cast<std::size_t>(a)].Text,
                               list.items_[static_cast<std::size_t>(b)].Text);
  });
}

void TStringList::CustomSort(const TCompare& compare) {
  if (sorted_ || Count() < 2 || !compare) return;
  Changing();
  const std::size_t count = items_.size();
  // The comparison sees the list unchanged, by its own indexes; the order is
  // applied afterwards.
  std::vector<int> order(count);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
  if (items_.size() == count) {
    std::vector<TItem> sorted;
    sorted.reserve(count);
    for (int i : order) sorted.push_back(std::move(items_[static_cast<std::size_t>(i)]));
    items_.swap(sorted);
  }
  Changed();
}

void TStringList::SetSorted(bool value) {
  if (value == sorted_) return;
  if (value) Sort();
  sorted_ = value;
}

void TStringList::SetCaseSensitive(bool value) {
  if (value == CaseSensitive()) return;
  TStrings::SetCaseSensitive(value);
  if (sorted_) {
    sorted_ = false;
    Sort();
    sorted_ = true;
  }
}

void TStringList::SetUpdateState(bool updating) {
  if (updating) Changing();
  else Changed();
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

// ---- ExtractStrings --------------------------------------------------------

int ExtractStrings(std::string_view separators, std::string_view whiteSpace, std::string_view content,
                   TStrings* strings) {
  content = content.substr(0, content.find('\0'));
  if (content.empty() || !strings) return 0;
  const std::size_t size = content.size();
  auto isWhite = [&](char c) { return c == '\r' || c == '\n' || whiteSpace.find(c) != std::string_view::npos; };
  auto isSeparator = [&](char c) { return c == '\r' || c == '\n' || separators.find(c) != std::string_view::npos; };
  auto isQuote = [](char c) { return c == '\'' || c == '"'; };

  int result = 0;
  char quote = 0;  // the quote of the open stretch, 0 outside one
  std::size_t tail = 0;
  strings->BeginUpdate();
  for (;;) {
    while (tail < size && isWhite(content[tail])) ++tail;
    const std::size_t head = tail;
    while (tail < size) {
      const char c = content[tail];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (isQuote(c)) {
        quote = c;
      } else if (isSeparator(c)) {
        break;
      }
      ++tail;
    }
    if (tail > head) {
      strings->Add(std::string(content.substr(head, tail - head)));
      ++result;
    }
    if (tail >= size) break;
    ++tail;  // the separator
  }
  strings->EndUpdate();
  return result;
}

}  // namespace corvane
