#include "scene/pixmap_persistent.h"

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/class_builder.h"
#include "base/text/text_convert.h"
#include "engine/core/engine_services.h"
#include "platform/device.h"
#include "resources/cache/cache.h"
#include "engine/core/applet_services.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TPixmapPersistent)

void TPixmapPersistent::Describe(TClassBuilder<TPixmapPersistent>& c) {
  // A picture has no frames: both read as constants, and the setters do
  // nothing (scripts may write them without effect).
  c.Property("animated", [](const TPixmapPersistent&) { return false; }, [](TPixmapPersistent&, bool) {})
      .Default(false)
      .Stored(false);
  c.Property("keyCount", [](const TPixmapPersistent&) { return std::int32_t{0}; },
             [](TPixmapPersistent&, std::int32_t) {})
      .Default(0)
      .Stored(false);
  c.Property("rect", &TPixmapPersistent::Rect, &TPixmapPersistent::SetRect);
  c.Property("margins", &TPixmapPersistent::Margins, &TPixmapPersistent::SetMargins);
  c.Property("offset", &TPixmapPersistent::Offset, &TPixmapPersistent::SetOffset);
  c.Property("fileName", &TPixmapPersistent::FileName, &TPixmapPersistent::SetFileName).Stored(false);
  c.Property("tile", &TPixmapPersistent::Tile, &TPixmapPersistent::SetTile).Default(false);
  c.Property("src", &TPixmapPersistent::FileName, &TPixmapPersistent::SetFileName);
  c.Property("useDefault", &TPixmapPersistent::UseDefault, &TPixmapPersistent::SetUseDefault).Default(true);
  c.Method("empty", &TPixmapPersistent::empty);
  c.Method("width", &TPixmapPersistent::width);
  c.Method("height", &TPixmapPersistent::height);
}

TPixmapPersistent::TPixmapPersistent(const TCreateContext& context)
    : TSomePersistent(context),
      applet_(context.Owner),
      margins_(Create<TRectPersistent>(TCreateContext(context.Owner))),
      rect_(Create<TRectPersistent>(TCreateContext(context.Owner))),
      offset_(Create<TPointPersistent>(TCreateContext(context.Owner))) {}

TPixmapPersistent::~TPixmapPersistent() {
  FreeAndNil(offset_);
  FreeAndNil(rect_);
  FreeAndNil(margins_);
  Release();
}

TAppletServices* TPixmapPersistent::Applet() const { return applet_.Get(); }

// The picture lives in the applet's cache: gone with the applet.
TPixmap* TPixmapPersistent::Loaded() const { return Applet() ? pixmap_ : nullptr; }

void TPixmapPersistent::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TPixmapPersistent*>(source);
  if (!other) {
    TSomePersistent::Assign(source);
    return;
  }
  if (other == this) return;
  SetFileName(other->fileName_);
  rect_->Assign(other->rect_);
  margins_->Assign(other->margins_);
  offset_->Assign(other->offset_);
  tile_ = other->tile_;
  useDefault_ = other->useDefault_;
}

std::string TPixmapPersistent::LoadName(const std::string& name) {
  const std::size_t at = name.find("_pixmap");
  if (at == std::string::npos) return name;
  return name.substr(0, at) + ".pixmap";
}

void TPixmapPersistent::Release() {
  if (!pixmap_) return;
  TPixmap* pixmap = pixmap_;
  pixmap_ = nullptr;
  TAppletServices* applet = Applet();
  if (TCache* cache = applet ? applet->Cache() : nullptr) cache->FreePixmap(pixmap);
}

void TPixmapPersistent::SetFileName(const std::string& name) {
  if (name == fileName_) return;
  fileName_ = name;
  // The previous picture goes back first: a holder keeps one reference.
  Release();
  if (name.empty()) return;
  TAppletServices* applet = Applet();
  TCache* cache = applet ? applet->Cache() : nullptr;
  if (!cache) return;
  TEngineServices* engine = RunningEngine();
  TResourceMan* resMan = nullptr;
  if (name.find("_pixmap") != std::string::npos) resMan = engine ? engine->EmbeddedResMan() : nullptr;
  else if (name.find(':') != std::string::npos) resMan = engine ? engine->ExternalResMan() : nullptr;
  else resMan = applet->ResMan();
  if (!resMan) return;
  pixmap_ = cache->LoadPixmap(resMan, WidenLatin1(LoadName(name)));
}

void TPixmapPersistent::SetRect(TRectPersistent* value) {
  if (value && value != rect_) rect_->Assign(value);
}

void TPixmapPersistent::SetMargins(TRectPersistent* value) {
  if (value && value != margins_) margins_->Assign(value);
}

void TPixmapPersistent::SetOffset(TPointPersistent* value) {
  if (value && value != offset_) offset_->Assign(value);
}

TPixmap* TPixmapPersistent::Pixmap() const {
  if (TPixmap* loaded = Loaded()) return loaded;
  if (!useDefault_) return nullptr;
  TAppletServices* applet = Applet();
  return applet ? applet->DefaultPixmap() : nullptr;
}

bool TPixmapPersistent::empty() const {
  if (const TPixmap* loaded = Loaded(); loaded && loaded->Width > 0) return false;
  return !useDefault_;
}

std::int32_t TPixmapPersistent::width() const {
  const TPixmap* pixmap = empty() ? nullptr : Pixmap();
  return pixmap ? pixmap->Width : 0;
}

std::int32_t TPixmapPersistent::height() const {
  const TPixmap* pixmap = empty() ? nullptr : Pixmap();
  return pixmap ? pixmap->Height : 0;
}

TPixmap* TPixmapPersistent::Drawable() const {
  TPixmap* pixmap = empty() ? nullptr : Pixmap();
  return pixmap && pixmap->Width > 0 && pixmap->Height > 0 && pixmap->Drawable() ? pixmap : nullptr;
}

bool TPixmapPersistent::Apply() {
  TPixmap* pixmap = Drawable();
  TAppletServices* applet = pixmap ? Applet() : nullptr;
  TDevice* device = applet ? applet->Device() : nullptr;
  if (!device) return false;
  if (rect_->empty()) {
    matrixApplied_ = false;
    device->SetTextureMatrix(IdentityPlaneMatrix);
  } else {
    matrixApplied_ = true;
    const float w = static_cast<float>(pixmap->Width), h = static_cast<float>(pixmap->Height);
    TPlaneMatrix m = IdentityPlaneMatrix;
    m[0].x = rect_->Width() / w;
    m[1].y = rect_->Height() / h;
    m[2].x = (rect_->Left() + offset_->x) / w;
    m[2].y = (rect_->Top() + offset_->y) / h;
    device->SetTextureMatrix(m);
  }
  device->SetPixmap(0, pixmap);
  device->SetRenderState(rsTexLinear);
  device->SetRenderState(rsTexModulate);
  return true;
}

void TPixmapPersistent::Unapply() {
  if (!matrixApplied_ || !Drawable()) return;
  matrixApplied_ = false;
  TAppletServices* applet = Applet();
  if (TDevice* device = applet ? applet->Device() : nullptr) device->SetTextureMatrix(IdentityPlaneMatrix);
}

void TPixmapPersistent::Draw(const TRect& rect) {
  TPixmap* pixmap = Drawable();
  TAppletServices* applet = pixmap ? Applet() : nullptr;
  TDevice* device = applet ? applet->Device() : nullptr;
  if (!device) return;
  Apply();
  const bool sliced = !margins_->marginEmpty();
  const TRect margins = margins_->GetRect();
  if (tile_) {
    if (sliced) device->DrawPixmapMarginsTile(pixmap, rect, margins);
    else device->DrawPixmapTile(pixmap, rect);
  } else {
    if (sliced) device->DrawPixmapMargins(pixmap, rect, margins);
    else device->DrawPixmap(pixmap, rect);
  }
  Unapply();
}

}  // namespace corvane
