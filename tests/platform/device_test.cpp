#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/geometry/matrix.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/text/text_convert.h"
#include "engine/core/visual_object.h"
#include "engine/shell/engine.h"
#include "engine/shell/engine_log.h"
#include "platform/device.h"
#include "platform/window.h"
#include "tests/platform/recording_device_test.h"

namespace corvane {
namespace {

class DeviceTest : public test::RecordingDeviceTest {
 protected:
  TWindow& Window() const { return *device->Window(); }
  std::u16string Info(const std::u16string& name) const {
    const THashedStringList& info = world.engine->LogBook().Info;
    const int i = info.IndexOfName(name);
    return i < 0 ? u"(none)" : info.GetValueFromIndex(i);
  }
};

TEST_F(DeviceTest, CreationPreparesTheScratchMeshAndStatesAndIsLogged) {
  EXPECT_EQ(world.log.CountInfo("recording device manager stared"), 1);
  ASSERT_NE(device->DynamicMesh, nullptr);
  EXPECT_EQ(device->DynamicMesh->VertexFormat, vfColorPixmapVertex);
  EXPECT_TRUE(device->DynamicMesh->Indexed && device->DynamicMesh->Dynamic);
  EXPECT_EQ(device->CountCalls("CreateRenderStateList"), 17);

  world.applet->UseRecordingDevice();  // the first one goes
  EXPECT_EQ(world.log.CountInfo("recording device manager closed"), 1);
}

// The caret's phase after each tick at a frame rate.
std::vector<float> Blink(TDevice& device, float fps, int ticks) {
  std::vector<float> phases;
  for (int i = 0; i < ticks; ++i) {
    device.ProcessTick(1.0f / fps, 0);
    phases.push_back(device.Window()->Caret->Phase);
  }
  return phases;
}

TEST_F(DeviceTest, CaretsBlinkCountShowsAndGoWithTheirPointer) {
  TCaret* caret = device->CreateCaret(2, 14, 0xFF00FF00);
  ASSERT_EQ(Window().Caret, caret);

  const std::vector<float> fiveFps = Blink(*device, 5, 5);
  const float expected[] = {0.6f, 1.0f, 0.4f, 0.0f, 0.6f};
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(fiveFps[static_cast<std::size_t>(i)], expected[i], 1e-5f) << i;
  EXPECT_FALSE(Window().CaretUpdating);
  // Each step asks for the window to be painted again.
  const std::int32_t repaints = world.applet->UpdateCount();
  device->ProcessTick(0.1f, 0);
  EXPECT_EQ(world.applet->UpdateCount(), repaints + 1);

  // In the background the caret stands still and asks for nothing.
  world.applet->Deactivate();
  const float still = caret->Phase;
  device->ProcessTick(0.1f, 0);
  EXPECT_EQ(caret->Phase, still);
  EXPECT_EQ(world.applet->UpdateCount(), repaints + 1);
  world.applet->Activate();
  device->ProcessTick(0.1f, 0);
  EXPECT_NE(caret->Phase, still);

  device->ShowCaret(caret);
  device->ShowCaret(caret);
  device->HideCaret(caret);
  EXPECT_EQ(caret->ShowCount, 1);
  device->DestroyCaret(caret);
  EXPECT_EQ(caret, nullptr);
  EXPECT_EQ(Window().Caret, nullptr);
  device->ProcessTick(0.1f, 0);  // no caret: nothing to blink
}

TEST_F(DeviceTest, LightsStopAtEightAndIndicesOutsideAreIgnored) {
  for (std::int32_t i = 1; i <= 7; ++i) EXPECT_EQ(device->AddLight(), i);
  EXPECT_EQ(device->AddLight(), -1);
  // A slot handed back is the next one handed out, its record cleared.
  device->SetLight(3, {1, 2, 3, 1}, {0, 0, 0, 1}, 1, 2, 3, false, true);
  device->FreeLight(3);
  EXPECT_FALSE(Window().Lights[3].Enabled);
  EXPECT_EQ(Window().Lights[3].Diffuse, 0u);
  for (std::int32_t index : {0, -1, 8}) device->FreeLight(index);
  EXPECT_EQ(device->AddLight(), 3);
  EXPECT_EQ(device->AddLight(), -1);

  const TSpaceVector p{1, 2, 3, 1}, t{4, 5, 6, 1};
  device->SetLight(7, p, t, 0x01, 0x02, 0x03, true, true);
  EXPECT_EQ(Window().Lights[7].Diffuse, 0x02u);
  const auto before = Window().Lights;
  for (std::int32_t index : {-1, 8, 1000, -2147483647}) device->SetLight(index, p, t, 9, 9, 9, true, true);
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(Window().Lights[i].Diffuse, before[i].Diffuse) << i;
}

TEST_F(DeviceTest, ScreenModeSizesComeFromTheModeText) {
  struct Case {
    std::u16string text;
    std::int32_t width, height;
  };
  const Case cases[] = {
      {u"1024x768x32", 1024, 768}, {u"800, 600", 800, 600}, {u"1024", 1024, 0},
      {u"wide x tall", 0, 0},      {u"", 0, 0},             {u"99999999999x1", 0, 1},
  };
  for (const Case& c : cases) {
    device->ScreenModes.Clear();
    device->ScreenModes.Add(c.text);
    EXPECT_EQ(device->GetScreenWidth(0), c.width) << Utf16ToUtf8(c.text);
    EXPECT_EQ(device->GetScreenHeight(0), c.height) << Utf16ToUtf8(c.text);
    EXPECT_EQ(device->GetScreenWidth(1), 0);
    EXPECT_EQ(device->GetScreenHeight(1), 0);
  }
  EXPECT_EQ(device->GetScreenWidth(-1), 1024);
  EXPECT_EQ(device->GetScreenHeight(-1), 768);
}

TEST_F(DeviceTest, FrameStatisticsFollowTheClock) {
  test::TNullPlatform& clock = world.Platform();
  clock.SetStep(0);
  // A second at 4 frames, then one at 8 (times exact in binary).
  float now = 0;
  for (int i = 0; i < 5; ++i) {
    now += 0.25f;
    clock.SetTime(now);
    device->RenderWindow();
  }
  EXPECT_EQ(device->Fps, 4.0f);
  EXPECT_EQ(device->MaxFps, 4.0f);
  EXPECT_EQ(device->AvgFps, 2.0f);
  EXPECT_EQ(device->FrameCount, 0);
  EXPECT_EQ(device->Elapsed, 0.0f);
  for (int i = 0; i < 9; ++i) {
    now += 0.125f;
    clock.SetTime(now);
    device->RenderWindow();
  }
  EXPECT_EQ(device->Fps, 8.0f);
  EXPECT_EQ(device->MaxFps, 8.0f);
  EXPECT_EQ(device->AvgFps, 5.0f);
  // A slower second leaves the maximum.
  for (int i = 0; i < 2; ++i) {
    now += 0.75f;
    clock.SetTime(now);
    device->RenderWindow();
  }
  EXPECT_EQ(device->Fps, 2.0f / 1.5f);
  EXPECT_EQ(device->MaxFps, 8.0f);

  device->MaxFps = 60;
  device->AvgFps = 37.5f;
  world.log.Clear();
  device->WriteStatistics();
  EXPECT_EQ(world.log.Lines(), (std::vector<std::string>{"(i) ==== Device statistics ==========",
                                                          "(i) Max FPS: 60.00", "(i) Avg FPS: 37.50",
                                                          "(i) ==== Device statistics finish ==="}));
}

TEST_F(DeviceTest, DebugLinesOnlyWhileTheDebugFormShows) {
  device->RenderWindow();
  EXPECT_EQ(Info(u"Render:"), u"(none)");
  world.applet->SetDebugFormVisible(true);
  device->Fps = 5;
  device->TriangleCount = 42;
  device->WriteDebugInfo();
  EXPECT_EQ(Info(u"Render:"), u"recording");
  EXPECT_EQ(Info(u"FPS:"), u"5.00");
  EXPECT_EQ(Info(u"Tri Count:"), u"    42");
  EXPECT_EQ(Info(u"Buffer Size:"), u"640x480");
  EXPECT_EQ(Info(u"Mesh N:"), u"1");
  EXPECT_EQ(Info(u"Pixmap N:"), u"0");
}

TEST_F(DeviceTest, RenderSceneStartsEveryFrameClean) {
  TPixmap* pixmap = device->CreatePixmap(2, 2);
  device->SetPixmap(0, pixmap);
  device->SetRenderState(rsLightOn);
  device->SetColor(0xFFFFFFFF);
  device->TriangleCount = 7;
  device->ParticleCount = 3;
  device->DynamicMesh->LockedVertexCount = 12;
  device->DynamicMesh->LockedIndexCount = 18;
  device->CurrentMesh = device->DynamicMesh;
  device->RenderWindow();
  EXPECT_EQ(device->TriangleCount, 0);
  EXPECT_EQ(device->ParticleCount, 0);
  EXPECT_EQ(device->StateChanges, 0);
  EXPECT_FALSE(device->StateActive(rsLightOn));
  EXPECT_EQ(device->Stages[0], nullptr);
  EXPECT_EQ(device->CurrentMesh, nullptr);
  EXPECT_EQ(device->Material, TMaterial());
  EXPECT_EQ(device->DynamicMesh->LockedVertexCount, 0);
  EXPECT_EQ(device->DynamicMesh->LockedIndexCount, 0);
  EXPECT_EQ(device->SpaceMatrix, IdentitySpaceMatrix);
  EXPECT_TRUE(device->FramePending);
}

// A visual object that fills one rectangle in its paint.
class TPaintedRect : public VisualObject {
  CORVANE_CLASS(TPaintedRect, VisualObject)
  using VisualObject::VisualObject;
  void Paint() override {
    if (TDevice* device = GetApplet()->Device()) {
      device->SetColor(0xFF00FF00);
      device->FillRect(1, 2, 3, 4, 0);
    }
  }
};
CORVANE_IMPLEMENT_CLASS(TPaintedRect)

TEST_F(DeviceTest, EveryFrameHasTheAppletPaintItsTreeBeforeTheCaret) {
  RegisterClasses({TPaintedRect::StaticClass()});
  world.Load("object rect: TPaintedRect\nend\n");
  TCaret* caret = device->CreateCaret(2, 14, 0xFF0000FF);
  device->ShowCaret(caret);
  device->RenderWindow();
  ASSERT_EQ(device->Draws.size(), 2u);
  EXPECT_EQ(device->Draws[0].Material.Diffuse, 0xFF00FF00u);  // the rectangle, then the caret
  device->FlipWindow();
  device->RenderWindow();
  EXPECT_EQ(device->Draws.size(), 4u);
}

TEST_F(DeviceTest, AShownCaretIsOutlinedAsOpaqueAsItsPhase) {
  TCaret* caret = device->CreateCaret(2, 14, 0x8000FF00);
  TSpaceMatrix m = IdentitySpaceMatrix;
  m[3] = {100, 50, 0, 1};
  device->SetCaretPosition(caret, m, 3, 4);
  caret->Phase = 0.5f;
  device->RenderWindow();
  EXPECT_TRUE(device->Draws.empty());  // hidden

  device->ShowCaret(caret);
  device->RenderWindow();
  ASSERT_EQ(device->Draws.size(), 1u);
  const test::TRecordedDraw& draw = device->Draws[0];
  EXPECT_EQ(draw.Matrix, m);
  EXPECT_EQ(draw.Material.Diffuse, 0x7F00FF00u);
  const std::vector<test::TRecordedQuad> quads = test::QuadsOf(draw);
  ASSERT_EQ(quads.size(), 4u);
  EXPECT_EQ(quads[0].Rect, (TRect{3, 4, 4, 5}));
  EXPECT_EQ(quads[1].Rect, (TRect{4, 17, 5, 18}));
}

TEST_F(DeviceTest, ThePixelOffsetMovesOnly2DMatrices) {
  device->PixelOffset = 0.5f;
  TSpaceMatrix m = IdentitySpaceMatrix;
  m[3] = {10, 20, 30, 1};
  device->SetRenderState(rs3DScene);
  device->SetSpaceMatrix(m);
  EXPECT_EQ(device->SpaceMatrix, m);
  device->SetRenderState(rs2DScene);
  device->SetSpaceMatrix(m);
  EXPECT_EQ(device->SpaceMatrix[3], (TSpaceVector{10.5f, 20.5f, 30, 1}));
}

// The ray under the window's centre runs from the camera along its
// direction.
TEST_F(DeviceTest, ThePickRayStartsAtTheCamera) {
  device->SetCameraPos({1, 2, 3, 1}, {0, 0, -2, 0}, {0, 1, 0, 0});
  TSpaceVector origin, direction;
  device->Pick(320, 240, origin, direction);
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(origin[i], (TSpaceVector{1, 2, 3, 1})[i], 1e-4f) << i;
    EXPECT_NEAR(direction[i], (TSpaceVector{0, 0, -1, 1})[i], 1e-6f) << i;
  }
}

TEST_F(DeviceTest, AGrowRequestIsServedAtTheNextTickUpToTheCaps) {
  TMesh* old = device->DynamicMesh;
  device->CurrentMesh = old;
  device->RequestToInsCreaseDynamicMesh();
  device->ProcessTick(0.1f, 0);
  EXPECT_FALSE(device->GrowRequest);
  EXPECT_EQ(world.log.CountInfo("Dynamic mesh increased to new size VB=15000 IB=30000"), 1);
  ASSERT_NE(device->DynamicMesh, nullptr);
  EXPECT_EQ(device->DynamicMesh->VertexCount, 15000);
  EXPECT_EQ(device->DynamicMesh->IndexCount, 30000);
  EXPECT_EQ(device->CurrentMesh, nullptr);
  EXPECT_EQ(device->Meshes().size(), 1u);

  CurColorVertexCount = 95000;
  CurIndexCount = MaxIndex;
  device->IncreaseDynamicMesh();
  EXPECT_EQ(device->DynamicMesh->VertexCount, MaxColorVertex);
  EXPECT_EQ(device->DynamicMesh->IndexCount, MaxIndex);
  world.log.Clear();
  TMesh* capped = device->DynamicMesh;
  device->IncreaseDynamicMesh();
  EXPECT_EQ(device->DynamicMesh, capped);
  EXPECT_TRUE(world.log.Lines().empty());
}

TEST_F(DeviceTest, MeshLocksRefuseCountsBeyondTheStore) {
  TMesh* mesh = device->CreateMesh(vfColorPixmapVertex, 10, true, 15, false, false, 0);
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->VertexBufferSize, 240);
  struct Case {
    TVertexFormat format;
    std::int32_t count;
    bool locks;
  };
  const Case vertexCases[] = {
      {vfColorPixmapVertex, 10, true},       {vfColorPixmapVertex, 11, false},
      {vfColorPixmapVertex, -1, false},      {vfColorPixmapVertex, 0, true},
      {vfColorPixmapVertexNormal, 6, true},  {vfColorPixmapVertexNormal, 7, false},  // 36-byte vertices
      {vfVertex, 20, true},                  {vfVertex, 21, false},
  };
  for (const Case& c : vertexCases) {
    mesh->VertexFormat = c.format;
    mesh->LockedVertexCount = -5;
    mesh->BaseVertex = 9;
    void* data = nullptr;
    EXPECT_EQ(device->LockMeshVertex(mesh, c.count, data), c.locks) << c.format << " " << c.count;
    EXPECT_EQ(data != nullptr, c.locks);
    if (c.locks) {
      EXPECT_EQ(mesh->LockedVertexCount, c.count);
      EXPECT_EQ(mesh->BaseVertex, 0);
      device->UnlockMeshVertex(mesh);
    } else {
      EXPECT_EQ(mesh->LockedVertexCount, -5);
    }
  }
  void* data = nullptr;
  EXPECT_TRUE(device->LockMeshIndex(mesh, 15, data));
  EXPECT_EQ(mesh->LockedIndexCount, 15);
  EXPECT_FALSE(device->LockMeshIndex(mesh, 16, data));
  EXPECT_FALSE(device->LockMeshIndex(mesh, -1, data));
  EXPECT_FALSE(device->LockMeshIndex(nullptr, 1, data));
  EXPECT_FALSE(device->LockMeshVertex(nullptr, 1, data));

  TMesh* plain = device->CreateMesh(vfVertex, 3, false, 0, false, false, 0);
  EXPECT_FALSE(device->LockMeshIndex(plain, 0, data));
  // An animated mesh's store holds every frame.
  TMesh* animated = device->CreateMesh(vfPixmapVertexNormal, 4, true, 6, false, true, 5);
  EXPECT_TRUE(device->LockMeshVertex(animated, 20, data));
  EXPECT_FALSE(device->LockMeshVertex(animated, 21, data));
  device->FailLocks = true;
  EXPECT_FALSE(device->LockMeshVertex(animated, 1, data));
}

TEST_F(DeviceTest, CreateRefusesImpossibleSizes) {
  const std::int32_t meshes = static_cast<std::int32_t>(device->Meshes().size());
  EXPECT_EQ(device->CreateMesh(vfVertex, -1, false, 0, false, false, 0), nullptr);
  EXPECT_EQ(device->CreateMesh(vfVertex, 3, true, -3, false, false, 0), nullptr);
  EXPECT_EQ(device->CreateMesh(vfColorPixmapVertexNormal, 100000000, false, 0, false, false, 0), nullptr);
  EXPECT_EQ(device->CreateMesh(vfPixmapVertexNormal, 1000000, false, 0, false, true, 1000), nullptr);
  EXPECT_EQ(device->CreatePixmap(-1, 4), nullptr);
  EXPECT_EQ(device->CreatePixmap(65536, 65536), nullptr);
  EXPECT_EQ(static_cast<std::int32_t>(device->Meshes().size()), meshes);
  EXPECT_TRUE(device->Pixmaps().empty());
  EXPECT_EQ(world.log.CountError("Can't create pixmap of 65536x65536"), 1);
}

TEST_F(DeviceTest, PixmapLocksAreSingleAndInsideThePixmap) {
  TPixmap* pixmap = device->CreatePixmap(4, 3);
  void* bits = nullptr;
  EXPECT_FALSE(device->LockPixmapRectARGB(pixmap, 0, 0, 5, 3, bits, false));
  EXPECT_FALSE(device->LockPixmapRectARGB(pixmap, 2, 1, 3, 1, bits, false));
  EXPECT_FALSE(device->LockPixmapRectARGB(pixmap, -1, 0, 1, 1, bits, false));
  EXPECT_FALSE(pixmap->Locked());
  ASSERT_TRUE(device->LockPixmapRectARGB(pixmap, 1, 1, 2, 2, bits, false));
  EXPECT_EQ(pixmap->LockedBits, bits);
  static_cast<std::uint32_t*>(bits)[0] = 0xFFABCDEF;  // pixel (1, 1)
  void* again = nullptr;
  EXPECT_FALSE(device->LockPixmapRectARGB(pixmap, 0, 0, 4, 3, again, false));
  EXPECT_EQ(world.log.CountError("Pixmap already locked"), 1);
  device->UnlockPixmap(pixmap);
  EXPECT_FALSE(pixmap->Locked());
  EXPECT_EQ((*device->PixelsOf(pixmap))[5], 0xFFABCDEFu);

  // A pixmap destroyed while locked is unlocked first.
  ASSERT_TRUE(device->LockPixmapRectARGB(pixmap, 0, 0, 4, 3, bits, true));
  device->SetPixmap(0, pixmap);
  device->DestroyPixmap(pixmap);
  EXPECT_EQ(pixmap, nullptr);
  EXPECT_EQ(device->Stages[0], nullptr);
  EXPECT_EQ(device->LivePixmapStores(), 0u);
}

TEST_F(DeviceTest, ReleaseObjectsDestroysEveryPixmapAndMesh) {
  device->CreatePixmap(1, 1);
  device->CreatePixmap(2, 2);
  device->CreateMesh(vfVertex, 3, true, 3, false, false, 0);
  device->ParticleMesh = device->CreateMesh(vfColorPixmapVertex, 8, true, 12, true, false, 0);
  device->ParticlePixmap = device->CreatePixmap(4, 4);
  device->ClearRecords();
  device->ReleaseObjects();
  EXPECT_EQ(device->ParticlePixmap, nullptr);
  EXPECT_TRUE(device->Pixmaps().empty());
  EXPECT_TRUE(device->Meshes().empty());
  EXPECT_EQ(device->DynamicMesh, nullptr);
  EXPECT_EQ(device->ParticleMesh, nullptr);
  EXPECT_EQ(device->LivePixmapStores(), 0u);
  EXPECT_EQ(device->LiveMeshStores(), 0);
  EXPECT_EQ(device->CountCalls("ReleasePixmap"), 3);
  EXPECT_EQ(device->CountCalls("ReleaseMesh"), 3);
}

TEST_F(DeviceTest, CloneDeviceKeepsThePixmapAndMeshObjects) {
  TPixmap* pixmap = device->CreatePixmap(3, 2);
  void* bits = nullptr;
  ASSERT_TRUE(device->LockPixmapRectARGB(pixmap, 0, 0, 3, 2, bits, false));
  for (std::uint32_t i = 0; i < 6; ++i) static_cast<std::uint32_t*>(bits)[i] = 0xFF000000 + i;
  device->UnlockPixmap(pixmap);

  TMesh* mesh = device->CreateMesh(vfVertex, 3, true, 3, false, false, 0);
  ASSERT_TRUE(device->LockMeshVertex(mesh, 3, bits));
  const TVertex triangle[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  std::memcpy(bits, triangle, sizeof triangle);
  device->UnlockMeshVertex(mesh);
  ASSERT_TRUE(device->LockMeshIndex(mesh, 3, bits));
  const std::uint16_t indices[3] = {2, 1, 0};
  std::memcpy(bits, indices, sizeof indices);
  device->UnlockMeshIndex(mesh);

  TMesh* animated = device->CreateMesh(vfPixmapVertexNormal, 1, false, 0, false, true, 3);
  ASSERT_TRUE(device->LockMeshVertex(animated, 3, bits));
  for (int f = 0; f < 3; ++f)
    static_cast<TPixmapVertexNormal*>(bits)[f] = PixmapVertexNormal(static_cast<float>(f), 0, 0, 0, 0, 1, 0, 0);
  device->UnlockMeshVertex(animated);
  animated->LockedVertexCount = 1;

  TMesh* particles = device->CreateMesh(vfColorPixmapVertex, 8, true, 12, true, false, 0);
  device->ParticleMesh = particles;
  device->ParticlePixmap = pixmap;

  TDevice* fresh = TDevice::CloneDevice(device, DeviceClassOf<test::TRecordingDevice>());
  world.applet->AdoptDevice(fresh);
  auto* clone = static_cast<test::TRecordingDevice*>(fresh);
  EXPECT_EQ(world.log.CountInfo("recording device manager closed"), 1);

  EXPECT_EQ(clone->Pixmaps(), std::vector<TPixmap*>{pixmap});
  ASSERT_NE(clone->PixelsOf(pixmap), nullptr);
  EXPECT_EQ(*clone->PixelsOf(pixmap),
            (std::vector<std::uint32_t>{0xFF000000, 0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004, 0xFF000005}));
  ASSERT_EQ(clone->Meshes().size(), 4u);
  EXPECT_EQ(clone->Meshes()[0], clone->DynamicMesh);
  EXPECT_EQ(clone->DynamicMesh->VertexCount, 6000);
  EXPECT_EQ(clone->Meshes()[1], mesh);
  EXPECT_EQ(clone->Meshes()[2], animated);
  EXPECT_EQ(clone->Meshes()[3], particles);
  EXPECT_EQ(clone->ParticleMesh, particles);
  EXPECT_EQ(clone->ParticlePixmap, pixmap);

  clone->DrawMesh(mesh);
  ASSERT_EQ(clone->Draws.size(), 1u);
  EXPECT_EQ(clone->Draws[0].Indices, (std::vector<std::uint16_t>{2, 1, 0}));
  const std::vector<TVertex> drawn = clone->Draws[0].As<TVertex>();
  ASSERT_EQ(drawn.size(), 3u);
  EXPECT_EQ(drawn[2], (TVertex{0, 1, 0}));

  EXPECT_EQ(animated->LockedVertexCount, 1);
  ASSERT_EQ(animated->VertexData.size(), 3 * sizeof(TPixmapVertexNormal));
  TPixmapVertexNormal last;
  std::memcpy(&last, animated->VertexData.data() + 2 * sizeof last, sizeof last);
  EXPECT_EQ(last.position.x, 2.0f);
  EXPECT_EQ(particles->VertexData.size(), 8 * sizeof(TColorPixmapVertex));
}

}  // namespace
}  // namespace corvane
