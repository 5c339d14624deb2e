// TGFiler: the buffered base of the object-stream reader and writer, and the
// define-properties protocol they share: a persistent declares stream data
// of its own by name, with a procedure that reads it and one that writes it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/reflection/object.h"

namespace corvane {

class TGReader;
class TGWriter;
class TGComponent;
class TPersistent;
class TStream;

using TReaderProc = std::function<void(TGReader&)>;
using TWriterProc = std::function<void(TGWriter&)>;
using TStreamProc = std::function<void(TStream&)>;

class TGFiler : public TObject {
  CORVANE_CLASS(TGFiler, TObject)
  // The stream is not owned and must outlive the filer.
  TGFiler(TStream& stream, int bufferSize);

  TStream& Stream() const { return stream_; }
  TGComponent* Root() const { return root_; }
  virtual void SetRoot(TGComponent* root) { root_ = root; }
  TGComponent* LookupRoot() const { return lookupRoot_; }
  void SetLookupRoot(TGComponent* root) { lookupRoot_ = root; }
  TPersistent* Ancestor() const { return ancestor_; }
  void SetAncestor(TPersistent* ancestor) { ancestor_ = ancestor; }
  bool IgnoreChildren() const { return ignoreChildren_; }
  void SetIgnoreChildren(bool ignore) { ignoreChildren_ = ignore; }

  // A value read and written through the reader and writer themselves.
  virtual void DefineProperty(const std::string& name, const TReaderProc& readData,
                              const TWriterProc& writeData, bool hasData) = 0;
  // A block of raw bytes.
  virtual void DefineBinaryProperty(const std::string& name, const TStreamProc& readData,
                                    const TStreamProc& writeData, bool hasData) = 0;
  virtual void FlushBuffer() = 0;

 protected:
  TStream& stream_;
  std::vector<std::uint8_t> buffer_;
  int bufEnd_ = 0;  // reader: valid bytes in the buffer
  int bufPos_ = 0;  // next byte to read or write
  TGComponent* root_ = nullptr;
  TGComponent* lookupRoot_ = nullptr;
  TPersistent* ancestor_ = nullptr;
  bool ignoreChildren_ = false;
};

}  // namespace corvane
