#include "script/js/js_compiled_script.h"

#include <cstring>
#include <unordered_set>

#include <jsapi.h>

#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "script/js/js_context.h"

namespace corvane::js {

namespace {

constexpr char kSignature[4] = {'C', 'J', 'S', '2'};
constexpr std::size_t kSourceAt = 4;
constexpr std::size_t kLengthAt = kSourceAt + 32;
constexpr std::size_t kMacAt = kLengthAt + 4;
constexpr std::size_t kHeaderSize = kMacAt + 32;

void PutLittle(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t GetLittle(std::string_view in, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint64_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
  return value;
}

}  // namespace

CORVANE_IMPLEMENT_CLASS(TJSScript)

namespace {

std::unordered_set<TJSScript*>& LiveScripts() {
  static std::unordered_set<TJSScript*> live;
  return live;
}

}  // namespace

TJSScript::TJSScript(const TCreateContext& context) : TScript(context) { LiveScripts().insert(this); }

TJSScript::~TJSScript() { LiveScripts().erase(this); }

void TJSScript::ReleaseAllStencils() {
  for (TJSScript* script : LiveScripts()) script->SetStencil(nullptr);
}

void TJSScript::SetStencil(RefPtr<JS::Stencil> stencil) {
  stencil_ = std::move(stencil);
  Handle = stencil_ ? &stencil_ : nullptr;
}

bool CompiledScriptKey(TUserSecret& key) {
  std::string reason;
  if (UserSecret(kCompiledScriptSecret, key, reason)) return true;
  static bool reported = false;
  if (!reported) EngineError(u"Compiled scripts are not kept: " + Utf8ToUtf16(reason));
  reported = true;
  return false;
}

namespace {

TSha256Digest Mac(std::string_view signedHeader, std::string_view encoding, const TUserSecret& key) {
  THmacSha256 mac(std::string_view(reinterpret_cast<const char*>(key.data()), key.size()));
  mac.Update(BuildId());
  mac.Update(signedHeader);
  mac.Update(encoding);
  return mac.Final();
}

std::string_view Bytes(const TSha256Digest& digest) {
  return {reinterpret_cast<const char*>(digest.data()), digest.size()};
}

}  // namespace

std::string CompiledScriptFile(std::string_view encoding, const TSha256Digest& source, const TUserSecret& key) {
  std::string bytes(kSignature, sizeof kSignature);
  bytes.append(Bytes(source));
  PutLittle(bytes, encoding.size(), 4);
  bytes.append(Bytes(Mac(bytes, encoding, key)));
  bytes.append(encoding);
  return bytes;
}

bool AuthenticCompiledScript(std::string_view bytes, const TSha256Digest* source, const TUserSecret& key,
                             std::string_view& encoding) {
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0) return false;
  encoding = bytes.substr(kHeaderSize);
  if (GetLittle(bytes, kLengthAt, 4) != encoding.size()) return false;
  TSha256Digest mac;
  std::memcpy(mac.data(), bytes.data() + kMacAt, mac.size());
  if (!SameDigest(mac, Mac(bytes.substr(0, kMacAt), encoding, key))) return false;
  if (!source) return true;
  TSha256Digest built;
  std::memcpy(built.data(), bytes.data() + kSourceAt, built.size());
  return SameDigest(built, *source);
}

bool EncodeCompiledScript(JSContext* cx, JS::Stencil* stencil, const TSha256Digest& source, const TUserSecret& key,
                          std::string& bytes) {
  if (!stencil) return false;
  JS::TranscodeBuffer buffer;
  if (JS::EncodeStencil(cx, stencil, buffer) != JS::TranscodeResult::Ok || buffer.length() > 0xFFFFFFFFu) {
    JS_ClearPendingException(cx);
    return false;
  }
  bytes = CompiledScriptFile(std::string_view(reinterpret_cast<const char*>(buffer.begin()), buffer.length()), source,
                             key);
  return true;
}

RefPtr<JS::Stencil> DecodeCompiledScript(JSContext* cx, const JS::ReadOnlyCompileOptions& options,
                                         std::string_view bytes, const TSha256Digest* source,
                                         const TUserSecret& key) {
  std::string_view encoded;
  if (!AuthenticCompiledScript(bytes, source, key, encoded)) return nullptr;
  // The library's own buffer: the decoder wants its start aligned.
  JS::TranscodeBuffer buffer;
  if (!buffer.append(reinterpret_cast<const std::uint8_t*>(encoded.data()), encoded.size())) return nullptr;
  JS::DecodeOptions decodeOptions(options);
  RefPtr<JS::Stencil> stencil;
  const JS::TranscodeRange range(buffer.begin(), buffer.length());
  const JS::TranscodeResult result = JS::DecodeStencil(cx, decodeOptions, range, getter_AddRefs(stencil));
  JS_ClearPendingException(cx);
  if (result != JS::TranscodeResult::Ok) return nullptr;
  return stencil;
}

}  // namespace corvane::js
