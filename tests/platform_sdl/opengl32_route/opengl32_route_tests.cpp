// OpenGL loaded through the engine's library loader: a name with "_lib" in
// it loads "opengl32", i.e. libopengl32.so in this executable's folder (the
// stand-in built beside it, which forwards to the system's libGL). The
// case without the file is in gl_loader_test.cpp, whose folder has none.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/system/file_utils.h"
#include "platform/sdl/gl_loader.h"
#include "resources/library_loader.h"
#include "tests/platform_sdl/gl_harness.h"
#include "tests/support/kit/test_world.h"

namespace corvane::test {
namespace {

TEST(EngineLoadedOpenGL, ANameWithLibLoadsOpengl32BesideTheExecutableAndDrawsThroughIt) {
  TOffscreenVideo video;
  ASSERT_TRUE(video.Started()) << video.Error();
  SDL_Window* window = CreateGLWindow(8, 8);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  SDL_GLContext context = SDL_GL_CreateContext(window);
  ASSERT_NE(context, nullptr) << SDL_GetError();

  TTestWorld world;
  world.log.Clear();
  const std::string path = ExePath() + "libopengl32.so";
  ASSERT_EQ(LibraryFileName(kEngineLoadedOpenGL), path);
  // The name itself is never opened (no such file exists).
  ASSERT_TRUE(LoadOpenGL("no_such_lib.so")) << world.log.Text();
  PinLoadedLibraries();
  EXPECT_TRUE(SOLoader());
  EXPECT_NE(LibGL(), nullptr);
  EXPECT_EQ(world.log.Lines(), (std::vector<std::string>{"(i) Try to load library opengl32",
                                                         "(i) Library exists and try load shared library " + path,
                                                         "(i) Library " + path + " was loaded successul"}));

  // The entry points are what the stand-in gives: its own glClear, libGL's
  // others.
  void* standIn = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(standIn, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(glClear), dlsym(standIn, "glClear"));
  void* system = dlopen("libGL.so.1", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(system, nullptr);
  EXPECT_NE(reinterpret_cast<void*>(glClear), dlsym(system, "glClear"));
  EXPECT_EQ(reinterpret_cast<void*>(glReadPixels), dlsym(system, "glReadPixels"));
  dlclose(system);
  auto clears = reinterpret_cast<int (*)()>(dlsym(standIn, "corvane_opengl32_clears"));
  dlclose(standIn);
  ASSERT_NE(clears, nullptr);

  // They draw: the clear goes through the stand-in and reaches the picture.
  const int before = clears();
  glClearColor(0, 1, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_EQ(clears(), before + 1);
  std::uint32_t pixel = 0;
  glReadPixels(0, 0, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, &pixel);
  EXPECT_EQ(pixel, 0xFF00FF00u);
  // Extensions are looked up in the same library, through the same loader.
  SetGLProcResolver(nullptr);
  EXPECT_TRUE(Load_GL_ARB_vertex_buffer_object());
  EXPECT_NE(glGenBuffersARB, nullptr);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  FreeOpenGL();
  EXPECT_FALSE(SOLoader());
  EXPECT_EQ(LibGL(), nullptr);
  EXPECT_EQ(glClear, nullptr);
  EXPECT_EQ(glGenBuffersARB, nullptr);

  // The next load takes its own route: a plain name through the system's
  // loader, also straight after an engine-loaded library.
  ASSERT_TRUE(LoadOpenGL("no_such_lib.so"));
  world.log.Clear();
  ASSERT_TRUE(LoadOpenGL("libGL.so.1")) << world.log.Text();
  EXPECT_FALSE(SOLoader());
  EXPECT_EQ(reinterpret_cast<void*>(glClear), dlsym(LibGL(), "glClear"));
  EXPECT_TRUE(world.log.Lines().empty()) << world.log.Text();
  FreeOpenGL();

  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
}

}  // namespace
}  // namespace corvane::test
