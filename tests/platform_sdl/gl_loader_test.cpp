#include "platform/sdl/gl_loader.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/system/file_utils.h"
#include "resources/library_loader.h"
#include "tests/platform_sdl/gl_harness.h"
#include "tests/support/capture_log.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

// Mesa (through the vendor-neutral dispatcher) on every machine that runs
// the engine; resolving names needs no context.
constexpr const char* kMesaGL = "libGL.so.1";

void* PointerValue(const TGLEntryPoint& entry) {
  void* value = nullptr;
  std::memcpy(&value, entry.pointer, sizeof value);
  return value;
}

int CountSet(std::span<const TGLEntryPoint> entries) {
  int count = 0;
  for (const TGLEntryPoint& entry : entries) count += PointerValue(entry) != nullptr ? 1 : 0;
  return count;
}

int CountAllSet() {
  int count = CountSet(GLCoreEntryPoints);
  for (const TGLExtension& extension : GLExtensions) count += CountSet(extension.entryPoints);
  return count;
}

class GLLoaderTest : public ::testing::Test {
 protected:
  void TearDown() override {
    FreeOpenGL();
    SetGLProcResolver(nullptr);
  }
};

// Each name bound to a pointer of its own, and the names the device calls
// to the very pointers it calls through.
TEST_F(GLLoaderTest, EveryEntryPointHasItsOwnPointer) {
  ASSERT_EQ(GLCoreEntryPoints.size(), 336u);
  std::set<void*> pointers;
  for (const TGLEntryPoint& entry : GLCoreEntryPoints) pointers.insert(entry.pointer);
  EXPECT_EQ(pointers.size(), 336u) << "two names share one pointer";
  const std::vector<std::pair<const char*, void*>> used = {
      {"glGetString", &glGetString}, {"glTexImage2D", &glTexImage2D}, {"glDrawElements", &glDrawElements},
      {"glReadPixels", &glReadPixels}, {"glInterleavedArrays", &glInterleavedArrays}};
  for (const auto& entry : used)
    EXPECT_TRUE(std::ranges::any_of(GLCoreEntryPoints, [&](const TGLEntryPoint& e) {
      return std::strcmp(e.name, entry.first) == 0 && e.pointer == entry.second;
    })) << entry.first;
}

TEST_F(GLLoaderTest, LoadingMesaResolvesEveryEntryPointAndFreeingClearsThem) {
  test::TCaptureLog log;
  ASSERT_EQ(CountAllSet(), 0);
  ASSERT_TRUE(LoadOpenGL(kMesaGL)) << log.Text();
  EXPECT_TRUE(log.Lines().empty()) << log.Text();
  EXPECT_NE(LibGL(), nullptr);
  EXPECT_EQ(CountSet(GLCoreEntryPoints), 336);
  for (const TGLEntryPoint& entry : GLCoreEntryPoints) {
    EXPECT_EQ(PointerValue(entry), dlsym(LibGL(), entry.name)) << entry.name;
  }
  // Loading again first frees, then loads the same.
  ASSERT_TRUE(LoadOpenGL(kMesaGL));
  EXPECT_EQ(CountSet(GLCoreEntryPoints), 336);

  FreeOpenGL();
  EXPECT_EQ(LibGL(), nullptr);
  EXPECT_EQ(CountAllSet(), 0);
  FreeOpenGL();  // twice is harmless
  EXPECT_EQ(LibGL(), nullptr);
  EXPECT_EQ(wglGetProcAddress("glGenBuffersARB"), nullptr);
  EXPECT_TRUE(log.Lines().empty()) << log.Text();
}

TEST_F(GLLoaderTest, FailedLoadsReportOnceAndLeaveNothingLoaded) {
  struct TCase {
    std::string name;
    std::string error;
  };
  const std::vector<TCase> cases = {
      {"libcorvane-no-such-gl.so.1", "Could not load OpenGL from libcorvane-no-such-gl.so.1"},
      {"/nonexistent/folder/libGL.so.1", "Could not load OpenGL from /nonexistent/folder/libGL.so.1"},
      {"", "Could not load OpenGL from "},
      // A library that loads but is not OpenGL: the first name is missing.
      {"libm.so.6", "Failed loading glAccum from libm.so.6"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    // A working load before the failing one must not survive it.
    ASSERT_TRUE(LoadOpenGL(kMesaGL));
    test::TCaptureLog log;
    EXPECT_FALSE(LoadOpenGL(c.name));
    EXPECT_EQ(log.CountError(c.error), 1) << log.Text();
    EXPECT_EQ(log.Lines().size(), 1u) << log.Text();
    EXPECT_EQ(LibGL(), nullptr);
    EXPECT_EQ(CountAllSet(), 0);
    FreeOpenGL();
    EXPECT_FALSE(Load_GL_EXT_bgra());
  }
}

TEST_F(GLLoaderTest, ANameWithLibNeedsOpengl32BesideTheExecutable) {
  test::TTestWorld world;
  const std::string path = LibraryFileName(kEngineLoadedOpenGL);
  ASSERT_EQ(path, ExePath() + "libopengl32.so");
  ASSERT_FALSE(std::filesystem::exists(path)) << "only opengl32_route_tests has one beside it";
  for (const char* name : {"opengl_lib", "/usr/lib_lib/x86_64-linux-gnu/libGL.so.1"}) {
    SCOPED_TRACE(name);
    // A working load before the failing one must not survive it.
    ASSERT_TRUE(LoadOpenGL(kMesaGL));
    world.log.Clear();
    EXPECT_FALSE(LoadOpenGL(name));
    EXPECT_EQ(world.log.Lines(), (std::vector<std::string>{"(i) Try to load library opengl32",
                                                           "(i) Shared library " + path + " not exists",
                                                           "(i) Library " + path + " loading failed.",
                                                           std::string("(e) Could not load OpenGL from ") + name}));
    EXPECT_FALSE(SOLoader());
    EXPECT_EQ(LibGL(), nullptr);
    EXPECT_EQ(CountAllSet(), 0);
  }
  // The system's loader still serves a plain name afterwards.
  ASSERT_TRUE(LoadOpenGL(kMesaGL));
  EXPECT_FALSE(SOLoader());
  EXPECT_EQ(CountSet(GLCoreEntryPoints), 336);
}

TEST_F(GLLoaderTest, ExtensionListedMatchesWholeWords) {
  struct TCase {
    const char* extensions;
    const char* name;
    bool listed;
  };
  const TCase cases[] = {
      {"GL_EXT_bgra", "GL_EXT_bgra", true},
      {"GL_ARB_multitexture GL_EXT_bgra GL_SGIS_generate_mipmap", "GL_EXT_bgra", true},
      {"GL_ARB_multitexture GL_EXT_bgra ", "GL_EXT_bgra", true},
      {"  GL_EXT_bgra  GL_X", "GL_X", true},
      {"GL_EXT_bgra_extended GL_EXT_bgr", "GL_EXT_bgra", false},
      {"XGL_EXT_bgra", "GL_EXT_bgra", false},
      {"", "GL_EXT_bgra", false},
      {"   ", "GL_EXT_bgra", false},
      {nullptr, "GL_EXT_bgra", false},
      {"GL_EXT_bgra", "", false},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(ExtensionListed(c.extensions, c.name), c.listed)
        << (c.extensions ? c.extensions : "(null)") << " / " << c.name;
  }
}

TEST_F(GLLoaderTest, ExtensionsAreRefusedWithoutAContext) {
  // Not loaded: glGetString itself is missing.
  EXPECT_FALSE(Load_GL_ARB_vertex_buffer_object());
  // Loaded, but no context is current: the extension string is nullptr.
  ASSERT_TRUE(LoadOpenGL(kMesaGL));
  EXPECT_FALSE(Load_GL_ARB_vertex_buffer_object());
  EXPECT_FALSE(Load_GL_EXT_bgra());
  EXPECT_FALSE(Load_GL_SGIS_generate_mipmap());
  EXPECT_FALSE(Load_GL_EXT_blend_func_separate());
  EXPECT_FALSE(Load_GL_EXT_draw_range_elements());
  EXPECT_EQ(CountAllSet(), 336);
}

std::vector<std::string> resolved;
void* RecordingResolver(const char* name) {
  resolved.emplace_back(name);
  return dlsym(LibGL(), name);
}
void* RefusingResolver(const char*) { return nullptr; }

TEST_F(GLLoaderTest, ExtensionsLoadWithAContext) {
  test::TOffscreenVideo video;
  ASSERT_TRUE(video.Started()) << video.Error();
  SDL_Window* window = test::CreateGLWindow(16, 16);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  SDL_GLContext context = SDL_GL_CreateContext(window);
  ASSERT_NE(context, nullptr) << SDL_GetError();
  test::PinLoadedLibraries();
  ASSERT_TRUE(LoadOpenGL(kMesaGL));
  ASSERT_NE(glGetString(GL_VERSION), nullptr);

  // Through the library itself (the default resolver).
  EXPECT_TRUE(Load_GL_ARB_vertex_buffer_object());
  EXPECT_TRUE(Load_GL_EXT_bgra());
  EXPECT_TRUE(Load_GL_SGIS_generate_mipmap());
  EXPECT_TRUE(Load_GL_EXT_blend_func_separate());
  EXPECT_TRUE(Load_GL_EXT_draw_range_elements());
  EXPECT_EQ(CountAllSet(), 336 + 11 + 1 + 1);

  // The loaded pointers work: a buffer object round trip.
  GLuint buffer = 0;
  glGenBuffersARB(1, &buffer);
  EXPECT_NE(buffer, 0u);
  glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffer);
  const std::uint8_t bytes[4] = {1, 2, 3, 4};
  glBufferDataARB(GL_ARRAY_BUFFER_ARB, sizeof bytes, bytes, GL_STATIC_DRAW_ARB);
  void* mapped = glMapBufferARB(GL_ARRAY_BUFFER_ARB, GL_READ_WRITE_ARB);
  EXPECT_TRUE(mapped && std::memcmp(mapped, bytes, sizeof bytes) == 0);
  EXPECT_TRUE(glUnmapBufferARB(GL_ARRAY_BUFFER_ARB));
  glDeleteBuffersARB(1, &buffer);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  // An installed resolver is asked for every entry point of the extension.
  resolved.clear();
  SetGLProcResolver(RecordingResolver);
  EXPECT_TRUE(Load_GL_EXT_blend_func_separate());
  EXPECT_EQ(resolved, std::vector<std::string>{"glBlendFuncSeparateEXT"});

  // A resolver that finds nothing: listed extensions with entry points are
  // refused and leave their pointers cleared; those without still load.
  EXPECT_EQ(SetGLProcResolver(RefusingResolver), &RecordingResolver);
  EXPECT_FALSE(Load_GL_ARB_vertex_buffer_object());
  EXPECT_FALSE(Load_GL_EXT_blend_func_separate());
  EXPECT_FALSE(Load_GL_EXT_draw_range_elements());
  EXPECT_TRUE(Load_GL_EXT_bgra());
  EXPECT_TRUE(Load_GL_SGIS_generate_mipmap());
  EXPECT_EQ(CountAllSet(), 336);

  FreeOpenGL();
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
}

}  // namespace
}  // namespace corvane
