// The skin pictures a widget owns: each a TSkinPixmapPersistent made for the
// applet and naming an element of its skin; the copy a pixmap property's
// writer makes; and the size a glyph is drawn at.
#pragma once

#include "base/geometry/geometry.h"
#include "base/reflection/object.h"
#include "scene/skin_pixmap_persistent.h"

namespace corvane {

class BaseObject;

// A picture for the widget's applet; element may be empty (the picture
// its own properties name).
TOwned<TSkinPixmapPersistent> MakeSkinPixmap(const BaseObject* widget, const char* element);

// Copies the given picture's values into the owned one; null changes
// nothing.
void AssignSkinPixmap(TSkinPixmapPersistent* owned, const TSkinPixmapPersistent* value);

// The size a glyph is drawn at: its own source rectangle's size, or with
// pictureSize its picture's size. A picture that draws a skin element and
// names neither a rectangle nor a file of its own takes the element's
// rectangle instead: the own rectangle would be empty and the own picture
// the whole default sheet.
TPoint GlyphSize(const TSkinPixmapPersistent& pixmap, bool pictureSize);

}  // namespace corvane
