// The budget of the program's pictures and derived files. Applets are
// untrusted: a picture file of a few hundred kilobytes may claim gigabytes
// of pixels, a folder of small pictures may convert into gigabytes of
// ".pixmap" files, and applets nested in one another would multiply any
// bound of their own. So both bounds hold for the whole process, whatever
// applet or device holds the pictures: every copy of a picture the program
// holds is counted (the renderer's texture with its mipmaps, locked pixels,
// pixels decoded or read back on the way, the file being decoded), and
// every derived file one run writes. The engine sets them once from its
// command line (-picturepixels, -picturememory, -deriveddisk).
#pragma once

#include <cstdint>
#include <string>

namespace corvane {

class TDevice;

struct TMediaBudget {
  // Pixels of one picture: 16 Mpixel is a 4096 x 4096 picture, 64 MiB
  // decoded, more than a game's largest texture.
  std::int64_t PicturePixels = std::int64_t{16} << 20;
  // Bytes of every copy of a picture the program holds at once.
  std::int64_t PictureBytes = std::int64_t{1} << 30;
  // Bytes of the ".pixmap", ".mesh" and ".fnbin" files the program writes
  // beside their sources in a run.
  std::int64_t DerivedBytes = std::int64_t{512} << 20;
};

// The limits in force: the defaults above until the command line changes
// them.
TMediaBudget& MediaBudget();

// The bytes of pictures the program holds now, over every applet.
std::int64_t PictureBytesHeld();

// Why bytes more of a picture of width x height may not be held now (its
// sides pass the budget of one picture, or the bytes that of all); empty
// when they may.
std::u16string PictureOverBudget(std::int64_t width, std::int64_t height, std::int64_t bytes);

// Whether a picture of width x height may be decoded now, with extraBytes
// of its file held while it is: room for its texture and its decoded
// pixels (TDevice::LoadBytes; twice its pixels without a device). A
// refusal writes "Can't load picture <name>: <why>".
bool PictureFits(const TDevice* device, std::int64_t width, std::int64_t height, const std::string& name,
                 std::int64_t extraBytes = 0);

// Counts bytes of a picture held until they are given back; a caller
// checks first that they fit.
void HoldPictureBytes(std::int64_t bytes);
void ReleasePictureBytes(std::int64_t bytes);

// Picture bytes held while the object lives (pixels decoded into memory of
// one's own, say).
class TPictureHold {
 public:
  TPictureHold() = default;
  explicit TPictureHold(std::int64_t bytes) { Hold(bytes); }
  ~TPictureHold() { ReleasePictureBytes(bytes_); }
  TPictureHold(const TPictureHold&) = delete;
  TPictureHold& operator=(const TPictureHold&) = delete;
  void Hold(std::int64_t bytes) {
    HoldPictureBytes(bytes);
    bytes_ += bytes;
  }

 private:
  std::int64_t bytes_ = 0;
};

// Counts a derived file of that many bytes about to be written; false,
// counting nothing, when it would pass the budget. The first refusal of
// the run writes one line naming the file; the later ones are silent.
bool DerivedFits(std::int64_t bytes, const std::string& name);

}  // namespace corvane
