#include "script/js/js_compiled_script.h"

#include <cstring>
#include <unordered_set>

#include <jsapi.h>

#include "base/reflection/class_builder.h"

namespace corvane::js {

namespace {

constexpr char kSignature[4] = {'C', 'J', 'S', 'B'};
constexpr std::size_t kHeaderSize = 16;

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

std::uint64_t CompiledScriptHash(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;
  }
  return hash;
}

bool EncodeCompiledScript(JSContext* cx, JS::Stencil* stencil, std::string& bytes) {
  if (!stencil) return false;
  JS::TranscodeBuffer buffer;
  if (JS::EncodeStencil(cx, stencil, buffer) != JS::TranscodeResult::Ok || buffer.length() > 0xFFFFFFFFu) {
    JS_ClearPendingException(cx);
    return false;
  }
  const std::string_view encoded(reinterpret_cast<const char*>(buffer.begin()), buffer.length());
  bytes.assign(kSignature, sizeof kSignature);
  PutLittle(bytes, encoded.size(), 4);
  PutLittle(bytes, CompiledScriptHash(encoded), 8);
  bytes.append(encoded);
  return true;
}

RefPtr<JS::Stencil> DecodeCompiledScript(JSContext* cx, const JS::ReadOnlyCompileOptions& options,
                                         std::string_view bytes) {
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0) return nullptr;
  const std::string_view encoded = bytes.substr(kHeaderSize);
  if (GetLittle(bytes, 4, 4) != encoded.size() || GetLittle(bytes, 8, 8) != CompiledScriptHash(encoded))
    return nullptr;
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
