// The budget of an applet's pictures and derived files. Applets are
// untrusted: a picture file of a few hundred kilobytes may claim gigabytes
// of pixels, and a folder of small pictures may convert into gigabytes of
// ".pixmap" files. Each applet's device holds its pictures to these limits
// (TDevice::PictureFits, TDevice::DerivedFits); the engine sets them once
// from its command line (-picturepixels, -picturememory, -deriveddisk).
#pragma once

#include <cstdint>
#include <string>

namespace corvane {

class TDevice;

struct TMediaBudget {
  // Pixels of one picture: 16 Mpixel is a 4096 x 4096 picture, 64 MiB
  // decoded, more than a game's largest texture.
  std::int64_t PicturePixels = std::int64_t{16} << 20;
  // Bytes of every live picture of one applet, 4 bytes a pixel.
  std::int64_t PictureBytes = std::int64_t{1} << 30;
  // Bytes of the ".pixmap", ".mesh" and ".fnbin" files one applet writes
  // beside their sources in a run.
  std::int64_t DerivedBytes = std::int64_t{512} << 20;
};

// The limits every applet's device applies: the defaults above until the
// command line changes them.
TMediaBudget& MediaBudget();

// Why a picture of width x height may not be decoded beside liveBytes of
// live pictures; empty when it may.
std::u16string PictureOverBudget(std::int64_t width, std::int64_t height, std::int64_t liveBytes);

// Whether a picture of width x height may be decoded beside the device's
// live pictures (none without a device); a refusal writes "Can't load
// picture <name>: <why>".
bool PictureFits(const TDevice* device, std::int64_t width, std::int64_t height, const std::string& name);

}  // namespace corvane
