#include "base/streams/resource_man.h"

#include <algorithm>

#include "base/lists/string_list.h"
#include "base/reflection/class_builder.h"
#include "base/streams/file_stream.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TResourceMan)

TClass EmbeddedResManClass = nullptr;

namespace {

// Mask lists longer than this are cut, as the listing always did.
constexpr std::size_t kMaxMaskList = 255;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string TrimBlanks(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

}  // namespace

void TResourceMan::Describe(TClassBuilder<TResourceMan>& c) {
  // Read only for scripts: the root is where the engine stores the applet's
  // own files (preferences, scores, pictures of its window), and an applet
  // that moved it would write them anywhere. The engine sets it itself.
  c.Property("ResourceFile", &TResourceMan::ResourceFile);
  c.Property("Active", &TResourceMan::Active);
  c.Method("CreateStream", &TResourceMan::ScriptCreateStream);
  c.Method("StreamExists", &TResourceMan::StreamExists);
  c.Method("FileDate", &TResourceMan::FileDate);
  c.Method("CompletePath", &TResourceMan::ScriptCompletePath);
  c.Method("FindFiles", &TResourceMan::FindFiles);
  c.Method("FindFilesComma", &TResourceMan::FindFilesComma);
  c.Method("FindFilesInDir", &TResourceMan::FindFilesInDir);
  c.Method("FindFilesInDirComma", &TResourceMan::FindFilesInDirComma);
  c.Method("FindDirs", &TResourceMan::FindDirs);
  c.Method("FindDirsComma", &TResourceMan::FindDirsComma);
}

TResourceMan::TResourceMan(const TCreateContext& context, std::string name)
    : TPersistent(context), resourceFile_(std::move(name)), results_(std::make_unique<TStringList>()) {}

TResourceMan::~TResourceMan() = default;

void TResourceMan::AfterConstruction() {
  TPersistent::AfterConstruction();
  if (logStart_) EngineLog(u"Resource manager " + WidenLatin1(ClassName()) + u" starded");
}

void TResourceMan::BeforeDestruction() {
  if (logClose_) EngineLog(u"Resource manager " + WidenLatin1(ClassName()) + u" closed");
  TPersistent::BeforeDestruction();
}

TStrings* TResourceMan::FindFiles(const std::string& mask) {
  results_->Clear();
  IntFindFilesInDir("/", mask);
  return results_.get();
}

std::string TResourceMan::FindFilesComma(const std::string& mask) { return FindFiles(mask)->CommaText(); }

TStrings* TResourceMan::FindFilesInDir(const std::string& dir, const std::string& mask) {
  results_->Clear();
  IntFindFilesInDir(dir, mask);
  return results_.get();
}

std::string TResourceMan::FindFilesInDirComma(const std::string& dir, const std::string& mask) {
  std::string folder = dir;
  if (folder.empty() || folder.back() != '/') folder += '/';
  return FindFilesInDir(folder, mask)->CommaText();
}

TStrings* TResourceMan::FindDirs() {
  results_->Clear();
  results_->Add("/");
  IntFindDirInDir("/");
  return results_.get();
}

std::string TResourceMan::FindDirsComma() { return FindDirs()->CommaText(); }

std::string TResourceMan::CompletePath(const std::string& path) {
  if (!path.empty() && path.back() != '/') return path + '/';
  return path;
}

std::string TResourceMan::GetMask(std::string& masks) {
  if (masks.size() > kMaxMaskList) masks.resize(kMaxMaskList);
  const std::size_t at = masks.find(';');
  std::string mask;
  if (at == std::string::npos) {
    mask = TrimBlanks(masks);
    masks.clear();
  } else {
    mask = TrimBlanks(std::string_view(masks).substr(0, at));
    masks = TrimBlanks(std::string_view(masks).substr(at + 1));
  }
  return mask;
}

TStream* TResourceMan::ScriptCreateStream(const std::string& name, std::int32_t mode) {
  return CreateStream(name, static_cast<std::uint16_t>(mode)).release();
}

std::string TResourceMan::NoFileReason(const std::string& name) {
  return StreamExists(name) ? std::string() : std::string("there is no such file");
}

bool ResourceThere(TResourceMan& resMan, const std::string& name, std::u16string_view what) {
  if (resMan.StreamExists(name)) return true;
  const std::string reason = resMan.NoFileReason(name);
  if (!reason.empty())
    EngineError(u"Can't " + std::u16string(what) + u" " + Utf8ToUtf16(name) + u": " + Utf8ToUtf16(reason));
  return false;
}

bool StoreResource(TResourceMan& resMan, const std::string& name, const void* bytes, std::int64_t size) {
  const std::span<const char> whole(static_cast<const char*>(bytes), static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
  return StoreResource(resMan, name, std::span<const std::span<const char>>(&whole, 1));
}

bool StoreResource(TResourceMan& resMan, const std::string& name, std::span<const std::span<const char>> parts) {
  std::unique_ptr<TStream> out = resMan.CreateStream(name, fmCreate);
  if (!out) return false;  // the manager said why, unless it was to stay quiet
  bool written = true;
  for (const std::span<const char> part : parts) {
    const auto size = static_cast<std::int64_t>(part.size());
    if (size > 0 && out->Write(part.data(), size) != size) {
      written = false;
      break;
    }
  }
  auto* file = dynamic_cast<TFileStream*>(out.get());
  if (file && !written) file->Abandon();
  else if (file) written = file->Close();
  if (!written) {
    const std::string reason =
        file && !file->LastError().empty() ? file->LastError() : std::string("the file could not be written");
    EngineError(u"Can't write " + Utf8ToUtf16(name) + u": " + Utf8ToUtf16(reason));
  }
  return written;
}

}  // namespace corvane
