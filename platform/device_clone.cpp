// Moving a device's resources to a device of another class. Holders (the
// cache, the scene, fonts) keep pointers to the TPixmap and TMesh objects,
// so the objects themselves move: the old device releases only their
// stores, the new one gives them new stores and writes the saved contents
// back through its locks.
#include <cstring>

#include "platform/device.h"
#include "platform/window.h"

namespace corvane {

namespace {

struct TPixmapCopy {
  TPixmap* Pixmap;
  std::vector<std::uint32_t> Pixels;
};

struct TMeshCopy {
  TMesh* Mesh;
  std::vector<std::uint8_t> Vertices;
  std::vector<std::uint16_t> Indices;
};

// The whole vertex store in vertices of the mesh's format.
std::int32_t StoreVertices(const TMesh& mesh) {
  const std::int32_t size = VertexSize(mesh.VertexFormat);
  return size > 0 ? static_cast<std::int32_t>(mesh.VertexStoreSize() / size) : 0;
}

}  // namespace

TDevice* TDevice::CloneDevice(TDevice* device, const TDeviceClass& deviceClass) {
  if (!device || !deviceClass.Construct) return device;
  TWindow* window = device->window_;

  TMesh* particleMesh = device->ParticleMesh;
  TPixmap* particlePixmap = device->ParticlePixmap;
  // Each picture's store goes as soon as its pixels are copied: the copies
  // take the textures' place rather than doubling what the program holds.
  std::vector<TPixmapCopy> pixmaps;
  const std::vector<TPixmap*> listed = device->pixmaps_;
  for (TPixmap* pixmap : listed) {
    TPixmapCopy copy{pixmap, {}};
    if (pixmap->Locked()) device->UnlockPixmap(pixmap);
    void* bits = nullptr;
    if (device->LockPixmapRectARGB(pixmap, 0, 0, pixmap->Width, pixmap->Height, bits, true)) {
      const std::size_t row = static_cast<std::size_t>(pixmap->Width);
      const std::int32_t pitch = pixmap->Pitch > 0 ? pixmap->Pitch : pixmap->Width * 4;
      copy.Pixels.resize(row * static_cast<std::size_t>(pixmap->Height));
      for (std::int32_t y = 0; y < pixmap->Height; ++y)
        std::memcpy(copy.Pixels.data() + row * static_cast<std::size_t>(y),
                    static_cast<const std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * pitch, row * 4);
      device->UnlockPixmap(pixmap);
    }
    device->Forget(pixmap);
    device->ReleasePixmap(*pixmap);
    pixmaps.push_back(std::move(copy));
  }

  // The old scratch mesh stays behind: the new device makes its own.
  std::vector<TMeshCopy> meshes;
  for (TMesh* mesh : device->meshes_) {
    if (mesh == device->DynamicMesh) continue;
    TMeshCopy copy{mesh, {}, {}};
    if (!mesh->Dynamic) {
      const std::int32_t lockedVertices = mesh->LockedVertexCount, base = mesh->BaseVertex,
                         lockedIndices = mesh->LockedIndexCount;
      void* data = nullptr;
      const std::int32_t vertices = StoreVertices(*mesh);
      if (vertices > 0 && device->LockMeshVertex(mesh, vertices, data)) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        copy.Vertices.assign(bytes, bytes + static_cast<std::size_t>(vertices) * VertexSize(mesh->VertexFormat));
        device->UnlockMeshVertex(mesh);
      }
      if (mesh->Indexed && mesh->IndexCount > 0 && device->LockMeshIndex(mesh, mesh->IndexCount, data)) {
        const auto* indices = static_cast<const std::uint16_t*>(data);
        copy.Indices.assign(indices, indices + mesh->IndexCount);
        device->UnlockMeshIndex(mesh);
      }
      mesh->LockedVertexCount = lockedVertices;
      mesh->BaseVertex = base;
      mesh->LockedIndexCount = lockedIndices;
    }
    meshes.push_back(std::move(copy));
  }

  // Detach: the old device lets go of the objects and frees only their
  // stores; what it still lists (its scratch mesh) goes with it.
  for (TMeshCopy& copy : meshes) {
    device->Forget(copy.Mesh);
    device->ReleaseMesh(*copy.Mesh);
  }
  device->Free();

  TDevice* fresh = CreateDevice(deviceClass, window);
  if (!fresh) {
    for (TPixmapCopy& copy : pixmaps) HoldTexture(*copy.Pixmap, 0);  // nothing stores them now
    return nullptr;
  }
  for (TPixmapCopy& copy : pixmaps) fresh->AdoptPixmap(copy.Pixmap, copy.Pixels);
  for (TMeshCopy& copy : meshes) fresh->AdoptMesh(copy.Mesh, copy.Vertices, copy.Indices);
  fresh->ParticleMesh = particleMesh;
  fresh->ParticlePixmap = particlePixmap;
  return fresh;
}

void TDevice::AdoptPixmap(TPixmap* pixmap, const std::vector<std::uint32_t>& pixels) {
  pixmap->TextureHandle = 0;
  pixmap->LockedBits = nullptr;
  pixmap->Pitch = 0;
  pixmap->UploadFailed = false;
  // Listed even without a store, so that it is destroyed with this device.
  pixmaps_.push_back(pixmap);
  HoldTexture(*pixmap, TextureBytes(pixmap->Width, pixmap->Height));
  if (!AllocatePixmap(*pixmap)) return;
  void* bits = nullptr;
  if (pixels.empty() || !LockPixmapRectARGB(pixmap, 0, 0, pixmap->Width, pixmap->Height, bits, false)) return;
  const std::size_t row = static_cast<std::size_t>(pixmap->Width);
  const std::int32_t pitch = pixmap->Pitch > 0 ? pixmap->Pitch : pixmap->Width * 4;
  for (std::int32_t y = 0; y < pixmap->Height; ++y)
    std::memcpy(static_cast<std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * pitch,
                pixels.data() + row * static_cast<std::size_t>(y), row * 4);
  UnlockPixmap(pixmap);
}

void TDevice::AdoptMesh(TMesh* mesh, const std::vector<std::uint8_t>& vertices,
                        const std::vector<std::uint16_t>& indices) {
  mesh->VertexBufferHandle = 0;
  mesh->IndexBufferHandle = 0;
  mesh->VertexData.clear();
  mesh->IndexData.clear();
  meshes_.push_back(mesh);
  if (!AllocateMesh(*mesh)) return;
  const std::int32_t lockedVertices = mesh->LockedVertexCount, base = mesh->BaseVertex,
                     lockedIndices = mesh->LockedIndexCount;
  void* data = nullptr;
  const std::int32_t size = VertexSize(mesh->VertexFormat);
  if (!vertices.empty() && size > 0 &&
      LockMeshVertex(mesh, static_cast<std::int32_t>(vertices.size() / static_cast<std::size_t>(size)), data)) {
    std::memcpy(data, vertices.data(), vertices.size());
    UnlockMeshVertex(mesh);
  }
  if (!indices.empty() && LockMeshIndex(mesh, static_cast<std::int32_t>(indices.size()), data)) {
    std::memcpy(data, indices.data(), indices.size() * sizeof(std::uint16_t));
    UnlockMeshIndex(mesh);
  }
  mesh->LockedVertexCount = lockedVertices;
  mesh->BaseVertex = base;
  mesh->LockedIndexCount = lockedIndices;
}

}  // namespace corvane
