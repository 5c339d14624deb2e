// The OpenGL device's published methods called by name, as scripts and the
// inspector call them: Variant arguments, var parameters written back into
// the caller's array, records and matrices as Variant arrays, on a real
// context (Mesa's llvmpipe under SDL's offscreen driver).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/geometry/geometry_records.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/exceptions.h"
#include "platform/scratch_quads.h"
#include "tests/platform_sdl/gl_harness.h"

namespace corvane {
namespace {

class OGLDeviceByNameTest : public test::GLDeviceTest {
 protected:
  const TMethodInfo& Method(const char* name) const {
    const TMethodInfo* method = Device().ClassType()->FindMethod(name);
    if (!method) throw std::logic_error(std::string("not published: ") + name);
    return *method;
  }
  Variant Call(const char* name, std::vector<Variant> args = {}) const { return Method(name).Invoke(Device(), args); }
  // Calls with var parameters; args receives what they hold afterwards.
  Variant CallVar(const char* name, std::vector<Variant>& args) const { return Method(name).InvokeVar(Device(), args); }
};

Variant Obj(TObject* object) { return Variant(object); }

template <class T>
T* Address(const Variant& v) {
  return reinterpret_cast<T*>(static_cast<std::uintptr_t>(v.AsUInt64()));
}

Variant Vec(float x, float y, float z, float w) {
  return Variant(std::vector<Variant>{Variant(x), Variant(y), Variant(z), Variant(w)});
}

TSpaceVector VecOf(const Variant& v) { return VariantTo<TSpaceVector>(v); }

TEST_F(OGLDeviceByNameTest, APixmapIsMadeFilledReadBackAndDestroyedByName) {
  auto* pixmap = static_cast<TPixmap*>(Call("CreatePixmap", {Variant(2), Variant(2)}).AsObject());
  ASSERT_NE(pixmap, nullptr);
  std::vector<Variant> lock = {Obj(pixmap), Variant(0), Variant(0), Variant(2), Variant(2), Variant(), Variant(false)};
  ASSERT_TRUE(CallVar("LockPixmapRectARGB", lock).AsBoolean());
  auto* bits = Address<std::uint32_t>(lock[5]);
  ASSERT_NE(bits, nullptr);
  EXPECT_EQ(bits, pixmap->LockedBits);
  const std::uint32_t picture[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF};
  std::memcpy(bits, picture, sizeof picture);
  // Locked once at a time: the second lock is refused and hands back null.
  std::vector<Variant> again = lock;
  EXPECT_FALSE(CallVar("LockPixmapRectARGB", again).AsBoolean());
  EXPECT_EQ(again[5].AsUInt64(), 0u);
  Call("UnlockPixmap", {Obj(pixmap)});
  EXPECT_FALSE(pixmap->Locked());

  std::vector<Variant> read = {Obj(pixmap), Variant(0), Variant(0), Variant(2), Variant(2), Variant(), Variant(true)};
  ASSERT_TRUE(CallVar("LockPixmapRectARGB", read).AsBoolean());
  EXPECT_EQ(std::memcmp(Address<std::uint32_t>(read[5]), picture, sizeof picture), 0);
  Call("UnlockPixmap", {Obj(pixmap)});

  // Bound by name, the texture shows.
  gl->Begin2D();
  Call("SetPixmap", {Variant(0), Obj(pixmap)});
  EXPECT_EQ(Device().Stages[0], pixmap);
  Device().SetRenderState(rsTexNearest);
  Device().SetRenderState(rsTexModulate);
  Device().SetColor(0xFFFFFFFF);
  Device().DrawPixmap(pixmap, Rect(0, 0, 20, 20));
  const std::vector<std::uint32_t> pixels = gl->ReadAndFlip();
  EXPECT_EQ(gl->Rgb(pixels, 5, 5), 0xFF0000u);
  EXPECT_EQ(gl->Rgb(pixels, 15, 5), 0x00FF00u);

  std::vector<Variant> destroy = {Obj(pixmap)};
  CallVar("DestroyPixmap", destroy);
  EXPECT_EQ(destroy[0].VarType(), varObject);
  EXPECT_EQ(destroy[0].AsObject(), nullptr);
  EXPECT_EQ(std::count(Device().Pixmaps().begin(), Device().Pixmaps().end(), pixmap), 0);
  EXPECT_EQ(Device().Stages[0], nullptr);
}

TEST_F(OGLDeviceByNameTest, AMeshIsMadeFilledDrawnAndDestroyedByName) {
  const std::vector<Variant> make = {Variant("vfColorVertex"), Variant(4), Variant(true), Variant(6),
                                     Variant(false),           Variant(false), Variant(0)};
  auto* mesh = static_cast<TMesh*>(Call("CreateMesh", make).AsObject());
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->VertexFormat, vfColorVertex);
  EXPECT_EQ(mesh->IndexCount, 6);

  std::vector<Variant> vertices = {Obj(mesh), Variant(4), Variant()};
  ASSERT_TRUE(CallVar("LockMeshVertex", vertices).AsBoolean());
  auto* quad = Address<TColorVertex>(vertices[2]);
  ASSERT_NE(quad, nullptr);
  const std::uint32_t cyan = Device().CorrectMeshVertexColor(0xFF00FFFF);
  const float corners[4][2] = {{10, 10}, {30, 10}, {30, 30}, {10, 30}};
  for (int i = 0; i < 4; ++i) quad[i] = ColorVertex(corners[i][0], corners[i][1], 0, cyan);
  Call("UnlockMeshVertex", {Obj(mesh)});
  std::vector<Variant> indices = {Obj(mesh), Variant(6), Variant()};
  ASSERT_TRUE(CallVar("LockMeshIndex", indices).AsBoolean());
  WriteQuadIndices(Address<std::uint16_t>(indices[2]), 0, 0);
  Call("UnlockMeshIndex", {Obj(mesh)});
  EXPECT_EQ(mesh->LockedVertexCount, 4);
  EXPECT_EQ(mesh->LockedIndexCount, 6);
  // A count beyond the store is refused, and the pointer comes back null.
  std::vector<Variant> tooMany = {Obj(mesh), Variant(5), Variant()};
  EXPECT_FALSE(CallVar("LockMeshVertex", tooMany).AsBoolean());
  EXPECT_EQ(tooMany[2].AsUInt64(), 0u);

  gl->Begin2D();
  Device().SetRenderState(rsTexDisable);
  Call("DrawMesh", {Obj(mesh)});
  const std::vector<std::uint32_t> pixels = gl->ReadAndFlip();
  EXPECT_EQ(gl->Rgb(pixels, 20, 20), 0x00FFFFu);
  EXPECT_EQ(Lit(pixels), 20 * 20);
  EXPECT_EQ(Device().TriangleCount, 2);

  std::vector<Variant> destroy = {Obj(mesh)};
  CallVar("DestroyMesh", destroy);
  EXPECT_EQ(destroy[0].AsObject(), nullptr);
  EXPECT_EQ(std::count(Device().Meshes().begin(), Device().Meshes().end(), mesh), 0);
  // A format that is no format is refused before the call.
  const std::vector<Variant> badFormat = {Variant("vfTriangles"), Variant(4), Variant(false), Variant(0),
                                          Variant(false),         Variant(false), Variant(0)};
  EXPECT_THROW(Call("CreateMesh", badFormat), EConvertError);
}

TEST_F(OGLDeviceByNameTest, MaterialTextureMatrixAndLinesTakeTheirRecordsAsArrays) {
  gl->Begin2D();
  Call("SetMaterial", {Variant(std::vector<Variant>{Variant(true), Variant(0xFF00FF00u), Variant(0xFF101010u),
                                                    Variant(0xFF202020u)})});
  EXPECT_EQ(Device().Material, (TMaterial{true, 0xFF00FF00, 0xFF101010, 0xFF202020}));
  EXPECT_TRUE(Device().StateActive(rsLightOn));
  Call("SetMaterial", {Variant(std::vector<Variant>{Variant(false), Variant(0xFF00FF00u), Variant(0u), Variant(0u)})});
  EXPECT_TRUE(Device().StateActive(rsLightOff));

  const Variant scale = Variant(std::vector<Variant>{
      Variant(std::vector<Variant>{Variant(0.5f), Variant(0.0f), Variant(0.0f)}),
      Variant(std::vector<Variant>{Variant(0.0f), Variant(0.25f), Variant(0.0f)}),
      Variant(std::vector<Variant>{Variant(3.0f), Variant(4.0f), Variant(1.0f)})});
  Call("SetTextureMatrix", {scale});
  GLfloat loaded[16] = {};
  glGetFloatv(GL_TEXTURE_MATRIX, loaded);
  EXPECT_EQ(loaded[0], 0.5f);
  EXPECT_EQ(loaded[5], 0.25f);
  EXPECT_EQ(loaded[12], 3.0f);
  EXPECT_EQ(loaded[13], 4.0f);
  Call("SetTextureMatrix", {Variant()});  // the zero matrix, as a missing argument
  EXPECT_EQ(Device().TextureMatrix, TPlaneMatrix{});
  Device().SetTextureMatrix(IdentityPlaneMatrix);

  // Two segments from four points, in the material's colour.
  const Variant points = Variant(std::vector<Variant>{Vec(10, 40.5f, 0, 1), Vec(100, 40.5f, 0, 1),
                                                      Vec(10, 60.5f, 0, 1), Vec(100, 60.5f, 0, 1)});
  Call("DrawLine", {points, Variant(4), Variant(1.0f)});
  // Count may not reach past the points given: refused, nothing drawn.
  const Variant stray = Variant(std::vector<Variant>{Vec(10, 80.5f, 0, 1), Vec(100, 80.5f, 0, 1)});
  EXPECT_THROW(Call("DrawLine", {stray, Variant(3), Variant(1.0f)}), EConvertError);
  const std::vector<std::uint32_t> pixels = gl->ReadAndFlip();
  EXPECT_EQ(gl->Rgb(pixels, 50, 40), 0x00FF00u);
  EXPECT_EQ(gl->Rgb(pixels, 50, 60), 0x00FF00u);
  EXPECT_EQ(gl->Rgb(pixels, 50, 50), 0u);
  EXPECT_EQ(gl->Rgb(pixels, 50, 80), 0u);
}

TEST_F(OGLDeviceByNameTest, ProjectionAndPickingAnswerAsTheDirectCallsDo) {
  Device().SetCameraPos({0, -150, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1});
  const TSpaceMatrix direct = Device().ModelViewProj();
  const Variant byName = Call("ModelViewProj");
  EXPECT_EQ(VariantTo<TSpaceMatrix>(byName), direct);
  ASSERT_EQ(byName.AsArray().size(), 4u);
  EXPECT_EQ(byName.AsArray()[2].AsArray().size(), 4u);

  for (const TPoint at : {TPoint{320, 240}, TPoint{10, 400}}) {
    TSpaceVector origin, direction;
    Device().Pick(at.x, at.y, origin, direction);
    std::vector<Variant> pick = {Variant(at.x), Variant(at.y), Vec(9, 9, 9, 9), Variant()};
    Method("Pick").InvokeVar(Device(), pick);
    EXPECT_EQ(VecOf(pick[2]), origin) << at.x;
    EXPECT_EQ(VecOf(pick[3]), direction) << at.x;
  }

  // Full screen by name: a mode index beyond the list changes nothing.
  const bool before = Device().FullScreenOn;
  Call("FullScreen", {Variant(true), Variant(Device().ScreenModes.Count() + 5)});
  EXPECT_EQ(Device().FullScreenOn, before);
}

}  // namespace
}  // namespace corvane
