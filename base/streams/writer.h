// TGWriter: writes the binary object stream. As a plain buffered output it
// also serves the text converter. Output goes through one buffer; the
// stream is complete once the writer is flushed or destroyed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/reflection/type_info.h"
#include "base/streams/filer.h"
#include "base/streams/value_type.h"

namespace corvane {

class TCollection;
class TPersistent;
class TPropInfo;
class Variant;

class TGWriter : public TGFiler {
  CORVANE_CLASS(TGWriter, TGFiler)
  using TFindAncestorEvent =
      std::function<void(TGWriter&, TGComponent* component, const std::string& name, TPersistent*& ancestor,
                         TGComponent*& rootAncestor)>;
  using TFindMethodNameEvent = std::function<void(TGWriter&, const TMethod& method, std::string& name)>;

  explicit TGWriter(TStream& stream, int bufferSize = 4096);
  ~TGWriter() override;

  // Raw output.
  void Write(const void* buffer, std::int64_t count);
  std::int64_t GetPosition();
  void SetPosition(std::int64_t position);
  void FlushBuffer() override;

  // Values.
  void WriteValue(TValueType value) { WriteByte(static_cast<std::uint8_t>(value)); }
  // The smallest of vaInt8, vaInt16, vaInt32, then vaInt64.
  void WriteInteger(std::int64_t value);
  void WriteSingle(float value);
  void WriteDouble(double value);
  void WriteCurrency(TCurrency value);
  void WriteDate(TDateTime value);
  void WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  // "False", "True", "Null", "nil" (without case) become their tags.
  void WriteIdent(std::string_view ident);
  // One length byte (at most 255) and the bytes.
  void WriteStr(std::string_view text);
  void WritePropName(std::string_view name);
  // The string rule: 8-bit text is Latin-1; ASCII goes as vaString or
  // vaLString, other text as vaUTF8String; wide text that UTF-8 would not
  // shorten stays vaWString.
  void WriteString(std::string_view text);
  void WriteWideString(std::u16string_view text);
  void WriteChar(char c) { WriteString(std::string_view(&c, 1)); }
  void WriteWideChar(char16_t c) { WriteWideString(std::u16string_view(&c, 1)); }
  void WriteBinary(const TStreamProc& writeData);
  void WriteBinary(const void* data, std::int64_t count);
  void WritePrefix(TGFilerFlags flags, std::int32_t childPos);
  void WriteSignature() { Write(kObjectSignature, 4); }
  // Arrays and objects cannot be represented: "Write error 1", nothing written.
  void WriteVariant(const Variant& value);
  // Whether WriteVariant can represent the value (checked before a
  // property's name is written, so an unrepresentable value leaves no trace).
  static bool CanWriteVariant(const Variant& value);

  // Components.
  void WriteDescendent(TGComponent* root, TGComponent* ancestor);
  void WriteRootComponent(TGComponent* root) { WriteDescendent(root, nullptr); }
  void WriteComponent(TGComponent* component);
  virtual void WriteData(TGComponent* component);
  void WriteProperties(TPersistent* instance);
  void WriteCollection(TCollection* collection);
  void AddAncestor(TGComponent* component) { ancestorList_->push_back(component); }
  virtual std::string FindMethodName(const TMethod& method);

  void DefineProperty(const std::string& name, const TReaderProc& readData, const TWriterProc& writeData,
                      bool hasData) override;
  void DefineBinaryProperty(const std::string& name, const TStreamProc& readData, const TStreamProc& writeData,
                            bool hasData) override;
  void SetRoot(TGComponent* root) override;

  TFindAncestorEvent OnFindAncestor;
  TFindMethodNameEvent OnFindMethodName;

 private:
  void WriteByte(std::uint8_t b) {
    if (bufPos_ == static_cast<int>(buffer_.size())) FlushBuffer();
    buffer_[static_cast<std::size_t>(bufPos_++)] = b;
  }
  void WriteLE(const void* value, int size);
  void WriteProperty(TPersistent* instance, const TPropInfo& prop);
  void WriteObjectProperty(TPersistent* instance, const TPropInfo& prop);
  bool Corresponds(TObject* ancestorValue, TGComponent* value) const;
  bool IsDefaultPropertyValue(TPersistent* instance, const TPropInfo& prop);
  std::string ReferenceName(TGComponent* component);

  TGComponent* rootAncestor_ = nullptr;
  std::string propPath_;
  std::vector<TGComponent*>* ancestorList_ = nullptr;
  int ancestorPos_ = 0;
  int childPos_ = 0;
  int nesting_ = 0;  // sub-objects being written inside each other
};

// Whether two collections hold the same items: same class, same count and
// the same bytes when each is written with its owner as root.
bool CollectionsEqual(TCollection* c1, TCollection* c2, TGComponent* owner1, TGComponent* owner2);

}  // namespace corvane
