// The define-properties protocol shared by the stream reader and writer: a
// persistent declares stream data of its own by name, with a procedure that
// reads it and one that writes it.
#pragma once

#include <functional>
#include <string>

#include "base/object.h"

namespace corvane {

class TGReader;
class TGWriter;
class TStream;

using TReaderProc = std::function<void(TGReader&)>;
using TWriterProc = std::function<void(TGWriter&)>;
using TStreamProc = std::function<void(TStream&)>;

class TGFiler : public TObject {
  CORVANE_CLASS(TGFiler, TObject)
  // A value read and written through the reader and writer themselves.
  virtual void DefineProperty(const std::string& name, const TReaderProc& readData,
                              const TWriterProc& writeData, bool hasData) = 0;
  // A block of raw bytes.
  virtual void DefineBinaryProperty(const std::string& name, const TStreamProc& readData,
                                    const TStreamProc& writeData, bool hasData) = 0;
};

}  // namespace corvane
