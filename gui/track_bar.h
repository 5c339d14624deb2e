// TrackBar: the standard track bar drawn with the skin's "track" picture
// along its track and "thumb" at its value.
#pragma once

#include "gui/std_trackbar.h"

namespace corvane {

class TSkinPixmapPersistent;

class TrackBar : public TStdTrackbar {
  CORVANE_CLASS(TrackBar, TStdTrackbar)
  static void Describe(TClassBuilder<TrackBar>& c);
  explicit TrackBar(const TCreateContext& context);
  ~TrackBar() override;

  TSkinPixmapPersistent* PixmapTrack() const { return track_.get(); }
  void SetPixmapTrack(TSkinPixmapPersistent* value);
  TSkinPixmapPersistent* PixmapThumb() const { return thumb_.get(); }
  void SetPixmapThumb(TSkinPixmapPersistent* value);

  void Paint() override;

 private:
  TOwned<TSkinPixmapPersistent> track_;
  TOwned<TSkinPixmapPersistent> thumb_;
};

}  // namespace corvane
