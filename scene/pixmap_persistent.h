// TPixmapPersistent: a picture held by file name. Setting the name loads
// the picture through the applet's cache (an embedded default when the name
// holds "_pixmap", the engine's external files when it holds ':', the
// applet's own files otherwise) and gives the previous one back; the
// destructor gives the last one back. It draws the picture (or a
// sub-rectangle of it, offset) stretched or tiled, whole or nine-sliced by
// its margins; an empty reference with useDefault draws the applet's
// default picture. Its published properties stream inline in its owner's
// stream ("pixmap.rect.Left = 32").
#pragma once

#include <cstdint>
#include <string>

#include "base/geometry/geometry.h"
#include "base/reflection/persistent.h"
#include "scene/owner_applet.h"

namespace corvane {

class TAppletServices;
class TPixmap;
class TPointPersistent;
class TRectPersistent;

template <class C>
class TClassBuilder;

class TPixmapPersistent : public TSomePersistent {
  CORVANE_CLASS(TPixmapPersistent, TSomePersistent)
  static void Describe(TClassBuilder<TPixmapPersistent>& c);
  // The owner is the applet whose services the reference uses.
  explicit TPixmapPersistent(const TCreateContext& context);
  ~TPixmapPersistent() override;

  // From another picture reference: the name as set, rect, margins, offset,
  // tile and useDefault.
  void Assign(const TPersistent* source) override;

  // The name as set (what is saved); loading may use a rewritten form.
  const std::string& FileName() const { return fileName_; }
  // Nothing when the name is unchanged; otherwise the held picture is given
  // back and the new one loaded (an empty name only releases).
  void SetFileName(const std::string& name);
  // The name the picture is loaded by: a "_pixmap" name becomes its
  // embedded default ("button_pixmap_x" -> "button.pixmap").
  static std::string LoadName(const std::string& name);

  TRectPersistent* Rect() const { return rect_; }
  TRectPersistent* Margins() const { return margins_; }
  TPointPersistent* Offset() const { return offset_; }
  // Each copies the values; null changes nothing.
  void SetRect(TRectPersistent* value);
  void SetMargins(TRectPersistent* value);
  void SetOffset(TPointPersistent* value);
  bool Tile() const { return tile_; }
  void SetTile(bool value) { tile_ = value; }
  bool UseDefault() const { return useDefault_; }
  void SetUseDefault(bool value) { useDefault_ = value; }

  // The loaded picture; without one and with useDefault, the applet's
  // default picture; otherwise null.
  TPixmap* Pixmap() const;
  // The loaded picture alone.
  TPixmap* Loaded() const;
  // False when a picture with a width is loaded, or with useDefault.
  bool empty() const;
  // The drawn picture's size in pixels; 0 when empty.
  std::int32_t width() const;
  std::int32_t height() const;

  // Prepares the device: the texture matrix of the sub-rectangle (identity
  // for an empty rect), the picture on stage 0, linear filtering and
  // modulation. Nothing without a device or a picture with both sides;
  // says whether it applied one.
  bool Apply();
  // The identity texture matrix again after a sub-rectangle.
  void Unapply();
  // Apply, one of the four picture operations by tile and margins, Unapply.
  void Draw(const TRect& rect);

 protected:
  TAppletServices* Applet() const;

 private:
  TOwnerApplet applet_;
  // A picture the device can draw: both sides above 0.
  TPixmap* Drawable() const;
  void Release();

  TRectPersistent* margins_ = nullptr;
  TRectPersistent* rect_ = nullptr;
  TPointPersistent* offset_ = nullptr;
  bool matrixApplied_ = false;
  bool useDefault_ = true;
  std::string fileName_;
  TPixmap* pixmap_ = nullptr;
  bool tile_ = false;
};

}  // namespace corvane
