// Feeds arbitrary bytes to what reads a script file: as source text
// (decoded, then compiled, never run) and as a compiled ".jsbin" (its
// header checked before the library sees it). Neither may crash, hang or
// take memory without bound; a source that compiles must also encode and
// decode again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <js/CompilationAndEvaluation.h>
#include <js/SourceText.h>
#include <jsapi.h>

#include "base/system/log_target.h"
#include "script/js/js_compiled_script.h"
#include "script/js/js_engine.h"
#include "script/js/js_source_text.h"

namespace {

corvane::TJavaScriptEngine* gEngine = nullptr;

}  // namespace

// The library's heap lives in memory of its own that the leak checker does
// not scan: what the engine's one context holds between inputs is not
// leaked.
extern "C" const char* __lsan_default_suppressions() { return "leak:libmozjs-102.so\n"; }

// One engine for the whole run: its context and global.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace corvane;
  static TSilentLog silent;
  SetLogTarget(&silent);
  gEngine = Create<TJavaScriptEngine>(TCreateContext());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  JSContext* cx = gEngine ? gEngine->Context() : nullptr;
  if (!cx) return 0;
  JSAutoRealm realm(cx, gEngine->GlobalObject());
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  JS::CompileOptions options(cx);
  options.setFileAndLine("fuzz.js", 1);
  (void)corvane::js::DecodeCompiledScript(cx, options, bytes);

  const std::u16string text = corvane::js::ScriptSourceText(bytes);
  JS::SourceText<char16_t> source;
  if (!source.init(cx, text.data(), text.size(), JS::SourceOwnership::Borrowed)) {
    JS_ClearPendingException(cx);
    return 0;
  }
  RefPtr<JS::Stencil> stencil = JS::CompileGlobalScriptToStencil(cx, options, source);
  JS_ClearPendingException(cx);
  if (!stencil) return 0;
  std::string encoded;
  if (corvane::js::EncodeCompiledScript(cx, stencil, encoded) && !corvane::js::DecodeCompiledScript(cx, options, encoded))
    __builtin_trap();
  return 0;
}
