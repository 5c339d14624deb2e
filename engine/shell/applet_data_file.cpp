#include "engine/shell/applet_data_file.h"

#include <memory>

#include "base/lists/wide_strings.h"
#include "base/streams/file_stream.h"
#include "base/streams/resource_man.h"
#include "base/system/file_utils.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "engine/shell/engine.h"
#include "engine/shell/engine_log.h"

namespace corvane {

namespace {

TResourceMan* ExternalManager() { return Engine ? Engine->ExternalResMan() : nullptr; }

}  // namespace

std::string AppletDataFileName(std::string_view extension) {
  std::string logName = Engine ? Engine->LogBook().LogFileName : std::string();
  const std::size_t slash = logName.find_last_of("/\\");
  if (slash != std::string::npos) logName.erase(0, slash + 1);
  return FileNameWithoutExt(logName) + std::string(extension);
}

const std::string& TAppletDataFile::Name() {
  if (!name_) name_ = AppletDataFileName(extension_);
  return *name_;
}

bool TAppletDataFile::Load(TWideStrings& list) {
  TResourceMan* resMan = ExternalManager();
  if (!resMan) return false;
  const std::string& name = Name();
  const std::unique_ptr<TStream> stream = resMan->CreateStream(name, fmOpenRead);
  unread_ = stream ? !list.LoadFromStreamEncrypt(*stream) : resMan->StreamExists(name);
  if (unread_) EngineError(u"Can't read " + Utf8ToUtf16(name) + u": the file is kept as it is");
  return stream && !unread_;
}

bool TAppletDataFile::Store(const TWideStrings& list) {
  TResourceMan* resMan = ExternalManager();
  if (!resMan) return false;
  const std::string& name = Name();
  if (unread_) {
    EngineError(u"Not stored: " + Utf8ToUtf16(name) + u" could not be read and is kept as it is");
    return false;
  }
  const std::unique_ptr<TStream> stream = resMan->CreateStream(name, fmCreate);
  if (!stream) return false;
  bool written = list.SaveToStreamEncrypt(*stream);
  // A file stream commits in its destructor unless a write failed; say so
  // explicitly, and learn whether the new file really took the old one's
  // place. Other streams keep their own kind's rule.
  if (auto* file = dynamic_cast<TFileStream*>(stream.get())) {
    if (written) written = file->Close();
    else file->Abandon();
  }
  if (!written) EngineError(u"Can't write " + Utf8ToUtf16(name));
  return written;
}

}  // namespace corvane
