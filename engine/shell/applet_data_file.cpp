#include "engine/shell/applet_data_file.h"

#include <memory>

#include "base/lists/wide_string_file.h"
#include "base/lists/wide_strings.h"
#include "base/streams/file_stream.h"
#include "base/streams/memory_stream.h"
#include "base/streams/resource_man.h"
#include "base/system/file_utils.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "engine/shell/engine_log.h"

namespace corvane {

namespace {

TResourceMan* ExternalManager() { return Engine ? Engine->ExternalResMan() : nullptr; }

// The part of a data file name that stands for a nested applet.
std::string NamePart(const std::u16string& name) {
  constexpr std::size_t kLongest = 64;
  if (name.empty()) return "applet";
  std::string part;
  for (const char16_t c : name.substr(0, kLongest)) {
    const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
                       c == u'_' || c == u'-';
    part += plain ? static_cast<char>(c) : '_';
  }
  return part;
}

// Where the lines of a ciphered text end in its bytes: at the first NUL
// unit, which ends the text, or before a last odd byte.
std::size_t LinesEnd(const std::string& bytes) {
  const std::size_t units = bytes.size() / 2;
  for (std::size_t i = 0; i < units; ++i) {
    const auto unit = static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                                 static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8);
    if ((unit ^ kWideTextCipherKey) == 0) return 2 * i;
  }
  return 2 * units;
}

}  // namespace

std::string AppletDataFileName(std::string_view extension, const BaseObject* applet) {
  std::string logName = Engine ? Engine->LogBook().LogFileName : std::string();
  const std::size_t slash = logName.find_last_of("/\\");
  if (slash != std::string::npos) logName.erase(0, slash + 1);
  // The applets this one is nested in, from the innermost up; the
  // outermost (the engine's own child) adds nothing.
  std::string nested;
  for (const BaseObject* object = applet; object && object->Parent(); object = object->Parent()) {
    if (dynamic_cast<const Applet*>(object) && !dynamic_cast<const SomeEngine*>(object->Parent()))
      nested = "." + NamePart(object->Name()) + nested;
  }
  return FileNameWithoutExt(logName) + nested + std::string(extension);
}

const std::string& TAppletDataFile::Name() {
  if (!name_) {
    const TAppletServices* applet = holder_ ? holder_->GetApplet() : nullptr;
    name_ = AppletDataFileName(extension_, applet ? AppletObjectOf(holder_) : nullptr);
  }
  return *name_;
}

bool TAppletDataFile::Load(TWideStrings& list) {
  TResourceMan* resMan = ExternalManager();
  if (!resMan) return false;
  const std::string& name = Name();
  const std::unique_ptr<TStream> stream = resMan->CreateStream(name, fmOpenRead);
  // A missing file is no failure. One the manager could not open (no
  // access) is not replaced by a store either.
  bool unread = !stream && resMan->StreamExists(name);
  // Too large a file is refused by the list's reader, before it is held.
  TMemoryStream bytes;
  if (stream && stream->Size() <= kMaxWideTextBytes)
    unread = !bytes.LoadFromStream(*stream) || !list.LoadFromStreamEncrypt(bytes);
  else if (stream)
    unread = !list.LoadFromStreamEncrypt(*stream);
  kept_ = unread ? u"could not be read" : u"";
  if (unread) EngineError(u"Can't read " + Utf8ToUtf16(name) + u": the file is kept as it is");
  if (!stream || unread) return false;
  const std::string content(bytes.Memory(), static_cast<std::size_t>(bytes.Size()));
  tail_ = content.substr(LinesEnd(content));
  return true;
}

void TAppletDataFile::Keep(std::u16string why) {
  kept_ = std::move(why);
  tail_.clear();
}

std::u16string TAppletDataFile::Refusal(std::int64_t lines, std::int64_t units) const {
  if (lines > kMaxWideTextLines)
    return u"its file would pass the " + IntToStr(kMaxWideTextLines) + u" lines a list file may hold";
  if (2 * units + static_cast<std::int64_t>(tail_.size()) > kMaxWideTextBytes)
    return u"its file would pass the " + IntToStr(kMaxWideTextBytes) + u" bytes a list file may hold";
  return {};
}

bool TAppletDataFile::Store(const TWideStrings& list) {
  TResourceMan* resMan = ExternalManager();
  if (!resMan) return false;
  const std::string& name = Name();
  if (!kept_.empty()) {
    EngineError(u"Not stored: " + Utf8ToUtf16(name) + u" " + kept_ + u" and is kept as it is");
    return false;
  }
  // Made whole in memory, then stored beside and renamed: a failure says
  // why and leaves the old file as it was.
  TMemoryStream bytes;
  if (!list.SaveToStreamEncrypt(bytes)) return false;
  bytes.Write(tail_.data(), static_cast<std::int64_t>(tail_.size()));
  return StoreResource(*resMan, name, bytes.Memory(), bytes.Size());
}

}  // namespace corvane
