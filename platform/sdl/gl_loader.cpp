#include "platform/sdl/gl_loader.h"

#include <dlfcn.h>

#include <cstring>

#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "resources/library_loader.h"

namespace corvane {

namespace {

// The library: opened by the system's loader, or by the engine's (soLib,
// while soLoader) for a name with "_lib" in it.
void* libGL = nullptr;
TLibHandle soLib = 0;
bool soLoader = false;
TGLProcResolver procResolver = nullptr;

void* LibrarySymbol(const char* name) {
  if (soLoader) return LoadProc(soLib, name);
  return libGL != nullptr ? dlsym(libGL, name) : nullptr;
}

// dlsym hands out functions as void*; POSIX guarantees the round trip.
static_assert(sizeof(void (*)()) == sizeof(void*), "function and data pointers differ in size");

void SetPointer(const TGLEntryPoint& entry, void* address) { std::memcpy(entry.pointer, &address, sizeof address); }

void ClearPointers(std::span<const TGLEntryPoint> entries) {
  for (const TGLEntryPoint& entry : entries) SetPointer(entry, nullptr);
}

const TGLExtension* FindExtension(std::string_view name) {
  for (const TGLExtension& extension : GLExtensions) {
    if (name == extension.name) return &extension;
  }
  return nullptr;
}

bool LoadExtension(std::string_view name) {
  const TGLExtension* extension = FindExtension(name);
  if (extension == nullptr) return false;
  ClearPointers(extension->entryPoints);
  // Without a current context glGetString answers nullptr.
  if (glGetString == nullptr) return false;
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (!ExtensionListed(extensions, name)) return false;
  for (const TGLEntryPoint& entry : extension->entryPoints) {
    void* address = wglGetProcAddress(entry.name);
    if (address == nullptr) {
      ClearPointers(extension->entryPoints);
      return false;
    }
    SetPointer(entry, address);
  }
  return true;
}

}  // namespace

bool LoadOpenGL(const std::string& name) {
  FreeOpenGL();
  if (name.find("_lib") != std::string::npos) {
    soLib = LoadLib(kEngineLoadedOpenGL, true, false);
    soLoader = soLib != 0;
  } else if (!name.empty()) {
    libGL = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  if (LibGL() == nullptr) {
    EngineError(u"Could not load OpenGL from " + Utf8ToUtf16(name));
    return false;
  }
  for (const TGLEntryPoint& entry : GLCoreEntryPoints) {
    void* address = LibrarySymbol(entry.name);
    if (address == nullptr) {
      EngineError(u"Failed loading " + Utf8ToUtf16(entry.name) + u" from " + Utf8ToUtf16(name));
      FreeOpenGL();
      return false;
    }
    SetPointer(entry, address);
  }
  return true;
}

void FreeOpenGL() {
  ClearPointers(GLCoreEntryPoints);
  for (const TGLExtension& extension : GLExtensions) ClearPointers(extension.entryPoints);
  if (libGL != nullptr) dlclose(libGL);
  libGL = nullptr;
  FreeLib(soLib);
  soLib = 0;
  soLoader = false;
}

void* LibGL() { return soLoader ? reinterpret_cast<void*>(soLib) : libGL; }

bool SOLoader() { return soLoader; }

TGLProcResolver SetGLProcResolver(TGLProcResolver resolver) {
  TGLProcResolver previous = procResolver;
  procResolver = resolver;
  return previous;
}

void* wglGetProcAddress(const char* name) {
  if (procResolver != nullptr) return procResolver(name);
  return LibrarySymbol(name);
}

bool ExtensionListed(const char* extensions, std::string_view name) {
  if (extensions == nullptr || name.empty()) return false;
  std::string_view rest(extensions);
  while (!rest.empty()) {
    std::size_t start = rest.find_first_not_of(' ');
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    std::size_t end = rest.find(' ');
    if (rest.substr(0, end) == name) return true;
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end);
  }
  return false;
}

bool Load_GL_ARB_vertex_buffer_object() { return LoadExtension("GL_ARB_vertex_buffer_object"); }
bool Load_GL_EXT_bgra() { return LoadExtension("GL_EXT_bgra"); }
bool Load_GL_SGIS_generate_mipmap() { return LoadExtension("GL_SGIS_generate_mipmap"); }
bool Load_GL_EXT_blend_func_separate() { return LoadExtension("GL_EXT_blend_func_separate"); }
bool Load_GL_EXT_draw_range_elements() { return LoadExtension("GL_EXT_draw_range_elements"); }

}  // namespace corvane
