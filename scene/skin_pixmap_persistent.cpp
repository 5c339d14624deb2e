#include "scene/skin_pixmap_persistent.h"

#include "base/reflection/class_builder.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "scene/skin.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TSkinPixmapPersistent)

void TSkinPixmapPersistent::Describe(TClassBuilder<TSkinPixmapPersistent>& c) {
  c.Property("skin", &TSkinPixmapPersistent::GetSkin, &TSkinPixmapPersistent::SetSkin)
      .Stored(&TSkinPixmapPersistent::IsSkinStored);
  c.Property("objectName", &TSkinPixmapPersistent::ObjectName, &TSkinPixmapPersistent::SetObjectName);
}

TSkinPixmapPersistent::TSkinPixmapPersistent(const TCreateContext& context) : TPixmapPersistent(context) {
  TAppletServices* applet = Applet();
  skin_ = applet ? dynamic_cast<Skin*>(applet->DefaultSkin()) : nullptr;
  SetUseDefault(true);
}

TSkinPixmapPersistent::~TSkinPixmapPersistent() = default;

void TSkinPixmapPersistent::Assign(const TPersistent* source) {
  TPixmapPersistent::Assign(source);
  if (const auto* other = dynamic_cast<const TSkinPixmapPersistent*>(source); other && other != this) {
    skin_ = other->skin_;
    SetObjectName(other->objectName_);
  }
}

Skin* TSkinPixmapPersistent::GetSkin() const { return static_cast<Skin*>(skin_.Get()); }

void TSkinPixmapPersistent::SetSkin(Skin* skin) {
  if (skin == GetSkin()) return;
  skin_ = skin;
  SetObjectName(objectName_);
}

void TSkinPixmapPersistent::SetObjectName(const std::string& name) {
  objectName_ = name;
  Skin* skin = GetSkin();
  element_ = !name.empty() && skin ? dynamic_cast<SkinElement*>(skin->findByName(WidenLatin1(name))) : nullptr;
}

SkinElement* TSkinPixmapPersistent::SkinObject() const { return static_cast<SkinElement*>(element_.Get()); }

bool TSkinPixmapPersistent::IsSkinStored() const {
  TAppletServices* applet = Applet();
  return GetSkin() && (!applet || applet->DefaultSkin() != GetSkin());
}

void TSkinPixmapPersistent::Draw(const TRect& rect, std::uint32_t) {
  if (SkinElement* element = SkinObject()) element->Pixmap()->Draw(rect);
  else TPixmapPersistent::Draw(rect);
}

}  // namespace corvane
