// The program: registers every subsystem's classes, makes the one engine
// (whose start-up reads the command line and launches the applet), runs the
// main loop until the applet ends, and frees the engine. The host is SDL
// with the OpenGL device; sound plays on libbass.so, rigid bodies move on
// libnewton.so. The exit status is 0 when an applet ran and 1 when none
// could: the platform did not come up, or no applet could be launched (a
// missing path, a file that holds no applet, a damaged container, no
// display for its window); the log says why.
#include <malloc.h>

#include "base/reflection/class_registry.h"
#include "base/system/file_utils.h"
#include "engine/shell/engine.h"
#include "engine/shell/register.h"
#include "gui/register.h"
#include "platform/bass/sound_engine_bass.h"
#include "platform/filters/register.h"
#include "platform/register.h"
#include "platform/sdl/ogl_device.h"
#include "platform/sdl/platform_sdl.h"
#include "platform/sdl/sys_font_freetype.h"
#include "resources/cache/register.h"
#include "resources/embedded_defaults.h"
#include "resources/embedded_res_man.h"
#include "scene/newton/register.h"
#include "scene/particles/register.h"
#include "scene/register.h"
#ifdef CORVANE_WITH_JS
#include "script/js/register.h"
#endif

int main(int argc, char** argv) {
  using namespace corvane;
#ifdef __GLIBC__
  // Small blocks freed past the thread cache go straight back to the heap:
  // kept in glibc's fast bins, they were merged all over again each time a
  // freed object joined a large free run, a third of the time an applet of
  // a million objects took to end.
  mallopt(M_MXFAST, 0);
#endif
  SetCommandLine(argc, argv);
  RegisterEngineClasses();
  RegisterSceneClasses();
  RegisterGuiClasses();
  RegisterParticleClasses();
  RegisterResourceServices();
  RegisterEmbeddedDefaults();
  RegisterPlatformClasses();
  RegisterFilterClasses();
  RegisterSDLPlatform();
  RegisterGLDevice();
  RegisterFreeTypeSysFont();
  RegisterBassSoundEngine();
  RegisterNewtonEngine();
#ifdef CORVANE_WITH_JS
  RegisterJavaScriptEngine();
#endif

  auto* engine = Create<SomeEngine>();
  const bool ran = engine->Platform() != nullptr && engine->LaunchedApplet();
  if (engine->Platform() != nullptr) engine->Run();
  engine->Free();
  ClearEmbeddedResources();
  FinalizeClassRegistry();
  return ran ? 0 : 1;
}
