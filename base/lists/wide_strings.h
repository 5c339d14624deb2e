// TWideStrings: the abstract list of UTF-16 texts with an object reference
// per item. Applet parameters, the debug board, class registries, the
// resource list and the preferences and score files are kept in one (see
// TWideStringList for the array implementation).
//
// List errors are reported through the engine log, never raised:
// "list index error" for an index outside the list (the call then touches
// nothing), "sorted list error" and "Doublicate string" as TWideStringList
// says.
//
// Texts compare the engine's way (GOODCompareText: the low byte of each
// unit, ASCII letters without case) unless a list says otherwise.
#pragma once

#include <string>
#include <string_view>

#include "base/reflection/persistent.h"

namespace corvane {

class TGReader;
class TGWriter;
class TStream;
class TStrings;
template <class C>
class TClassBuilder;

// Reports "list index error".
void WideListIndexError();

class TWideStrings : public TSomePersistent {
  CORVANE_CLASS(TWideStrings, TSomePersistent)
  static void Describe(TClassBuilder<TWideStrings>& c);

  TWideStrings() : TSomePersistent(TCreateContext{}) {}
  explicit TWideStrings(const TCreateContext& context) : TSomePersistent(context) {}

  // --- what an implementation provides (the base gives the stated default)
  // 0 in the base.
  virtual int CompareStrings(std::u16string_view a, std::u16string_view b) const;
  // The item's text; "" (after the report) outside the list.
  virtual std::u16string Get(int index) const = 0;
  // The base answers the count.
  virtual int GetCapacity() const;
  virtual int GetCount() const = 0;
  // nullptr in the base.
  virtual TObject* GetObject(int index) const;
  // Every item followed by CR LF, the last one included.
  virtual std::u16string GetTextStr() const;
  // The base deletes the item and inserts the text with the same object.
  virtual void Put(int index, const std::u16string& text);
  // Nothing in the base.
  virtual void PutObject(int index, TObject* object);
  // Ignored in the base.
  virtual void SetCapacity(int capacity);
  // Replaces the items, in one update: a line runs to CR, LF, VT, FF,
  // U+2028 or U+2029 (CR LF is one break) and a NUL ends the text; a break
  // at the very end gives no empty last item.
  virtual void SetTextStr(std::u16string_view text);

  // Add, then the object at the index it went to; that index.
  virtual int AddObject(const std::u16string& text, TObject* object);
  // Every item of the source with its object, in one update (8-bit lines
  // are UTF-8).
  virtual void AddStrings(const TStrings& source);
  virtual void AddStrings(const TWideStrings& source);
  // Swaps two items (texts and objects), in one update.
  virtual void Exchange(int index1, int index2);
  // The first item equal to text (GOODCompareText); -1 when none.
  virtual int IndexOf(std::u16string_view text) const;
  // The first item holding "=" whose part before it equals name
  // (GOODCompareText); -1 when none.
  virtual int IndexOfName(std::u16string_view name) const;
  // 0 .. count (count appends); the item goes in with no object.
  virtual void Insert(int index, const std::u16string& text) = 0;
  // The marked file form. A file that cannot be read, or has no mark,
  // leaves the list as it was; false then.
  virtual bool LoadFromFile(const std::string& fileName);
  virtual bool LoadFromStream(TStream& stream);
  // The ciphered form, from the position to the end.
  virtual bool LoadFromStreamEncrypt(TStream& stream);
  // Takes the item (with its object) out and puts it in at newIndex, in one
  // update; both must lie in the list.
  virtual void Move(int curIndex, int newIndex);
  // Replaces the file whole or leaves it untouched; false, with an error
  // line, when it was not replaced.
  virtual bool SaveToFile(const std::string& fileName) const;
  // False when the stream took less than everything.
  virtual bool SaveToStream(TStream& stream) const;
  virtual bool SaveToStreamEncrypt(TStream& stream) const;
  // SetTextStr of a zero-terminated text (nullptr: empty).
  virtual void SetText(const char16_t* text);
  // Nothing in the base.
  virtual void Sort();
  // Insert at the end; the index the text went to.
  virtual int Add(const std::u16string& text);
  virtual void Delete(int index) = 0;
  // Nothing in the base.
  virtual void Clear();

  // --- built on the above
  int Count() const { return GetCount(); }
  void Append(const std::u16string& text) { Add(text); }
  void InsertObject(int index, const std::u16string& text, TObject* object);
  int IndexOfObject(const TObject* object) const;
  std::u16string Items(int index) const { return Get(index); }
  std::u16string Strings(int index) const { return Get(index); }
  void SetItem(int index, const std::u16string& text) { Put(index, text); }
  TObject* Objects(int index) const { return GetObject(index); }

  // Same count and every item equal, case counting.
  bool Equals(const TWideStrings& other) const;

  // Name=value items, split at the first "=".
  // The part before the first "="; "" when the item holds none.
  std::u16string GetName(int index) const;
  // The whole rest after "name=" of the item named name; "" when absent.
  std::u16string getValue(std::u16string_view name) const;
  // A value: replaces the named item's value (adds "name=value" when there
  // is none). An empty value deletes the named item.
  void setValue(std::u16string_view name, std::u16string_view value);
  // The whole rest after the item's first "="; "" when it holds none or
  // the index is negative.
  std::u16string GetValueFromIndex(int index) const;
  // A value: the item becomes its name, "=" and the value (a negative index
  // adds a new item). An empty value deletes the item.
  void SetValueFromIndex(int index, std::u16string_view value);

  // Items joined by ","; an item holding a character at or below U+0020, a
  // double quote or a comma is quoted, inner quotes doubled.
  std::u16string GetCommaText() const;
  // Replaces the items, in one update: blanks and commas separate items; a
  // quoted item is read whole (a doubled quote stands for one).
  void SetCommaText(std::u16string_view text);

  // Nested; only the outermost pair reaches SetUpdateState.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  bool CaseSensitive() const { return caseSensitive_; }
  // A sorted list keeps its order: sorting never considers case.
  void SetCaseSensitive(bool value) { caseSensitive_ = value; }
  bool Sorted() const { return sorted_; }
  // Switching it on sorts the list first.
  void SetSorted(bool value);

  // From a TWideStrings or a TStrings: the items with their objects (the
  // list assigned to itself stays as it is).
  void Assign(const TPersistent* source) override;
  // The items travel as the extra property "strings".
  void NewDefineProperties(TGFiler& filer) override;

 protected:
  void AssignTo(TPersistent* dest) const override;
  // Nothing in the base.
  virtual void SetUpdateState(bool updating);
  void ReadData(TGReader& reader);
  void WriteData(TGWriter& writer) const;

  // Keeps one update open for its scope.
  class TUpdateScope {
   public:
    explicit TUpdateScope(TWideStrings& list) : list_(list) { list_.BeginUpdate(); }
    ~TUpdateScope() { list_.EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

   private:
    TWideStrings& list_;
  };

 private:
  int updateCount_ = 0;
  bool caseSensitive_ = false;
  bool sorted_ = false;
};

}  // namespace corvane
