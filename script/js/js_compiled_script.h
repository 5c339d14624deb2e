// Compiled scripts: the library's stencil of a script file, held by a
// TScript, and its ".jsbin" form. The file is the library's own encoding
// (which carries the build id: another build's file does not decode)
// behind a short header of ours:
//   "CJSB", the encoding's length (32 bits), an FNV-1a hash of it (64 bits)
// all little-endian. The library's decoder trusts its input and crashes on
// damaged bytes, so a file whose length or hash does not match is refused
// before it reaches the library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <js/experimental/JSStencil.h>

#include "script/script_engine.h"

namespace corvane::js {

// The largest ".jsbin" or script source read whole.
inline constexpr std::int64_t kMaxScriptFileBytes = 64 << 20;

// A loaded script file: Handle points at this record's stencil holder.
// Stencils must not outlive the context they were made on: when it goes,
// every script still alive lets its stencil go (and has no code).
class TJSScript : public TScript {
  CORVANE_CLASS(TJSScript, TScript)
  explicit TJSScript(const TCreateContext& context);
  ~TJSScript() override;
  const RefPtr<JS::Stencil>& Stencil() const { return stencil_; }
  void SetStencil(RefPtr<JS::Stencil> stencil);
  // Called before the shared context is destroyed.
  static void ReleaseAllStencils();

 private:
  RefPtr<JS::Stencil> stencil_;
};

// The ".jsbin" bytes of a stencil; false when the library cannot encode it.
bool EncodeCompiledScript(JSContext* cx, JS::Stencil* stencil, std::string& bytes);
// The stencil of ".jsbin" bytes; null when they are damaged, of another
// build, or no compiled script. Leaves no exception pending.
RefPtr<JS::Stencil> DecodeCompiledScript(JSContext* cx, const JS::ReadOnlyCompileOptions& options,
                                         std::string_view bytes);

// The FNV-1a hash (64 bits) of the header.
std::uint64_t CompiledScriptHash(std::string_view bytes);

}  // namespace corvane::js
