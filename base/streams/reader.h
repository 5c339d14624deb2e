// TGReader: reads the binary object stream, value by value (tags, payloads,
// skipping and copying) and component by component (creating objects and
// assigning their published properties through the reflection layer).
//
// The reader is lenient and safe on hostile input: a value of the wrong kind
// is logged as "invalid property value" and skipped whole; a stream that
// runs dry is reported once ("ReadError 2 ...") and then reads as zero
// bytes, which end every list; lengths are bounded by the bytes left;
// nesting is bounded by kMaxStreamDepth, shared with every other stream
// being read (base/streams/stream_nesting.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/reflection/class_info.h"
#include "base/reflection/type_info.h"
#include "base/streams/filer.h"
#include "base/streams/value_type.h"

namespace corvane {

class TClassFinder;
class TCollection;
class TGWriter;
class TPersistent;
class TPropFixup;
class Variant;

class TGReader : public TGFiler {
  CORVANE_CLASS(TGReader, TGFiler)
  using TFindMethodEvent = std::function<void(TGReader&, const std::string& name, const TMethodInfo*& method,
                                              bool& error)>;
  using TFindMethodInstanceEvent =
      std::function<void(TGReader&, const std::string& name, TMethod& method, bool& error)>;
  using TSetNameEvent = std::function<void(TGReader&, TGComponent* component, std::string& name)>;
  using TReferenceNameEvent = std::function<void(TGReader&, std::string& name)>;
  using TAncestorNotFoundEvent = std::function<void(TGReader&, const std::string& name, TClass cls,
                                                    TGComponent*& component)>;
  using TReaderErrorEvent = std::function<void(TGReader&, const std::string& message, bool& handled)>;
  using TFindComponentClassEvent = std::function<void(TGReader&, const std::string& className, TClass& cls)>;
  using TCreateComponentEvent = std::function<void(TGReader&, TClass cls, TGComponent*& component)>;
  using TFindComponentInstanceEvent = std::function<void(TGReader&, const std::string& name, TGComponent*& instance)>;

  explicit TGReader(TStream& stream, int bufferSize = 4096);
  // Leaves the stream just after the last byte the reader used.
  ~TGReader() override;

  // Buffered input. A request the stream cannot fill is reported once and
  // completed with zero bytes.
  void Read(void* buffer, std::int64_t count);
  void ReadBuffer();
  std::int64_t GetPosition();
  void SetPosition(std::int64_t position);
  void FlushBuffer() override;
  void SkipBytes(std::int64_t count);
  // Bytes between the reader's position and the end of the stream.
  std::int64_t BytesLeft();
  // Whether the stream ran dry (reported once).
  bool Exhausted() const { return exhausted_; }
  // Ran dry, or gave up on the stream (an unknown tag, nesting too deep):
  // from then on every read gives zero bytes.
  bool Failed() const { return exhausted_ || aborted_; }
  // Reports the message once and stops reading this stream.
  void Abort(const std::u16string& message);
  // Stops reading this stream without a word (the caller has said why).
  void Stop();
  // Stopped by Stop rather than by what the stream holds.
  bool Stopped() const { return stopped_; }
  // Stops between two blocks of the stream when the program is to close
  // (base/system/stop_question.h): for reads that load objects, never for
  // those that store them.
  void StopWhenAsked() { stopWhenAsked_ = true; }

  // Values.
  TValueType ReadValue() { return static_cast<TValueType>(ReadByte()); }
  TValueType NextValue();
  bool EndOfList() { return NextValue() == vaNull; }
  void CheckValue(TValueType value);
  void ReadListBegin() { CheckValue(vaList); }
  void ReadListEnd() { CheckValue(vaNull); }
  void ReadSignature();
  virtual void ReadPrefix(TGFilerFlags& flags, std::int32_t& childPos);
  std::string ReadStr();
  std::int32_t ReadInteger();
  std::int64_t ReadInt64();
  bool ReadBoolean();
  double ReadFloat();
  float ReadSingle();
  double ReadDouble();
  TCurrency ReadCurrency();
  TDateTime ReadDate();
  std::string ReadIdent();
  std::string ReadString();        // 8-bit (Latin-1) text
  std::u16string ReadWideString();
  char ReadChar();
  char16_t ReadWideChar();
  std::uint32_t ReadSet(const TTypeInfo& setType);
  Variant ReadVariant();
  void SkipValue();
  void SkipSetBody();
  void SkipProperty();
  void SkipComponent(bool skipHeader);
  void CopyValue(TGWriter& writer);
  void PropertyError(const std::string& name);

  // Components.
  TGComponent* ReadRootComponent(TGComponent* root);
  TGComponent* ReadComponent(TGComponent* component);
  void ReadComponents(TGComponent* owner, TGComponent* parent, const std::function<void(TGComponent*)>& proc);
  void ReadData(TGComponent* instance);
  void ReadProperty(TPersistent* instance);
  void ReadPropValue(TPersistent* instance, const TPropInfo& prop);
  void ReadCollection(TCollection* collection);

  void DefineProperty(const std::string& name, const TReaderProc& readData, const TWriterProc& writeData,
                      bool hasData) override;
  void DefineBinaryProperty(const std::string& name, const TStreamProc& readData, const TStreamProc& writeData,
                            bool hasData) override;

  virtual TClass FindComponentClass(const std::string& className);
  virtual TGComponent* FindAncestorComponent(const std::string& name, TClass cls);
  virtual const TMethodInfo* FindMethod(TGComponent* root, const std::string& name);
  virtual TMethod FindMethodInstance(TGComponent* root, const std::string& name);
  virtual void SetName(TGComponent* component, std::string name);
  virtual void ReferenceName(std::string& name);
  // Offers an error message to OnError; whether it was handled.
  virtual bool Error(const std::string& message);

  // Reference fixups of this read.
  void BeginReferences();
  void FixupReferences();
  void EndReferences();

  TGComponent* Owner() const { return owner_; }
  void SetOwner(TGComponent* owner) { owner_ = owner; }
  TGComponent* Parent() const { return parent_; }
  void SetParent(TGComponent* parent) { parent_ = parent; }
  const std::string& PropName() const { return propName_; }

  TFindMethodEvent OnFindMethod;
  TFindMethodInstanceEvent OnFindMethodInstance;
  TSetNameEvent OnSetName;
  TReferenceNameEvent OnReferenceName;
  TAncestorNotFoundEvent OnAncestorNotFound;
  TReaderErrorEvent OnError;
  TFindComponentClassEvent OnFindComponentClass;
  TCreateComponentEvent OnCreateComponent;
  TFindComponentInstanceEvent OnFindComponentInstance;

 private:
  std::uint8_t ReadByte() {
    if (bufPos_ < bufEnd_) return buffer_[static_cast<std::size_t>(bufPos_++)];
    std::uint8_t b = 0;
    Read(&b, 1);
    return b;
  }
  bool Refill();
  void ReadLE(void* value, int size);
  // A length from the stream, bounded by the bytes left (each unit
  // unitSize bytes); reports exhaustion when it had to be cut.
  std::int64_t ReadLength(int unitSize);
  void ReportExhausted();
  // Nothing more is read from the stream.
  void Cut();
  // A level of nesting, taken from the budget every stream being read
  // shares (base/streams/stream_nesting.h); false when none was left.
  bool EnterNesting();
  void LeaveNesting();
  // Skips the payload of the value whose tag was just read.
  void SkipAfterTag(TValueType tag);
  // A typed read met the wrong tag: skip the whole value and say so.
  void InvalidAfterTag(TValueType tag);
  // Payloads of the tag just read.
  std::int64_t ReadIntegerAfterTag(TValueType tag);
  double ReadDoubleAfterTag();
  std::string ReadRawString(TValueType tag);
  std::u16string ReadRawWideString();
  TGComponent* CreateComponent(TClass cls, TGFilerFlags flags);
  void DoFixupReferences();
  void FreeFixups();
  void CallLoaded();
  void AddLoaded(TGComponent* component, bool onlyWhenAbsent);

  TGComponent* owner_ = nullptr;
  TGComponent* parent_ = nullptr;
  std::unique_ptr<std::vector<std::unique_ptr<TPropFixup>>> fixups_;
  // Components that get Loaded at the end of the read, in order. Held
  // weakly: a Loaded handler may free what comes after it.
  std::unique_ptr<std::vector<TWeak<TGComponent>>> loaded_;
  std::string propName_;
  std::unique_ptr<TClassFinder> finder_;
  bool canHandleExcepts_ = false;
  std::int64_t streamPos_ = 0;  // the stream's position after the buffered bytes
  std::int64_t streamEnd_ = 0;
  bool exhausted_ = false;
  bool aborted_ = false;
  bool stopped_ = false;
  bool stopWhenAsked_ = false;
  int depth_ = 0;  // levels this reader holds
};

}  // namespace corvane
