// Meshes: vertex and index stores in buffer objects when the renderer has
// them (animated meshes keep their frames in memory, where the CPU blends
// them), else in the mesh's own memory; drawn as indexed or plain
// triangles with one array pointer per attribute of the vertex format.
#include <cstdint>
#include <cstring>
#include <new>

#include "platform/sdl/ogl_device.h"

namespace corvane {

namespace {

enum : unsigned {
  kArrayVertex = 1,
  kArrayNormal = 2,
  kArrayColor = 4,
  kArrayTexture = 8,
};

// Where each attribute lies in a vertex of the format: the engine's
// vertices start with the position, then the normal, the colour and the
// texture coordinates, as present. -1: not drawn.
struct TArrayLayout {
  int Normal = -1;
  int Color = -1;
  int Texture = -1;
};

// The colour of vfColorVertexNormal and vfColorPixmapVertexNormal is not
// drawn: their colour is the material's (the current colour).
TArrayLayout LayoutOf(TVertexFormat format, bool pixmap) {
  switch (format) {
    case vfVertexNormal: return {12, -1, -1};
    case vfPixmapVertexNormal: return {12, -1, pixmap ? 24 : -1};
    case vfPixmapVertex: return {-1, -1, pixmap ? 12 : -1};
    case vfColorVertex: return {-1, 12, -1};
    case vfColorVertexNormal: return {12, -1, -1};
    case vfColorPixmapVertex: return {-1, 12, 16};
    case vfColorPixmapVertexNormal: return {12, -1, 28};
    default: return {};
  }
}

// With buffer objects the base is null and the "pointer" is an offset into
// the bound buffer: it is formed as a number, since null plus an offset is
// no pointer C++ may compute.
const void* At(const std::uint8_t* base, int offset) {
  return reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(base) + static_cast<std::uintptr_t>(offset));
}

// Client memory is read without bounds: an index past the store (a broken
// mesh file) must not reach the renderer.
bool IndicesWithin(const std::vector<std::uint16_t>& indices, std::int32_t count, std::int64_t vertices) {
  if (static_cast<std::size_t>(count) > indices.size()) return false;
  for (std::int32_t i = 0; i < count; ++i)
    if (indices[static_cast<std::size_t>(i)] >= vertices) return false;
  return true;
}

GLenum Usage(const TMesh& mesh) { return mesh.Dynamic ? GL_DYNAMIC_DRAW_ARB : GL_STATIC_DRAW_ARB; }

}  // namespace

bool TOGLDevice::UsesBufferObjects(const TMesh& mesh) const { return mesh.VertexBufferHandle != 0; }

void TOGLDevice::BindArrayBuffer(GLuint name) {
  if (boundArrayBuffer_ == name || !HasVertexBufferObject) return;
  glBindBufferARB(GL_ARRAY_BUFFER_ARB, name);
  boundArrayBuffer_ = name;
}

void TOGLDevice::BindElementBuffer(GLuint name) {
  if (boundElementBuffer_ == name || !HasVertexBufferObject) return;
  glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, name);
  boundElementBuffer_ = name;
}

void TOGLDevice::SetClientArrays(unsigned arrays) {
  const unsigned change = arrays ^ clientArrays_;
  if (change == 0) return;
  const struct {
    unsigned Bit;
    GLenum Array;
  } kArrays[] = {{kArrayVertex, GL_VERTEX_ARRAY},
                 {kArrayNormal, GL_NORMAL_ARRAY},
                 {kArrayColor, GL_COLOR_ARRAY},
                 {kArrayTexture, GL_TEXTURE_COORD_ARRAY}};
  for (const auto& a : kArrays) {
    if (!(change & a.Bit)) continue;
    if (arrays & a.Bit) glEnableClientState(a.Array);
    else glDisableClientState(a.Array);
  }
  clientArrays_ = arrays;
}

void TOGLDevice::SetArrayPointers(const TArraySource& source) {
  // The pointers stay with the client state: the same buffer, store and
  // layout as the last draw need none of them again.
  if (arraysValid_ && source == arraySource_) return;
  const std::int32_t stride = VertexSize(source.Format);
  const TArrayLayout layout = LayoutOf(source.Format, source.Pixmap);
  const std::uint8_t* base = source.Base;
  unsigned arrays = kArrayVertex;
  glVertexPointer(3, GL_FLOAT, stride, base);
  if (layout.Normal >= 0) {
    arrays |= kArrayNormal;
    glNormalPointer(GL_FLOAT, stride, At(base, layout.Normal));
  } else {
    // Vertices without normals are flat drawings in their xy plane whose
    // front faces -z (pictures, sprites, text). Lit, they take that normal;
    // the current one is whatever the last normal array left.
    glNormal3f(0, 0, -1);
  }
  if (layout.Color >= 0) {
    arrays |= kArrayColor;
    glColorPointer(4, GL_UNSIGNED_BYTE, stride, At(base, layout.Color));
  }
  if (layout.Texture >= 0) {
    arrays |= kArrayTexture;
    glTexCoordPointer(2, GL_FLOAT, stride, At(base, layout.Texture));
  }
  SetClientArrays(arrays);
  arraySource_ = source;
  arraysValid_ = true;
}

bool TOGLDevice::AllocateMesh(TMesh& mesh) {
  Flush();
  if (!MakeCurrent()) return false;
  mesh.VertexBufferHandle = 0;
  mesh.IndexBufferHandle = 0;
  if (HasVertexBufferObject && !mesh.Animated) {
    GLuint names[2] = {0, 0};
    glGenBuffersARB(mesh.Indexed ? 2 : 1, names);
    if (names[0] == 0 || (mesh.Indexed && names[1] == 0)) {
      glDeleteBuffersARB(2, names);
      return false;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    BindArrayBuffer(names[0]);
    glBufferDataARB(GL_ARRAY_BUFFER_ARB, mesh.VertexBufferSize, nullptr, Usage(mesh));
    if (mesh.Indexed) {
      BindElementBuffer(names[1]);
      glBufferDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, static_cast<GLsizeiptrARB>(mesh.IndexCount) * 2, nullptr,
                      Usage(mesh));
    }
    // A size the renderer cannot hold: no mesh rather than a broken one.
    if (glGetError() != GL_NO_ERROR) {
      BindArrayBuffer(0);
      BindElementBuffer(0);
      glDeleteBuffersARB(2, names);
      return false;
    }
    mesh.VertexBufferHandle = names[0];
    mesh.IndexBufferHandle = names[1];
    return true;
  }
  try {
    mesh.VertexData.assign(static_cast<std::size_t>(mesh.VertexStoreSize()), 0);
    mesh.IndexData.assign(mesh.Indexed ? static_cast<std::size_t>(mesh.IndexCount) : 0, 0);
  } catch (const std::bad_alloc&) {
    mesh.VertexData = {};
    mesh.IndexData = {};
    return false;
  }
  return true;
}

void TOGLDevice::ReleaseMesh(TMesh& mesh) {
  Flush();
  if (UsesBufferObjects(mesh) && MakeCurrent()) {
    const GLuint names[2] = {static_cast<GLuint>(mesh.VertexBufferHandle), static_cast<GLuint>(mesh.IndexBufferHandle)};
    // Deleting bound buffers unbinds them, from the array pointers too.
    for (GLuint name : names) {
      if (name != 0 && boundArrayBuffer_ == name) boundArrayBuffer_ = 0;
      if (name != 0 && boundElementBuffer_ == name) boundElementBuffer_ = 0;
      if (name != 0 && arraySource_.Buffer == name) arraysValid_ = false;
    }
    glDeleteBuffersARB(names[1] != 0 ? 2 : 1, names);
  }
  mesh.VertexBufferHandle = 0;
  mesh.IndexBufferHandle = 0;
  mesh.VertexData = {};
  mesh.IndexData = {};
}

void* TOGLDevice::MapMeshVertex(TMesh& mesh) {
  if (IsScratch(mesh)) {
    // Sized with the mesh, which grows only between frames.
    if (!HasContext() || mesh.VertexBufferSize <= 0) return nullptr;
    if (scratchVertices_.size() != static_cast<std::size_t>(mesh.VertexBufferSize))
      scratchVertices_.assign(static_cast<std::size_t>(mesh.VertexBufferSize), 0);
    return scratchVertices_.data();
  }
  if (!MakeCurrent()) return nullptr;
  if (!UsesBufferObjects(mesh)) return mesh.VertexData.empty() ? nullptr : mesh.VertexData.data();
  if (mesh.VertexBufferSize <= 0) return nullptr;
  BindArrayBuffer(static_cast<GLuint>(mesh.VertexBufferHandle));
  return glMapBufferARB(GL_ARRAY_BUFFER_ARB, GL_READ_WRITE_ARB);
}

void TOGLDevice::UnmapMeshVertex(TMesh& mesh) {
  if (IsScratch(mesh) || !UsesBufferObjects(mesh) || !MakeCurrent()) return;
  BindArrayBuffer(static_cast<GLuint>(mesh.VertexBufferHandle));
  glUnmapBufferARB(GL_ARRAY_BUFFER_ARB);
}

void* TOGLDevice::MapMeshIndex(TMesh& mesh) {
  if (IsScratch(mesh)) {
    if (!HasContext() || mesh.IndexBufferHandle == 0 || mesh.IndexCount <= 0) return nullptr;
    if (scratchIndices_.size() != static_cast<std::size_t>(mesh.IndexCount))
      scratchIndices_.assign(static_cast<std::size_t>(mesh.IndexCount), 0);
    return scratchIndices_.data();
  }
  if (!MakeCurrent()) return nullptr;
  if (!UsesBufferObjects(mesh)) return mesh.IndexData.empty() ? nullptr : mesh.IndexData.data();
  if (mesh.IndexBufferHandle == 0 || mesh.IndexCount <= 0) return nullptr;
  BindElementBuffer(static_cast<GLuint>(mesh.IndexBufferHandle));
  return glMapBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, GL_READ_WRITE_ARB);
}

void TOGLDevice::UnmapMeshIndex(TMesh& mesh) {
  if (IsScratch(mesh) || !UsesBufferObjects(mesh) || mesh.IndexBufferHandle == 0 || !MakeCurrent()) return;
  BindElementBuffer(static_cast<GLuint>(mesh.IndexBufferHandle));
  glUnmapBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB);
}

void TOGLDevice::DrawMesh(TMesh* mesh) {
  Flush();
  DrawLocked(mesh, nullptr);
}

void TOGLDevice::DrawMeshRange(TMesh* mesh, std::int32_t first, std::int32_t last) {
  if (mesh && Gather(*mesh, first, last)) return;
  Flush();
  const TIndexRange range{first, last};
  DrawLocked(mesh, first <= last ? &range : nullptr);
}

bool TOGLDevice::Gather(TMesh& mesh, std::int32_t first, std::int32_t last) {
  if (&mesh != DynamicMesh || mesh.VertexFormat != vfColorPixmapVertex || !mesh.Indexed || mesh.Animated ||
      !HasContext())
    return false;
  const bool scratch = IsScratch(mesh);
  const auto* vertices =
      reinterpret_cast<const TColorPixmapVertex*>(scratch ? scratchVertices_.data() : mesh.VertexData.data());
  const std::size_t vertexBytes = scratch ? scratchVertices_.size() : mesh.VertexData.size();
  const std::size_t indexStore = scratch ? scratchIndices_.size() : mesh.IndexData.size();
  const std::int64_t storeVertices = static_cast<std::int64_t>(vertexBytes / sizeof(TColorPixmapVertex));
  const std::int32_t indexCount = mesh.LockedIndexCount;
  if (first < 0 || last < first || last >= storeVertices || indexCount <= 0 ||
      static_cast<std::size_t>(indexCount) > indexStore || indexCount > mesh.IndexCount)
    return false;
  const std::int32_t vertexCount = last - first + 1;
  TVertex offset;
  const TQuadBatch::TKey key = TQuadBatch::KeyOf(SpaceMatrix, Stages[0] != nullptr, offset);
  if (!batch_.Empty() && (!(key == batch_.Key()) || !batch_.Fits(vertexCount, indexCount))) Flush();
  const std::uint16_t* indices = scratch ? scratchIndices_.data() : mesh.IndexData.data();
  if (!batch_.Add(key, offset, glTextureMatrix_, vertices, first, vertexCount, indices, indexCount)) return false;
  CurrentMesh = &mesh;
  TriangleCount += mesh.LockedVertexCount / 3;
  return true;
}

void TOGLDevice::Flush() {
  if (batch_.Empty()) return;
  if (!MakeCurrent()) {
    batch_.Clear();
    return;
  }
  // Every change of state drew the run first: what OpenGL holds now is
  // what each of its draws would have met, but for the model and texture
  // matrices, which the run carries in its vertices.
  const TQuadBatch::TKey& key = batch_.Key();
  const bool moved = std::memcmp(&key.Matrix, &IdentitySpaceMatrix, sizeof key.Matrix) != 0;
  if (moved) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMultMatrixf(&key.Matrix[0].x);
  }
  const bool mapped = std::memcmp(&glTextureMatrix_, &IdentityPlaneMatrix, sizeof glTextureMatrix_) != 0;
  if (mapped) {
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
  }
  BindArrayBuffer(0);
  BindElementBuffer(0);
  SetArrayPointers({0, reinterpret_cast<const std::uint8_t*>(batch_.Vertices()), vfColorPixmapVertex, key.Pixmap});
  const bool untextured = !key.Pixmap && glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
  if (untextured) glDisable(GL_TEXTURE_2D);
  if (HasDrawRangeElements)
    glDrawRangeElementsEXT(GL_TRIANGLES, 0, static_cast<GLuint>(batch_.VertexCount() - 1), batch_.IndexCount(),
                           GL_UNSIGNED_SHORT, batch_.Indices());
  else
    glDrawElements(GL_TRIANGLES, batch_.IndexCount(), GL_UNSIGNED_SHORT, batch_.Indices());
  if (untextured) glEnable(GL_TEXTURE_2D);
  if (mapped) {
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
  }
  if (moved) {
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
  }
  batch_.Clear();
}

void TOGLDevice::UploadScratch(const TMesh& mesh) {
  const std::int64_t vertexBytes = static_cast<std::int64_t>(mesh.LockedVertexCount) * VertexSize(mesh.VertexFormat);
  if (vertexBytes > 0 && vertexBytes <= static_cast<std::int64_t>(scratchVertices_.size())) {
    BindArrayBuffer(static_cast<GLuint>(mesh.VertexBufferHandle));
    glBufferSubDataARB(GL_ARRAY_BUFFER_ARB, 0, static_cast<GLsizeiptrARB>(vertexBytes), scratchVertices_.data());
  }
  if (mesh.LockedIndexCount > 0 && static_cast<std::size_t>(mesh.LockedIndexCount) <= scratchIndices_.size()) {
    BindElementBuffer(static_cast<GLuint>(mesh.IndexBufferHandle));
    glBufferSubDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0, static_cast<GLsizeiptrARB>(mesh.LockedIndexCount) * 2,
                       scratchIndices_.data());
  }
}

void TOGLDevice::DrawLocked(TMesh* mesh, const TIndexRange* range) {
  if (!mesh || !MakeCurrent()) return;
  if (mesh->Animated) {
    DrawAnimatedMesh(mesh, 0, 0, 0, mesh->FrameCount, false);
    return;
  }
  const std::int32_t stride = VertexSize(mesh->VertexFormat);
  if (stride == 0) return;
  const bool buffers = UsesBufferObjects(*mesh);
  // Nothing is drawn beyond what the stores hold.
  const std::int64_t storeVertices = mesh->VertexStoreSize() / stride;
  if (mesh->LockedVertexCount < 0 || mesh->LockedVertexCount > storeVertices) return;
  if (mesh->Indexed && (mesh->LockedIndexCount < 0 || mesh->LockedIndexCount > mesh->IndexCount)) return;
  if (!buffers && mesh->VertexData.empty()) return;

  // The model-view matrix holds the scene's own; an identity model matrix
  // (all 2D drawing that is not moved) leaves it as it is. Compared bit for
  // bit: a matrix that only equals the identity (a -0) is multiplied.
  const bool moved = std::memcmp(&SpaceMatrix, &IdentitySpaceMatrix, sizeof SpaceMatrix) != 0;
  if (moved) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMultMatrixf(&SpaceMatrix[0].x);
  }

  // With buffer objects the pointers are offsets into the bound buffer.
  const std::uint8_t* base = nullptr;
  if (IsScratch(*mesh)) UploadScratch(*mesh);
  if (buffers) {
    BindArrayBuffer(static_cast<GLuint>(mesh->VertexBufferHandle));
  } else {
    BindArrayBuffer(0);
    base = mesh->VertexData.data();
  }
  SetArrayPointers({static_cast<GLuint>(buffers ? mesh->VertexBufferHandle : 0), base, mesh->VertexFormat,
                    Stages[0] != nullptr});

  // Without a pixmap on stage 0 the mesh shows its colours, not the texel
  // of whatever texture the last drawing left bound.
  const bool untextured = Stages[0] == nullptr && glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
  if (untextured) glDisable(GL_TEXTURE_2D);
  if (mesh->Indexed) {
    if (buffers) {
      BindElementBuffer(static_cast<GLuint>(mesh->IndexBufferHandle));
      // A range inside the store spares the renderer reading the indices
      // back to find it.
      if (range && range->First >= 0 && range->Last < storeVertices && HasDrawRangeElements)
        glDrawRangeElementsEXT(GL_TRIANGLES, static_cast<GLuint>(range->First), static_cast<GLuint>(range->Last),
                               mesh->LockedIndexCount, GL_UNSIGNED_SHORT, nullptr);
      else
        glDrawElements(GL_TRIANGLES, mesh->LockedIndexCount, GL_UNSIGNED_SHORT, nullptr);
    } else if (IndicesWithin(mesh->IndexData, mesh->LockedIndexCount, storeVertices)) {
      BindElementBuffer(0);
      glDrawElements(GL_TRIANGLES, mesh->LockedIndexCount, GL_UNSIGNED_SHORT, mesh->IndexData.data());
    }
  } else {
    glDrawArrays(GL_TRIANGLES, 0, mesh->LockedVertexCount);
  }
  if (untextured) glEnable(GL_TEXTURE_2D);
  if (moved) glPopMatrix();
  CurrentMesh = mesh;

  if (mesh->Dynamic) TriangleCount += mesh->LockedVertexCount / 3;
  else TriangleCount += (mesh->Indexed ? mesh->LockedIndexCount : mesh->VertexCount) / 3;
}

}  // namespace corvane
