// The program: registers every subsystem's classes, makes the one engine
// (whose start-up reads the command line and launches the applet), runs the
// main loop until the applet ends, and frees the engine. The host is SDL
// with the OpenGL device; should the platform not come up, nothing can run:
// the engine logs why and the exit status is 1.
#include "base/class_registry.h"
#include "base/file_utils.h"
#include "engine/engine.h"
#include "engine/register.h"
#include "platform/register.h"
#include "platform/sdl/ogl_device.h"
#include "platform/sdl/platform_sdl.h"
#include "resources/embedded_defaults.h"
#include "resources/embedded_res_man.h"
#include "resources/register.h"
#include "scene/register.h"

int main(int argc, char** argv) {
  using namespace corvane;
  SetCommandLine(argc, argv);
  RegisterEngineClasses();
  RegisterSceneClasses();
  RegisterResourceServices();
  RegisterEmbeddedDefaults();
  RegisterPlatformClasses();
  RegisterSDLPlatform();
  RegisterGLDevice();

  auto* engine = Create<SomeEngine>();
  const bool runnable = engine->Platform() != nullptr;
  if (runnable) engine->Run();
  engine->Free();
  ClearEmbeddedResources();
  FinalizeClassRegistry();
  return runnable ? 0 : 1;
}
