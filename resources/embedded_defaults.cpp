#include "resources/embedded_defaults.h"

#include <cstddef>
#include <cstdint>
#include <span>

#include "resources/embedded_res_man.h"

namespace corvane {

// Generated from resources/defaults/ at build time (defaults.cmake).
extern const unsigned char kDefaultCurPixmap[];
extern const std::size_t kDefaultCurPixmapSize;
extern const unsigned char kDefaultSkinPixmap[];
extern const std::size_t kDefaultSkinPixmapSize;
extern const unsigned char kDefaultIconPixmap[];
extern const std::size_t kDefaultIconPixmapSize;
extern const unsigned char kDefaultPfxPixmap[];
extern const std::size_t kDefaultPfxPixmapSize;
extern const unsigned char kDefaultSkinObject[];
extern const std::size_t kDefaultSkinObjectSize;
extern const unsigned char kLogoPng[];
extern const std::size_t kLogoPngSize;
extern const unsigned char kLogoMozillaPng[];
extern const std::size_t kLogoMozillaPngSize;
extern const unsigned char kLogoNewtonPng[];
extern const std::size_t kLogoNewtonPngSize;

namespace {

std::span<const std::uint8_t> Bytes(const unsigned char* data, std::size_t size) { return {data, size}; }

}  // namespace

void RegisterEmbeddedDefaults() {
  AddResource("defaultcur_pixmap", Bytes(kDefaultCurPixmap, kDefaultCurPixmapSize));
  AddResource("defaultskin_pixmap", Bytes(kDefaultSkinPixmap, kDefaultSkinPixmapSize));
  AddResource("defaulticon_pixmap", Bytes(kDefaultIconPixmap, kDefaultIconPixmapSize));
  AddResource("defaultpfx_pixmap", Bytes(kDefaultPfxPixmap, kDefaultPfxPixmapSize));
  AddResource("defaultskin_object", Bytes(kDefaultSkinObject, kDefaultSkinObjectSize));
  AddResource("logo_png", Bytes(kLogoPng, kLogoPngSize));
  AddResource("logo_mozilla_png", Bytes(kLogoMozillaPng, kLogoMozillaPngSize));
  AddResource("logo_newton_png", Bytes(kLogoNewtonPng, kLogoNewtonPngSize));
}

}  // namespace corvane
