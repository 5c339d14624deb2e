// Pixmaps as textures. A lock hands out a buffer of ARGB pixels (the
// texture read back into it on request); the unlock uploads it into the
// pixmap's own texture. Whatever a pixmap operation binds on the way, the
// texture that stage 0 asked for is bound again afterwards, so a texture
// created, locked or destroyed in the middle of drawing never takes the
// place of the one being drawn with.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/sdl/ogl_device.h"

namespace corvane {

namespace {

GLuint TextureName(const TPixmap& pixmap) { return static_cast<GLuint>(pixmap.TextureHandle); }

}  // namespace

void TOGLDevice::BindTexture(GLuint name) {
  if (boundTexture_ == name) return;
  glBindTexture(GL_TEXTURE_2D, name);
  boundTexture_ = name;
}

void TOGLDevice::RestoreStageBinding() { BindTexture(stageTexture_); }

void TOGLDevice::SetPixmap(std::int32_t stage, TPixmap* pixmap) {
  if (stage < 0 || stage >= kStageCount) return;
  const bool changed = Stages[static_cast<std::size_t>(stage)] != pixmap;
  Stages[static_cast<std::size_t>(stage)] = pixmap;
  // Stage 0 is the one texture unit drawn with.
  if (stage != 0 || !HasContext()) return;
  const GLuint name = pixmap ? TextureName(*pixmap) : 0;
  const bool rebind = name != 0 && boundTexture_ != name;
  // The same texture again (every quad of a run of one pixmap) needs no
  // OpenGL call, nor the context.
  if (rebind && !MakeCurrent()) return;
  if (name != 0) {
    BindTexture(name);
    stageTexture_ = name;
  }
  // Filters and the environment belong to the texture now bound: the next
  // request for them applies them again.
  if (changed || rebind)
    for (TRenderState state : {rsTexNearest, rsTexLinear, rsTexReplace, rsTexModulate}) ActiveStates[state] = false;
}

bool TOGLDevice::AllocatePixmap(TPixmap& pixmap) {
  if (!MakeCurrent()) return false;
  GLuint name = 0;
  glGenTextures(1, &name);
  if (name == 0) return false;
  BindTexture(name);
  // Without driver-made mipmaps the default minifying filter would leave
  // the texture incomplete (drawn as if untextured) until a filter state
  // is applied to it.
  if (!HasGenerateMipmap) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  pixmap.TextureHandle = name;
  pixmap.Pitch = pixmap.Width * 4;
  RestoreStageBinding();
  return true;
}

void TOGLDevice::ReleasePixmap(TPixmap& pixmap) {
  locks_.erase(std::remove_if(locks_.begin(), locks_.end(), [&](const TPixmapLock& l) { return l.Pixmap == &pixmap; }),
               locks_.end());
  const GLuint name = TextureName(pixmap);
  pixmap.TextureHandle = 0;
  pixmap.LockedBits = nullptr;
  if (name == 0 || !MakeCurrent()) return;
  glDeleteTextures(1, &name);
  // A deleted texture that was bound leaves the binding at 0.
  if (boundTexture_ == name) boundTexture_ = 0;
  if (stageTexture_ == name) stageTexture_ = 0;
}

void* TOGLDevice::MapPixmap(TPixmap& pixmap, std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, bool readBack) {
  const GLuint name = TextureName(pixmap);
  if (name == 0 || !MakeCurrent()) return nullptr;
  TPixmapLock lock;
  lock.Pixmap = &pixmap;
  lock.X = x;
  lock.Y = y;
  lock.Width = width;
  lock.Height = height;
  try {
    lock.Pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    if (readBack) {
      BindTexture(name);
      GLint storedWidth = 0, storedHeight = 0;
      glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &storedWidth);
      glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &storedHeight);
      // A texture never uploaded holds no picture: the pixels stay 0.
      if (storedWidth == pixmap.Width && storedHeight == pixmap.Height && !lock.Pixels.empty()) {
        const bool whole = x == 0 && y == 0 && width == pixmap.Width && height == pixmap.Height;
        std::vector<std::uint32_t> image;
        if (!whole) image.resize(static_cast<std::size_t>(pixmap.Width) * static_cast<std::size_t>(pixmap.Height));
        std::uint32_t* target = whole ? lock.Pixels.data() : image.data();
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, target);
        if (!whole)
          for (std::int32_t row = 0; row < height; ++row)
            std::memcpy(lock.Pixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width),
                        image.data() + static_cast<std::size_t>(y + row) * static_cast<std::size_t>(pixmap.Width) +
                            static_cast<std::size_t>(x),
                        static_cast<std::size_t>(width) * 4);
      }
      RestoreStageBinding();
    }
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  pixmap.Pitch = width * 4;
  locks_.push_back(std::move(lock));
  // An empty rectangle still counts as locked.
  static std::uint32_t emptyRectangle = 0;
  return locks_.back().Pixels.empty() ? &emptyRectangle : locks_.back().Pixels.data();
}

void TOGLDevice::UnmapPixmap(TPixmap& pixmap) {
  const auto it = std::find_if(locks_.begin(), locks_.end(), [&](const TPixmapLock& l) { return l.Pixmap == &pixmap; });
  if (it == locks_.end()) return;
  TPixmapLock lock = std::move(*it);
  locks_.erase(it);
  const GLuint name = TextureName(pixmap);
  if (name == 0 || !MakeCurrent() || pixmap.Width <= 0 || pixmap.Height <= 0) return;
  // Every unlock uploads, into this pixmap's texture.
  BindTexture(name);
  if (HasGenerateMipmap) glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  const bool whole = lock.X == 0 && lock.Y == 0 && lock.Width == pixmap.Width && lock.Height == pixmap.Height;
  GLint storedWidth = 0, storedHeight = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &storedWidth);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &storedHeight);
  if (whole) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, pixmap.Width, pixmap.Height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 lock.Pixels.data());
  } else if (storedWidth == pixmap.Width && storedHeight == pixmap.Height) {
    // Only the locked rectangle changes: the rest of the picture stays.
    if (!lock.Pixels.empty())
      glTexSubImage2D(GL_TEXTURE_2D, 0, lock.X, lock.Y, lock.Width, lock.Height, GL_BGRA, GL_UNSIGNED_BYTE,
                      lock.Pixels.data());
  } else {
    // The first upload of a part: the rest starts transparent black.
    try {
      std::vector<std::uint32_t> image(static_cast<std::size_t>(pixmap.Width) * static_cast<std::size_t>(pixmap.Height),
                                       0);
      for (std::int32_t row = 0; row < lock.Height; ++row)
        std::memcpy(image.data() + static_cast<std::size_t>(lock.Y + row) * static_cast<std::size_t>(pixmap.Width) +
                        static_cast<std::size_t>(lock.X),
                    lock.Pixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(lock.Width),
                    static_cast<std::size_t>(lock.Width) * 4);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, pixmap.Width, pixmap.Height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                   image.data());
    } catch (const std::bad_alloc&) {
    }
  }
  RestoreStageBinding();
}

}  // namespace corvane
