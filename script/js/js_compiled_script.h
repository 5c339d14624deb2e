// Compiled scripts: the library's stencil of a script file, held by a
// TScript, and its ".jsbin" form. The library's decoder trusts its input
// (damaged bytes crash it), so the engine decodes only files it wrote
// itself for this user: the file is the library's own encoding (which
// carries the build id) behind a header of ours,
//   "CJS2", the SHA-256 of the source it was compiled from (32 bytes), the
//   encoding's length (32 bits, little-endian), and an HMAC-SHA-256 (32
//   bytes) of the build id, everything before it and the encoding,
// keyed with the user's compiled-script secret (CompiledScriptKey). A file
// that does not authenticate, or was built from another source, is never
// handed to the library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <js/experimental/JSStencil.h>

#include "base/system/sha256.h"
#include "base/system/user_data.h"
#include "script/script_engine.h"

namespace corvane::js {

// The largest ".jsbin" or script source read whole.
inline constexpr std::int64_t kMaxScriptFileBytes = 64 << 20;
// The secret's file in the user's data folder (base/system/user_data.h).
inline constexpr char kCompiledScriptSecret[] = "compiled-script.key";

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

// The user's compiled-script secret, made on first use; false (with one
// error line for the process) when it cannot be kept: then no compiled
// script is read or written.
bool CompiledScriptKey(TUserSecret& key);

// The ".jsbin" bytes of an encoding made from the source with that digest.
std::string CompiledScriptFile(std::string_view encoding, const TSha256Digest& source, const TUserSecret& key);
// The encoding in ".jsbin" bytes when they authenticate under the key and
// were built from the source with that digest (any source when nullptr);
// false otherwise.
bool AuthenticCompiledScript(std::string_view bytes, const TSha256Digest* source, const TUserSecret& key,
                             std::string_view& encoding);

// The ".jsbin" bytes of a stencil; false when the library cannot encode it.
bool EncodeCompiledScript(JSContext* cx, JS::Stencil* stencil, const TSha256Digest& source, const TUserSecret& key,
                          std::string& bytes);
// The stencil of ".jsbin" bytes; null when they do not authenticate, were
// built from another source, are of another build, or no compiled script.
// Leaves no exception pending.
RefPtr<JS::Stencil> DecodeCompiledScript(JSContext* cx, const JS::ReadOnlyCompileOptions& options,
                                         std::string_view bytes, const TSha256Digest* source,
                                         const TUserSecret& key);

}  // namespace corvane::js
