// The applet's window, its size and place, the screen modes (windowed, full
// screen, letterboxed auto-scaling) and the choice of rendering device.
#include <algorithm>
#include <cmath>
#include <limits>

#include "base/geometry/point_rect_persistent.h"
#include "base/geometry/rect_math.h"
#include "base/lists/wide_string_list.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "gui/gui_object.h"
#include "platform/device.h"
#include "platform/platform.h"
#include "platform/window.h"

namespace corvane {

namespace {

TPlatform* ThePlatform() { return Engine ? Engine->Platform() : nullptr; }
bool EngineEmbedded() { return Engine && Engine->Embedded(); }

std::int32_t Trunc(double value) {
  if (!std::isfinite(value)) return 0;
  return static_cast<std::int32_t>(std::clamp(std::trunc(value), -2147483648.0, 2147483647.0));
}

std::int32_t Round(double value) {
  if (!std::isfinite(value)) return 0;
  return static_cast<std::int32_t>(std::clamp(std::nearbyint(value), -2147483648.0, 2147483647.0));
}

// The window's size and its drawing size.
void SizeWindow(TWindow* window, std::int32_t width, std::int32_t height) {
  window->SetClientSize(width, height);
  window->BufferWidth = width;
  window->BufferHeight = height;
}

}  // namespace

// ------------------------------------------------------------------ window

namespace {

// No host window goes beyond this many pixels a side, nor this far from
// the screen's origin: X11 keeps both in 16 bits and wraps what lies
// beyond (-100000 becomes 31072).
constexpr std::int32_t kMostWindowSide = 32767;

// A position within the host's reach; one beyond it is bounded, with a line.
std::int32_t BoundedPosition(std::int32_t value) {
  const std::int32_t bounded = std::clamp(value, -kMostWindowSide, kMostWindowSide);
  if (bounded != value)
    EngineError(u"Window position " + IntToStr(value) + u" bounded to " + IntToStr(bounded));
  return bounded;
}

}  // namespace

void Applet::CreateWindow() {
  TPlatform* platform = ThePlatform();
  if (!platform || window_) return;
  window_ = platform->CreateWindow(this, ClassName() + "Wnd", left_, top_, Trunc(width_ * double{scale_}),
                                   Trunc(height_ * double{scale_}), style_);
}

void Applet::DestroyWindow() {
  TWindow* window = window_;
  if (!window) return;
  window_ = nullptr;
  // The platform destroys what it made; without one the window is ours.
  if (TPlatform* platform = ThePlatform()) platform->DestroyWindow(window);
  else window->Free();
}

void Applet::UpdateWindowState() {
  if (!window_) return;
  window_->Place = place_;
  window_->Caption = title_;
  if (TPlatform* platform = ThePlatform()) platform->UpdateWindowState(window_);
}

void Applet::UpdateWindow() {
  TPlatform* platform = ThePlatform();
  if (!device_ || !window_ || !platform) return;
  if (style_ != layerStyle) {
    platform->UpdateWindow(window_, 0, 0);
    return;
  }
  if (updateCount_ <= 0) return;
  updateCount_ = 0;
  const TRect r = GetUpdateRect();
  platform->UpdateWindow(window_, std::max(r.right, 0.0f) * scale_, std::max(r.bottom, 0.0f) * scale_);
}

void Applet::UpdateApplet() {
  if (!device_ || !window_) return;
  if (!fullScreen_) {
    left_ = window_->Left;
    top_ = window_->Top;
    if (style_ != layerStyle) {
      const std::int32_t w = Trunc(window_->Width / double{scale_});
      const std::int32_t h = Trunc(window_->Height / double{scale_});
      if (w != width_ || h != height_) {
        width_ = w;
        height_ = h;
        RecalcAbsolute();
      }
      EngineLog(IntToStr(left_) + u":" + IntToStr(top_));
    }
    SaveWindow();
  }
  if (auto* console = dynamic_cast<GuiObject*>(console_.Get())) console->SetBoundsRect(GetConsoleRect());
}

void Applet::SaveWindow() {
  savedScale_ = scale_;
  if (!window_) return;
  savedTop_ = window_->Top;
  savedLeft_ = window_->Left;
  savedWidth_ = window_->Width;
  savedHeight_ = window_->Height;
}

std::int32_t Applet::DrawOffsetX() const { return window_ ? window_->DrawOffsetX : 0; }
std::int32_t Applet::DrawOffsetY() const { return window_ ? window_->DrawOffsetY : 0; }

TRect Applet::GuiClientRect() const {
  const float scale = scale_ > 0 ? scale_ : 1.0f;
  const float mx = static_cast<float>(DrawOffsetX()) / scale;
  const float my = static_cast<float>(DrawOffsetY()) / scale;
  return {-mx, -my, static_cast<float>(width_) + mx, static_cast<float>(height_) + my};
}

void Applet::ReAlign() {
  const TRect r = GuiClientRect();
  RealignGui(r.left, r.top, r.right, r.bottom, prevWidth_, prevHeight_, count(),
             [this](std::int32_t i) { return children(i); });
}

void Applet::RecalcAbsolute() {
  Container::RecalcAbsolute();
  ReAlign();
}

void Applet::AddUpdateRect(const TRect&) { ++updateCount_; }

void Applet::NeedUpdate() { AddUpdateRect({0, 0, 1, 1}); }

TRect Applet::GetUpdateRect() {
  TRect result = Container::GetUpdateRect();
  if (!window_) return result;
  const TRect& c = window_->ClientRect;
  return UnionRect(result, {c.left * scale_, c.top * scale_, c.right * scale_, c.bottom * scale_});
}

// -------------------------------------------------------- size and place

void Applet::ApplyWindowSize() {
  if (TPlatform* platform = ThePlatform(); platform && window_)
    platform->ResizeWindow(window_, Trunc(width_ * double{scale_}), Trunc(height_ * double{scale_}));
}

void Applet::SetLeft(std::int32_t value) {
  if (EngineEmbedded()) return;
  left_ = BoundedPosition(value);
  if (TPlatform* platform = ThePlatform(); platform && window_) platform->ReposWindow(window_, left_, top_);
}

void Applet::SetTop(std::int32_t value) {
  if (EngineEmbedded()) return;
  top_ = BoundedPosition(value);
  if (TPlatform* platform = ThePlatform(); platform && window_) platform->ReposWindow(window_, left_, top_);
}

void Applet::SetWidth(std::int32_t value) {
  if ((EngineEmbedded() && !autoSize_) || value == width_) return;
  // No window is narrower than a pixel: the size it would get is not this.
  if (value < 1) {
    EngineError(u"Incorrect width " + IntToStr(value));
    return;
  }
  prevWidth_ = static_cast<float>(width_);
  width_ = value;
  ReAlign();
  ApplyWindowSize();
}

void Applet::SetHeight(std::int32_t value) {
  if ((EngineEmbedded() && !autoSize_) || value == height_) return;
  if (value < 1) {
    EngineError(u"Incorrect height " + IntToStr(value));
    return;
  }
  prevHeight_ = static_cast<float>(height_);
  height_ = value;
  ReAlign();
  ApplyWindowSize();
}

void Applet::SetTitle(const std::u16string& value) {
  title_ = value;
  UpdateWindowState();
}

void Applet::SetPlace(TWindowPlace value) {
  place_ = value;
  UpdateWindowState();
}

void Applet::SetWindowStyle(TWindowStyle value) {
  style_ = value > layerStyle ? systemStyle : value;
  if (!window_) return;
  window_->Style = style_;
  if (TPlatform* platform = ThePlatform()) platform->ApplyWindowStyle(window_);
}

void Applet::SetScale(float value) {
  // A scale of 0 or less (or no number) would divide every mouse position
  // by nothing.
  // Nor may it make the window smaller than a pixel or larger than any
  // host draws: the window's size, read back, would overwrite the applet's.
  const double w = width_ * double{value}, h = height_ * double{value};
  if (!(value > 0.0f) || !std::isfinite(value) || w < 1 || h < 1 || w > kMostWindowSide || h > kMostWindowSide) {
    EngineError(u"Incorrect scale " + FloatToStr(value));
    return;
  }
  scale_ = value;
  if (!device_) return;
  ApplyWindowSize();
  device_->RebuildStates();
}

void Applet::SetAutoScaleSizeX(std::int32_t value) {
  if (value <= 0) {
    EngineError(u"Incorrect autoScaleSizeX " + IntToStr(value));
    return;
  }
  autoScaleSizeX_ = value;
}

void Applet::SetAutoScaleSizeY(std::int32_t value) {
  if (value <= 0) {
    EngineError(u"Incorrect autoScaleSizeY " + IntToStr(value));
    return;
  }
  autoScaleSizeY_ = value;
}

// ------------------------------------------------------------ screen modes

void Applet::SetFullScreen(bool value) {
  if (HasState(csLoading)) {
    hasPendingFullScreen_ = true;
    pendingFullScreen_ = value;
    return;
  }
  if (value == fullScreen_) return;
  if (value) SaveWindow();
  fullScreen_ = value;
  UpdateScreenMode();
}

void Applet::SetScreenMode(const std::u16string& name) {
  if (name == screenMode_) return;
  screenMode_ = name;
  EngineLog(u"set screnMode " + name);
  const int index = screenModes_ ? screenModes_->IndexOf(name) : -1;
  if (index < 0) return;
  SetScreenModeIndex(index);
  UpdateScreenMode();
}

void Applet::SetScreenModeIndex(std::int32_t index) {
  EngineLog(u"set screenModeIndex " + IntToStr(index));
  if (!screenModes_ || index < 0 || index >= screenModes_->Count()) {
    EngineError(u"Screen mode index " + IntToStr(index) + u" out of range");
    return;
  }
  const bool changed = index != screenModeIndex_;
  screenModeIndex_ = index;
  screenMode_ = screenModes_->Strings(index);
  if (!HasState(csLoading) && fullScreen_ && changed) UpdateScreenMode();
}

void Applet::UpdateScreenMode() {
  // Not while the applet is being read: the window's saved rectangle is
  // only taken once it stands.
  if (!device_ || !window_ || HasState(csLoading)) return;
  const double sw = device_->GetScreenWidth(screenModeIndex_);
  const double sh = device_->GetScreenHeight(screenModeIndex_);
  std::int32_t offsetX = 0;
  std::int32_t offsetY = 0;
  if (!autoScale_) {
    if (!fullScreen_) {
      width_ = Trunc(savedWidth_ / double{scale_});
      height_ = Trunc(savedHeight_ / double{scale_});
    } else if (sw > 0 && sh > 0) {
      width_ = Trunc(sw / scale_);
      height_ = Trunc(sh / scale_);
    }
    RecalcAbsolute();
    if (auto* console = dynamic_cast<GuiObject*>(console_.Get())) console->SetBoundsRect(GetConsoleRect());
    SizeWindow(window_, Trunc(width_ * double{scale_}), Trunc(height_ * double{scale_}));
  } else if (!fullScreen_) {
    scale_ = savedScale_;
    SizeWindow(window_, Trunc(width_ * double{scale_}), Trunc(height_ * double{scale_}));
  } else if (sw > 0 && sh > 0) {
    // Letterboxing: the whole game area at the largest scale that fits,
    // centred.
    const double fx = sw / autoScaleSizeX_;
    const double fy = sh / autoScaleSizeY_;
    scale_ = static_cast<float>(std::min(fx, fy));
    SizeWindow(window_, Trunc(width_ * fx), Trunc(height_ * fy));
    offsetX = Round((window_->Width - autoScaleSizeX_ * double{scale_}) / 2.0);
    offsetY = Round((window_->Height - autoScaleSizeY_ * double{scale_}) / 2.0);
  } else {
    // The mode's size reads 0: no scale can be taken from it.
    offsetX = window_->DrawOffsetX;
    offsetY = window_->DrawOffsetY;
  }
  window_->DrawOffsetX = offsetX;
  window_->DrawOffsetY = offsetY;
  if (screenModes_ && screenModeIndex_ >= 0 && screenModeIndex_ < screenModes_->Count())
    screenMode_ = screenModes_->Strings(screenModeIndex_);
  TWeak<Applet> self(this);
  device_->FullScreen(fullScreen_, screenModeIndex_);
  if (!self.Get() || !window_) return;
  EngineLog(FloatToStr(static_cast<float>(window_->Width)) + u"x" + FloatToStr(static_cast<float>(window_->Height)) +
            u":" + FloatToStr(static_cast<float>(window_->BufferWidth)) + u"x" +
            FloatToStr(static_cast<float>(window_->BufferHeight)));
  if (!fullScreen_)
    if (TPlatform* platform = ThePlatform()) {
      platform->ReposWindow(window_, savedLeft_, savedTop_);
      platform->ResizeWindow(window_, window_->Width, window_->Height);
    }
  RecalcAbsolute();
}

// ----------------------------------------------------------------- devices

std::int32_t Applet::DeviceCount() const { return static_cast<std::int32_t>(DeviceList().size()); }

void Applet::SetDeviceIndex(std::int32_t index) {
  if (index == deviceIndex_ || index < 0 || index >= DeviceCount() || !window_) return;
  ApplyDevice(index);
}

void Applet::ApplyDevice(std::int32_t index) {
  const TDeviceClass& deviceClass = DeviceList()[static_cast<std::size_t>(index)];
  TDevice* device = device_ ? TDevice::CloneDevice(device_, deviceClass) : CreateDevice(deviceClass, window_);
  device_ = device;
  if (!device) return;
  deviceIndex_ = index;
  if (defaultPixmap_) device->DefaultPixmap = defaultPixmap_;
  screenModes_->Clear();
  screenModes_->AddStrings(device->ScreenModes);
  screenModeIndex_ = device->ScreenModeIndex;
}

void Applet::SetDeviceName(const std::u16string& name) {
  if (HasState(csLoading)) {
    hasPendingDeviceName_ = true;
    pendingDeviceName_ = name;
    return;
  }
  if (name == deviceName_) return;
  deviceName_ = name;
  for (std::int32_t i = 0; i < DeviceCount(); ++i) {
    const TDeviceClass& entry = DeviceList()[static_cast<std::size_t>(i)];
    if (entry.Name && SameText(entry.Name(), name)) {
      SetDeviceIndex(i);
      return;
    }
  }
}

}  // namespace corvane
