// Run-time loading of OpenGL: the engine never links libGL. The rendering
// device loads the library by name when its first instance is made, which
// fills every pointer of gl_functions.h, and frees it with its last one.
// Optional extensions are looked up through a settable resolver (the SDL
// platform installs SDL_GL_GetProcAddress); they need a current context,
// since their presence is read from the context's extension string.
#pragma once

#include <string>
#include <string_view>

#include "platform/sdl/gl_functions.h"

namespace corvane {

// The library a name with "_lib" in it stands for: the engine's library
// loader opens "lib" + this + ".so" beside the executable.
inline constexpr const char* kEngineLoadedOpenGL = "opengl32";

// Frees what was loaded, then opens the library and looks up all 336
// OpenGL 1.0/1.1 entry points. A name containing "_lib" is not opened
// itself: the engine's library loader loads kEngineLoadedOpenGL, and every
// look-up and the final unload go through it (SOLoader); any other name is
// opened by the system's loader (dlopen, e.g. "libGL.so.1"). True when
// every entry point was found. Otherwise logs "Could not load OpenGL from "
// + name, or "Failed loading " + entry point + " from " + name, leaves
// nothing loaded (every pointer nullptr) and returns false: a missing entry
// point would otherwise be a crash on the device's first call.
bool LoadOpenGL(const std::string& name);
// Sets every pointer to nullptr (extension pointers too) and closes the
// library through the loader that opened it. Harmless when nothing is
// loaded.
void FreeOpenGL();
// The handle of the loaded library; nullptr when none.
void* LibGL();
// Whether the loaded library came through the engine's library loader;
// false again once it is freed, so the next load chooses afresh.
bool SOLoader();

// Looks an extension entry point up by name; nullptr when it is unknown.
using TGLProcResolver = void* (*)(const char* name);
// Installs the resolver the extension loaders use and returns the previous
// one; nullptr restores the default, a symbol look-up in the loaded library
// through the loader that opened it.
TGLProcResolver SetGLProcResolver(TGLProcResolver resolver);
// The look-up the extension loaders use (named after the Windows call the
// device code was first written against): the installed resolver, else the
// loaded library's symbol; nullptr when nothing is loaded.
void* wglGetProcAddress(const char* name);

// Whether name is one of the blank-separated words of the extension string
// (a longer name that merely starts with it does not count).
bool ExtensionListed(const char* extensions, std::string_view name);

// Each reads glGetString(GL_EXTENSIONS) of the current context and returns
// true when the extension is listed and all its entry points were found;
// otherwise false, with that extension's pointers left nullptr. False too
// when OpenGL is not loaded or no context is current.
bool Load_GL_ARB_vertex_buffer_object();
bool Load_GL_EXT_bgra();
bool Load_GL_SGIS_generate_mipmap();
bool Load_GL_EXT_blend_func_separate();
bool Load_GL_EXT_draw_range_elements();

}  // namespace corvane
