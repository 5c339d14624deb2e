#include "gui/track_bar.h"

#include "base/reflection/class_builder.h"
#include "gui/skin_pixmap.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TrackBar)

void TrackBar::Describe(TClassBuilder<TrackBar>& c) {
  c.Property("pixmapTrack", &TrackBar::PixmapTrack, &TrackBar::SetPixmapTrack);
  c.Property("pixmapThumb", &TrackBar::PixmapThumb, &TrackBar::SetPixmapThumb);
}

TrackBar::TrackBar(const TCreateContext& context)
    : TStdTrackbar(context), track_(MakeSkinPixmap(this, "track")), thumb_(MakeSkinPixmap(this, "thumb")) {}

TrackBar::~TrackBar() = default;

void TrackBar::SetPixmapTrack(TSkinPixmapPersistent* value) { AssignSkinPixmap(track_.get(), value); }

void TrackBar::SetPixmapThumb(TSkinPixmapPersistent* value) { AssignSkinPixmap(thumb_.get(), value); }

void TrackBar::Paint() {
  track_->Draw(GetTrackRect(), 0xFFFFFFFF);
  thumb_->Draw(GetThumbRect(), 0xFFFFFFFF);
}

}  // namespace corvane
