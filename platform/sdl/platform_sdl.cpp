#include "platform/sdl/platform_sdl.h"

#include <SDL.h>

#include <cstdio>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/system/log_target.h"
#include "base/system/user_data.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "platform/device.h"
#include "platform/low_event.h"
#include "platform/sdl/gl_functions.h"
#include "platform/sdl/gl_loader.h"
#include "platform/window.h"
#include "platform/window_host.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TPlatformSDL)

namespace {

static_assert(SDL_NUM_SCANCODES == 512, "the per-key characters are sized for SDL's scancodes");

std::u16string SDLError() { return Utf8ToUtf16(SDL_GetError()); }

// GL_MAX_RENDERBUFFER_SIZE, which the OpenGL 1.x headers may lack.
constexpr GLenum kGLMaxRenderbufferSize = 0x84E8;

}  // namespace

void SetGLAttributes(int depthBits) {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
  // The device draws with the fixed-function pipeline, which a core
  // profile does not have.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

TPlatformSDL::TPlatformSDL(const TCreateContext& context) : TPlatform(context), start_(std::chrono::steady_clock::now()) {}

void TPlatformSDL::AfterConstruction() {
  TPlatform::AfterConstruction();
  // SDL turns SIGINT and SIGTERM into SDL_QUIT once its events run.
  if (SDL_InitSubSystem(SDL_INIT_EVENTS) == 0) {
    eventsStarted_ = true;
  } else {
    EngineError(u"SDL events could not start: " + SDLError());
  }
  EngineLog(u"Platrorm started " + Utf8ToUtf16(ClassName()));
}

void TPlatformSDL::BeforeDestruction() {
  EngineLog(u"Platrorm finished " + Utf8ToUtf16(ClassName()));
  // A window nobody destroyed stays its owner's; only its host window goes.
  if (TWindow* window = CurrentWindow()) CloseHostWindow(window);
  if (videoStarted_) {
    SetGLProcResolver(nullptr);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  if (eventsStarted_) SDL_QuitSubSystem(SDL_INIT_EVENTS);
  videoStarted_ = eventsStarted_ = false;
  TPlatform::BeforeDestruction();
}

void TPlatformSDL::WriteLn(const std::u16string& text) {
  const std::string line = Utf16ToUtf8(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

double TPlatformSDL::GetCurrentTime() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void TPlatformSDL::Sleep(std::int32_t milliseconds) {
  if (milliseconds > 0) SDL_Delay(static_cast<Uint32>(milliseconds));
}

bool TPlatformSDL::StartVideo() {
  if (videoStarted_) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    EngineError(u"SDL could not start: " + SDLError());
    return false;
  }
  videoStarted_ = true;
  // The device's optional OpenGL extensions are looked up through SDL,
  // which knows the context's own loader (GLX or EGL).
  SetGLProcResolver(&SDL_GL_GetProcAddress);
  return true;
}

TWindowLimit TPlatformSDL::WindowLimit(const TWindow* window, std::int32_t left, std::int32_t top) const {
  TWindowLimit limit;
  if (videoStarted_) {
    const SDL_Point point{left, top};
    SDL_Window* host = SDLWindowOf(window);
    int display = host != nullptr ? SDL_GetWindowDisplayIndex(host) : SDL_GetPointDisplayIndex(&point);
    if (display < 0) display = 0;
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(display, &bounds) == 0 && bounds.w > 0 && bounds.h > 0) limit = {bounds.w, bounds.h};
  }
  if (SDL_GL_GetCurrentContext() != nullptr && glGetIntegerv != nullptr && glGetString != nullptr) {
    const auto narrow = [](std::int32_t& side, GLint most) {
      if (most > 0 && (side <= 0 || most < side)) side = most;
    };
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    narrow(limit.Width, viewport[0]);
    narrow(limit.Height, viewport[1]);
    // Renderbuffers came with OpenGL 3.0; an older context would only take
    // the question as an error.
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version != nullptr && version[0] >= '3' && version[0] <= '9') {
      GLint renderbuffer = 0;
      glGetIntegerv(kGLMaxRenderbufferSize, &renderbuffer);
      narrow(limit.Width, renderbuffer);
      narrow(limit.Height, renderbuffer);
    }
  }
  return limit;
}

TWindow* TPlatformSDL::CreateWindow(TWindowHost* root, const std::string& className, std::int32_t left, std::int32_t top,
                                    std::int32_t width, std::int32_t height, TWindowStyle style) {
  if (!StartVideo()) return nullptr;
  BoundWindowSize(width, height, WindowLimit(nullptr, left, top));
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  if (style != systemStyle) flags |= SDL_WINDOW_BORDERLESS;
  // "At least 16 bits of depth, the largest preferred".
  SetGLAttributes(24);
  SDL_Window* host = SDL_CreateWindow("", left, top, width, height, flags);
  if (host == nullptr) {
    SetGLAttributes(16);
    host = SDL_CreateWindow("", left, top, width, height, flags);
  }
  if (host == nullptr) {
    EngineError(u"SDL could not open a window: " + SDLError());
    return nullptr;
  }

  TWindow* window = Create<TWindow>(TCreateContext(root ? root->HostObject() : nullptr));
  window->SetClientSize(width, height);
  window->BufferWidth = width;
  window->BufferHeight = height;
  window->Root = root;
  window->Style = style;
  window->Handle = host;
  // Where the window stands from the start: the applet takes its left and
  // top from here whenever the window changes, and would otherwise store
  // 0, 0 until the user first moves the window.
  window->Left = left;
  window->Top = top;
  ApplyStyle(window, host);
  if (window->Style == systemStyle) {
    int borderTop = 0, borderLeft = 0, borderBottom = 0, borderRight = 0;
    if (SDL_GetWindowBordersSize(host, &borderTop, &borderLeft, &borderBottom, &borderRight) == 0) {
      FrameWidth = borderLeft + borderRight;
      FrameHeight = borderTop + borderBottom;
    }
    EngineLog(IntToStr(FrameWidth) + u":" + IntToStr(FrameHeight));
  }

  currentWindow_ = window;
  closeQueued_ = false;
  keyChars_.fill(0);
  buttons_ = 0;
  warpPending_ = false;
  cursorHidden_ = false;
  ResizeWindow(window, width, height);
  return window;
}

void TPlatformSDL::CloseHostWindow(TWindow* window) {
  if (window == CurrentWindow()) {
    currentWindow_.Reset();
    if (SDL_GetRelativeMouseMode()) SDL_SetRelativeMouseMode(SDL_FALSE);
    if (cursorHidden_) SDL_ShowCursor(SDL_ENABLE);
    cursorHidden_ = false;
  }
  if (window->Handle == nullptr) return;
  SDL_DestroyWindow(static_cast<SDL_Window*>(window->Handle));
  window->Handle = nullptr;
  EngineLog(u"Window destroyed");
}

void TPlatformSDL::DestroyWindow(TWindow* window) {
  if (window == nullptr) return;
  CloseHostWindow(window);
  window->Free();
}

void TPlatformSDL::ApplyStyle(TWindow* window, SDL_Window* host) {
  if (window->Style == layerStyle) {
    // A layered window renders into a buffer that no window shows; on
    // this host it becomes an ordinary borderless window.
    window->Style = maskStyle;
    EngineLog(u"layerStyle is not supported: the window is shown in maskStyle");
    if (TWindowHost* host = window->Root; host != nullptr && host->WindowStyle() == layerStyle) {
      host->SetWindowStyle(maskStyle);
    }
  }
  SDL_SetWindowBordered(host, window->Style == systemStyle ? SDL_TRUE : SDL_FALSE);
}

void TPlatformSDL::ApplyWindowStyle(TWindow* window) {
  if (window == nullptr || window->Handle == nullptr) return;
  ApplyStyle(window, static_cast<SDL_Window*>(window->Handle));
}

void TPlatformSDL::ShowWindow(TWindow* window) {
  if (SDL_Window* host = SDLWindowOf(window)) SDL_ShowWindow(host);
}

void TPlatformSDL::ResizeWindow(TWindow* window, std::int32_t width, std::int32_t height) {
  if (window == nullptr) return;
  if (width > 0) {
    BoundWindowSize(width, height, WindowLimit(window));
    if (SDL_Window* host = SDLWindowOf(window)) SDL_SetWindowSize(host, width, height);
    window->SetClientSize(width, height);
  }
  window->BufferWidth = window->Width;
  window->BufferHeight = window->Height;
  if (TWindowHost* host = window->Root) {
    host->UpdateApplet();
    if (TDevice* device = host->Device()) device->ResizeDevice();
  }
}

void TPlatformSDL::ReposWindow(TWindow* window, std::int32_t left, std::int32_t top) {
  if (window == nullptr) return;
  if (SDL_Window* host = SDLWindowOf(window)) SDL_SetWindowPosition(host, left, top);
  window->Left = left;
  window->Top = top;
}

void TPlatformSDL::UpdateWindowState(TWindow* window) {
  if (SDL_Window* host = SDLWindowOf(window)) SDL_SetWindowTitle(host, Utf16ToUtf8(window->Caption).c_str());
}

void TPlatformSDL::UpdateWindow(TWindow* window, float, float) {
  if (window == nullptr || window->Root == nullptr || window->Style == layerStyle) return;
  if (TDevice* device = window->Root->Device()) device->RenderWindow();
}

void TPlatformSDL::Warp(TWindow* window, std::int32_t x, std::int32_t y) {
  SDL_Window* host = SDLWindowOf(window);
  if (host == nullptr) return;
  int nowX = 0, nowY = 0;
  SDL_GetMouseState(&nowX, &nowY);
  // A warp to where the pointer already is moves nothing and reports
  // nothing.
  warpPending_ = SDL_GetMouseFocus() != host || nowX != x || nowY != y;
  warpX_ = x;
  warpY_ = y;
  SDL_WarpMouseInWindow(host, x, y);
}

void TPlatformSDL::AcquireMouse(TWindow* window) {
  if (window == nullptr) return;
  if (window->AcquireCount <= 0) {
    window->AcquireCount = 0;
    Warp(window, window->Width / 2, window->Height / 2);
    // Without relative mode (a driver that has none) each move warps the
    // cursor back to the centre instead.
    if (window->Handle != nullptr) SDL_SetRelativeMouseMode(SDL_TRUE);
  }
  ++window->AcquireCount;
  UpdateCursor();
}

void TPlatformSDL::AcquireDisable(TWindow* window) {
  if (window == nullptr || window->AcquireCount <= 0) return;
  if (--window->AcquireCount == 0 && window->Handle != nullptr) SDL_SetRelativeMouseMode(SDL_FALSE);
  UpdateCursor();
}

std::u16string TPlatformSDL::GetAppDataFolder() { return Utf8ToUtf16(UserDataFolder()); }

void TPlatformSDL::UpdateCursor() {
  TWindow* window = CurrentWindow();
  bool hide = false;
  if (window != nullptr && window->Handle != nullptr) {
    hide = window->AcquireCount > 0 || (window->Root != nullptr && window->Root->DrawsOwnCursor());
  }
  if (hide == cursorHidden_) return;
  cursorHidden_ = hide;
  SDL_ShowCursor(hide ? SDL_DISABLE : SDL_ENABLE);
}

void TPlatformSDL::Queue(std::unique_ptr<TLowEvent> event) {
  TWindow* window = CurrentWindow();
  TWindowHost* host = window ? window->Root : nullptr;
  if (host != nullptr && host->CanQueueEvents()) host->QueueEvent(std::move(event));
}

void TPlatformSDL::RequestClose() {
  TWindow* window = CurrentWindow();
  if (window == nullptr || window->Root == nullptr || !window->Root->CanQueueEvents()) {
    quitPending_ = true;
    return;
  }
  quitPending_ = false;
  if (closeQueued_) return;
  closeQueued_ = true;
  Queue(std::make_unique<TActionEvent>(evActionEvent, window, aeDeactivate));
  Queue(std::make_unique<TActionEvent>(evActionEvent, window, aeCloseWindow));
}

SDL_Window* SDLWindowOf(const TWindow* window) {
  return window ? static_cast<SDL_Window*>(window->Handle) : nullptr;
}

void RegisterSDLPlatform() {
  PlatformClass = TPlatformSDL::StaticClass();
  if (GetClass(TPlatformSDL::StaticClass()->Name()) != PlatformClass) RegisterClass(PlatformClass);
}

}  // namespace corvane
