// The 8-bit string lists: TStrings, the abstract list of UTF-8 lines with an
// object pointer per line, and TStringList, its array implementation with
// optional sorting and change events. Listings, configuration texts and the
// engine's log list are kept in one.
//
// Index errors are reported as "List index out of bounds (<i>)" through the
// engine log and leave the list untouched.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/reflection/persistent.h"

namespace corvane {

class TStream;

enum TDuplicates : std::uint8_t { dupIgnore, dupAccept, dupError };

// The most text a list reads from a stream: every line costs an item
// (some 40 bytes) however short, so lines are bounded as well as bytes.
inline constexpr std::int64_t kMaxStringListBytes = std::int64_t{16} << 20;
inline constexpr std::int64_t kMaxStringListLines = std::int64_t{1} << 20;

class TStrings : public TPersistent {
  CORVANE_CLASS(TStrings, TPersistent)
  TStrings() = default;
  explicit TStrings(const TCreateContext&) {}

  // What a list implementation provides.
  virtual int Count() const = 0;
  // The line at index; "" (after the report) outside the list.
  virtual std::string Get(int index) const = 0;
  virtual TObject* GetObject(int index) const = 0;
  // Replaces the text of a line; its object stays.
  virtual void Put(int index, const std::string& text) = 0;
  virtual void PutObject(int index, TObject* object) = 0;
  // 0 .. Count (Count appends).
  virtual void InsertObject(int index, const std::string& text, TObject* object) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;

  // Appends (a sorted list puts the line in its place); the line's index,
  // -1 when nothing was added.
  virtual int AddObject(const std::string& text, TObject* object);
  int Add(const std::string& text) { return AddObject(text, nullptr); }
  void Insert(int index, const std::string& text) { InsertObject(index, text, nullptr); }
  // Every line of source with its object, in one update.
  virtual void AddStrings(const TStrings& source);
  virtual void Exchange(int index1, int index2);
  // Takes the line (with its object) out and puts it back at newIndex.
  virtual void Move(int curIndex, int newIndex);

  std::string Strings(int index) const { return Get(index); }
  void SetString(int index, const std::string& text) { Put(index, text); }
  TObject* Objects(int index) const { return GetObject(index); }
  void SetObject(int index, TObject* object) { PutObject(index, object); }

  // Lookups compare through CompareStrings; -1 when nothing matches.
  virtual int IndexOf(std::string_view text) const;
  int IndexOfName(std::string_view name) const;
  int IndexOfObject(const TObject* object) const;

  // Name=Value lines, split at the first separator.
  char NameValueSeparator() const { return nameValueSeparator_; }
  void SetNameValueSeparator(char separator) { nameValueSeparator_ = separator; }
  // The part before the first separator; "" when the line holds none.
  std::string Names(int index) const;
  // The part after the first separator of the line named name; "" when
  // there is no such line.
  std::string Values(std::string_view name) const;
  // Replaces the value of the line named name, adds "name=value" when there
  // is none; an empty value deletes the line.
  void SetValue(std::string_view name, std::string_view value);
  // The part after the first separator; "" when the line holds none.
  std::string ValueFromIndex(int index) const;

  // Lines joined with "\n".
  std::string Text() const;
  // Replaces the lines: the text split at CR LF, LF or CR; a break at the
  // very end gives no empty last line.
  void SetText(std::string_view text);

  // Items joined by the delimiter; an item that is empty (as the only one),
  // or holds a blank or control character, the delimiter or the quote
  // character is quoted, inner quote characters doubled.
  std::string DelimitedText() const;
  // Replaces the lines: items separated by the delimiter or by blanks; a
  // quoted item runs to its closing quote (a doubled quote stands for one).
  void SetDelimitedText(std::string_view text);
  char Delimiter() const { return delimiter_; }
  void SetDelimiter(char delimiter) { delimiter_ = delimiter; }
  char QuoteChar() const { return quoteChar_; }
  void SetQuoteChar(char quote) { quoteChar_ = quote; }
  // DelimitedText with "," and '"'.
  std::string CommaText() const;
  void SetCommaText(std::string_view text);

  // The rest of the stream as text, split into lines (a leading UTF-8
  // byte-order mark is dropped). A text of more than maxBytes bytes or
  // kMaxStringListLines lines is reported and read as nothing: false, the
  // list as it was.
  bool LoadFromStream(TStream& stream, std::int64_t maxBytes = kMaxStringListBytes);
  // Every line followed by "\n"; false when the stream took less.
  bool SaveToStream(TStream& stream) const;
  // False, with an error line, when the file cannot be read (or holds too
  // much text); the list then stays as it was.
  bool LoadFromFile(const std::string& path);
  // Replaces the file whole or leaves it untouched; false, with an error
  // line, when it was not replaced.
  bool SaveToFile(const std::string& path) const;

  // Nested; only the outermost pair reaches SetUpdateState.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  bool CaseSensitive() const { return caseSensitive_; }
  virtual void SetCaseSensitive(bool value) { caseSensitive_ = value; }
  // <0, 0, >0; without CaseSensitive ASCII letters compare without case.
  virtual int CompareStrings(std::string_view a, std::string_view b) const;

  // From another TStrings: within one update, Clear then AddStrings.
  void Assign(const TPersistent* source) override;

 protected:
  virtual void SetUpdateState(bool updating) {}

 private:
  std::string JoinDelimited(char delimiter, char quoteChar) const;
  void SplitDelimited(std::string_view text, char delimiter, char quoteChar);

  int updateCount_ = 0;
  bool caseSensitive_ = false;
  char nameValueSeparator_ = '=';
  char delimiter_ = ',';
  char quoteChar_ = '"';
};

class TStringList : public TStrings {
  CORVANE_CLASS(TStringList, TStrings)
  using TChangeEvent = std::function<void(TObject* sender)>;
  // Compares the lines at two indexes: <0 puts index1 first.
  using TCompare = std::function<int(const TStringList& list, int index1, int index2)>;

  TStringList() = default;
  explicit TStringList(const TCreateContext& context) : TStrings(context) {}
  ~TStringList() override;

  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Get(int index) const override;
  TObject* GetObject(int index) const override;
  // Not on a sorted list ("Operation not allowed on sorted list").
  void Put(int index, const std::string& text) override;
  // The object that was there is not freed, even with OwnsObjects.
  void PutObject(int index, TObject* object) override;
  // Not on a sorted list ("Operation not allowed on sorted list").
  void InsertObject(int index, const std::string& text, TObject* object) override;
  // With OwnsObjects the line's object is freed.
  void Delete(int index) override;
  void Clear() override;
  // Sorted: in its place by Find, duplicates by the policy (dupError
  // reports "String list does not allow duplicates" and adds nothing).
  int AddObject(const std::string& text, TObject* object) override;
  void Exchange(int index1, int index2) override;
  void Move(int curIndex, int newIndex) override;
  int IndexOf(std::string_view text) const override;

  // Binary search of a sorted list: true with the first equal line's index,
  // else false with the index where the text would go.
  bool Find(std::string_view text, int& index) const;
  // Sorts an unsorted list by CompareStrings (equal lines keep their order).
  virtual void Sort();
  // The same with another comparison; a sorted list is left alone.
  virtual void CustomSort(const TCompare& compare);

  bool Sorted() const { return sorted_; }
  // Switching it on sorts the list.
  void SetSorted(bool value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates value) { duplicates_ = value; }
  // A sorted list is sorted again by the new rule.
  void SetCaseSensitive(bool value) override;
  // Whether Delete, Clear and the destructor free the lines' objects.
  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool value) { ownsObjects_ = value; }

  // Called around every change while no update is in progress, and once at
  // the start and the end of the outermost update.
  TChangeEvent OnChange;
  TChangeEvent OnChanging;

 protected:
  void SetUpdateState(bool updating) override;
  virtual void Changing();
  virtual void Changed();

 private:
  struct TItem {
    std::string Text;
    TObject* Object = nullptr;
  };
  bool Valid(int index) const { return index >= 0 && index < Count(); }
  void InsertItem(int index, const std::string& text, TObject* object);
  bool RefuseOnSorted() const;

  std::vector<TItem> items_;
  TDuplicates duplicates_ = dupIgnore;
  bool sorted_ = false;
  bool ownsObjects_ = false;
};

// Splits a text into items and adds them to strings in one update; the
// number added. Characters of whiteSpace, CR and LF are skipped before an
// item; an item runs to a separator, CR, LF or the end (a NUL ends the
// text); a single or double quote opens a stretch, closed by the same
// quote, in which nothing splits. Quotes stay part of the item; empty items
// are not added. No text or no target gives 0.
int ExtractStrings(std::string_view separators, std::string_view whiteSpace, std::string_view content,
                   TStrings* strings);

}  // namespace corvane
