// Pixmaps as textures. A lock hands out a buffer of ARGB pixels (the
// texture read back into it on request); the unlock uploads it into the
// pixmap's own texture. Whatever a pixmap operation binds on the way, the
// texture that stage 0 asked for is bound again afterwards, so a texture
// created, locked or destroyed in the middle of drawing never takes the
// place of the one being drawn with. A picture larger than the renderer
// takes is stored scaled down (nearest texel) and drawn over the same
// texture coordinates; its locks and read-backs still see the picture's
// own size.
#include <algorithm>
#include <cstring>
#include <new>

#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "platform/sdl/ogl_device.h"

namespace corvane {

namespace {

GLuint TextureName(const TPixmap& pixmap) { return static_cast<GLuint>(pixmap.TextureHandle); }

// The picture's pixel a stored texel shows (its centre's), and the texel
// a picture's pixel lies in, along one side of `side` pixels stored in
// `stored` texels.
std::int32_t PixelOfTexel(std::int64_t texel, std::int32_t side, GLsizei stored) {
  return static_cast<std::int32_t>((2 * texel + 1) * side / (2 * static_cast<std::int64_t>(stored)));
}
std::int32_t TexelOfPixel(std::int64_t pixel, std::int32_t side, GLsizei stored) {
  return static_cast<std::int32_t>(pixel * stored / side);
}

// The texels along one side whose pixels lie in [first, first + count).
struct TTexelRange {
  GLsizei First = 0, End = 0;
};
TTexelRange TexelsOf(std::int32_t first, std::int32_t count, std::int32_t side, GLsizei stored) {
  TTexelRange range{stored, 0};
  for (GLsizei t = 0; t < stored; ++t) {
    const std::int32_t pixel = PixelOfTexel(t, side, stored);
    if (pixel < first || pixel - first >= count) continue;
    range.First = std::min(range.First, t);
    range.End = t + 1;
  }
  return range;
}

// A locked rectangle of a picture stored scaled down, into the bound texture.
void UploadScaledPart(const TPixmap& pixmap, GLsizei storedWidth, GLsizei storedHeight, std::int32_t x,
                      std::int32_t y, std::int32_t width, std::int32_t height, const std::uint32_t* pixels) {
  const TTexelRange columns = TexelsOf(x, width, pixmap.Width, storedWidth);
  const TTexelRange rows = TexelsOf(y, height, pixmap.Height, storedHeight);
  if (columns.End <= columns.First || rows.End <= rows.First) return;
  const GLsizei w = columns.End - columns.First, h = rows.End - rows.First;
  std::vector<std::uint32_t> texels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (GLsizei ty = 0; ty < h; ++ty) {
    const std::size_t row = static_cast<std::size_t>(PixelOfTexel(rows.First + ty, pixmap.Height, storedHeight) - y) *
                            static_cast<std::size_t>(width);
    for (GLsizei tx = 0; tx < w; ++tx)
      texels[static_cast<std::size_t>(ty) * static_cast<std::size_t>(w) + static_cast<std::size_t>(tx)] =
          pixels[row + static_cast<std::size_t>(PixelOfTexel(columns.First + tx, pixmap.Width, storedWidth) - x)];
  }
  glTexSubImage2D(GL_TEXTURE_2D, 0, columns.First, rows.First, w, h, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
}

std::u16string SizeText(std::int64_t width, std::int64_t height) {
  return IntToStr(width) + u" x " + IntToStr(height);
}

}  // namespace

TOGLDevice::TTextureSize TOGLDevice::StoredSizeFor(std::int32_t width, std::int32_t height) {
  if (maxTextureSize_ <= 0) {
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);
    if (maxTextureSize_ <= 0) maxTextureSize_ = 64;  // the least OpenGL guarantees
  }
  TTextureSize size{std::min<GLsizei>(width, maxTextureSize_), std::min<GLsizei>(height, maxTextureSize_)};
  // The limit is per side; the proxy also says whether both sides together fit.
  for (;;) {
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA, size.Width, size.Height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    GLint accepted = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &accepted);
    if (accepted != 0 || (size.Width <= 1 && size.Height <= 1)) return size;
    if (size.Width >= size.Height) size.Width = std::max<GLsizei>(size.Width / 2, 1);
    else size.Height = std::max<GLsizei>(size.Height / 2, 1);
  }
}

TOGLDevice::TTextureSize TOGLDevice::BoundTextureSize() {
  TTextureSize size;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size.Width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size.Height);
  return size;
}

void TOGLDevice::UploadPicture(const TPixmap& pixmap, const std::uint32_t* pixels) {
  const TTextureSize stored = StoredSizeFor(pixmap.Width, pixmap.Height);
  std::vector<std::uint32_t> scaled;
  if (stored.Width != pixmap.Width || stored.Height != pixmap.Height) {
    // Once per texture, not on every upload of a picture that changes.
    if (BoundTextureSize() != stored)
      EngineLog(u"Picture of " + SizeText(pixmap.Width, pixmap.Height) + u" scaled down to " +
                SizeText(stored.Width, stored.Height) + u", the renderer's texture limit");
    scaled.resize(static_cast<std::size_t>(stored.Width) * static_cast<std::size_t>(stored.Height));
    for (GLsizei ty = 0; ty < stored.Height; ++ty) {
      const std::size_t row = static_cast<std::size_t>(PixelOfTexel(ty, pixmap.Height, stored.Height)) *
                              static_cast<std::size_t>(pixmap.Width);
      for (GLsizei tx = 0; tx < stored.Width; ++tx)
        scaled[static_cast<std::size_t>(ty) * static_cast<std::size_t>(stored.Width) + static_cast<std::size_t>(tx)] =
            pixels[row + static_cast<std::size_t>(PixelOfTexel(tx, pixmap.Width, stored.Width))];
    }
    pixels = scaled.data();
  }
  // A texture that has its storage keeps it: a new picture of the same
  // size replaces its pixels rather than having the renderer make a second
  // store beside the first.
  if (BoundTextureSize() == stored)
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, stored.Width, stored.Height, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
  else
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, stored.Width, stored.Height, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
}

void TOGLDevice::BindTexture(GLuint name) {
  if (boundTexture_ == name) return;
  glBindTexture(GL_TEXTURE_2D, name);
  boundTexture_ = name;
}

void TOGLDevice::RestoreStageBinding() { BindTexture(stageTexture_); }

std::int64_t TOGLDevice::TextureBytes(std::int64_t width, std::int64_t height) const {
  // The renderer keeps the picture, and with driver-made mipmaps each
  // level a quarter of the one above: a third more.
  const std::int64_t pixels = width * height * 4;
  return HasGenerateMipmap ? pixels + (pixels + 2) / 3 : pixels;
}

void TOGLDevice::SetPixmap(std::int32_t stage, TPixmap* pixmap) {
  if (stage < 0 || stage >= kStageCount) return;
  // A texture the renderer refused to fill is never drawn from: the stage
  // goes without.
  if (pixmap && !pixmap->Drawable()) pixmap = nullptr;
  const bool changed = Stages[static_cast<std::size_t>(stage)] != pixmap;
  Stages[static_cast<std::size_t>(stage)] = pixmap;
  // Stage 0 is the one texture unit drawn with.
  if (stage != 0 || !HasContext()) return;
  const GLuint name = pixmap ? TextureName(*pixmap) : 0;
  const bool rebind = name != 0 && boundTexture_ != name;
  if (changed || rebind) Flush();
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

GLuint TOGLDevice::NewTexture() {
  GLuint name = 0;
  glGenTextures(1, &name);
  if (name == 0) return 0;
  BindTexture(name);
  // Without driver-made mipmaps the default minifying filter would leave
  // the texture incomplete (drawn as if untextured) until a filter state
  // is applied to it.
  if (!HasGenerateMipmap) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  return name;
}

void TOGLDevice::DeleteTexture(GLuint name) {
  glDeleteTextures(1, &name);
  // A deleted texture that was bound leaves the binding at 0.
  if (boundTexture_ == name) boundTexture_ = 0;
  if (stageTexture_ == name) stageTexture_ = 0;
}

bool TOGLDevice::AllocatePixmap(TPixmap& pixmap) {
  Flush();
  if (!MakeCurrent()) return false;
  const GLuint name = NewTexture();
  if (name == 0) return false;
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
  // Gathered draws may still show it.
  Flush();
  if (name == 0 || !MakeCurrent()) return;
  DeleteTexture(name);
}

void* TOGLDevice::MapPixmap(TPixmap& pixmap, std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, bool readBack) {
  const GLuint name = TextureName(pixmap);
  Flush();
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
      const TTextureSize stored = BoundTextureSize();
      const bool scaled = stored.Width != pixmap.Width || stored.Height != pixmap.Height;
      // A texture never uploaded holds no picture: the pixels stay 0.
      if (scaled && stored == StoredSizeFor(pixmap.Width, pixmap.Height) && stored.Width > 0 && !lock.Pixels.empty()) {
        // Stored scaled down: each pixel reads the texel it lies in.
        std::vector<std::uint32_t> texels(static_cast<std::size_t>(stored.Width) * static_cast<std::size_t>(stored.Height));
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
        for (std::int32_t row = 0; row < height; ++row) {
          const std::size_t texelRow = static_cast<std::size_t>(TexelOfPixel(y + row, pixmap.Height, stored.Height)) *
                                       static_cast<std::size_t>(stored.Width);
          for (std::int32_t column = 0; column < width; ++column)
            lock.Pixels[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(column)] =
                texels[texelRow + static_cast<std::size_t>(TexelOfPixel(x + column, pixmap.Width, stored.Width))];
        }
      } else if (!scaled && !lock.Pixels.empty()) {
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
  // Draws gathered before the upload show the picture as it was.
  Flush();
  const GLuint name = TextureName(pixmap);
  if (name == 0 || !MakeCurrent() || pixmap.Width <= 0 || pixmap.Height <= 0) return;
  // Every unlock uploads, into this pixmap's texture.
  BindTexture(name);
  if (HasGenerateMipmap) glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  const bool whole = lock.X == 0 && lock.Y == 0 && lock.Width == pixmap.Width && lock.Height == pixmap.Height;
  const TTextureSize stored = BoundTextureSize();
  while (glGetError() != GL_NO_ERROR) {
  }
  // A picture too large to copy or scale here keeps what the texture held.
  bool copied = true;
  try {
    if (whole) {
      UploadPicture(pixmap, lock.Pixels.data());
    } else if (stored.Width == pixmap.Width && stored.Height == pixmap.Height) {
      // Only the locked rectangle changes: the rest of the picture stays.
      if (!lock.Pixels.empty())
        glTexSubImage2D(GL_TEXTURE_2D, 0, lock.X, lock.Y, lock.Width, lock.Height, GL_BGRA, GL_UNSIGNED_BYTE,
                        lock.Pixels.data());
    } else if (stored.Width > 0 && stored == StoredSizeFor(pixmap.Width, pixmap.Height)) {
      // Stored scaled down: the texels whose pixels lie in the rectangle.
      UploadScaledPart(pixmap, stored.Width, stored.Height, lock.X, lock.Y, lock.Width, lock.Height,
                       lock.Pixels.data());
    } else {
      // The first upload of a part: the rest starts transparent black.
      std::vector<std::uint32_t> image(static_cast<std::size_t>(pixmap.Width) * static_cast<std::size_t>(pixmap.Height),
                                       0);
      for (std::int32_t row = 0; row < lock.Height; ++row)
        std::memcpy(image.data() + static_cast<std::size_t>(lock.Y + row) * static_cast<std::size_t>(pixmap.Width) +
                        static_cast<std::size_t>(lock.X),
                    lock.Pixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(lock.Width),
                    static_cast<std::size_t>(lock.Width) * 4);
      UploadPicture(pixmap, image.data());
    }
  } catch (const std::bad_alloc&) {
    copied = false;
  }
  if (glGetError() == GL_NO_ERROR) {
    if (copied) pixmap.UploadFailed = false;
  } else {
    // What the renderer refused (its memory, say) is said once, and the
    // picture is not drawn from or read back until an upload succeeds. The
    // texture goes with whatever the renderer half made of it, so that no
    // draw has the renderer try again.
    if (!pixmap.UploadFailed)
      EngineError(u"Picture of " + SizeText(pixmap.Width, pixmap.Height) + u" could not be uploaded");
    pixmap.UploadFailed = true;
    DeleteTexture(name);
    pixmap.TextureHandle = NewTexture();
  }
  RestoreStageBinding();
}

}  // namespace corvane
