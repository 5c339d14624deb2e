// Sound files made on the spot: tones and other frames encoded in memory by
// libsndfile (WAV, FLAC, OGG Vorbis, MP3), never read from anywhere.
#pragma once

#include <sndfile.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace libbass::test {

using Bytes = std::vector<unsigned char>;

constexpr int kWavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
constexpr int kFlac16 = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
constexpr int kOggVorbis = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
constexpr int kMp3 = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;

// A short name of the format, for test messages.
std::string FormatName(int format);

// Interleaved frames of a sine tone, every channel alike.
std::vector<float> Tone(double hertz, double amplitude, int rate, int channels, std::size_t frames);
// A ramp that gives every frame its own value (frame i of channel c:
// (i % 1000) / 1000 - c / 2), so that positions can be read off the mix.
std::vector<float> Ramp(int channels, std::size_t frames);

// The frames encoded by libsndfile; empty when it cannot write the format.
Bytes Encode(const std::vector<float>& interleaved, int channels, int rate, int format);

}  // namespace libbass::test
