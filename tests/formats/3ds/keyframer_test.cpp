#include <gtest/gtest.h>

#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/file.h"
#include "formats/3ds/keyframer.h"
#include "tests/formats/3ds/loaded_file.h"

namespace corvane {
namespace {

using namespace chunk3ds;
using namespace test3ds;

TEST(Keyframer, SettingsFromTheHeaderSegmentAndTime) {
  TLoaded cube(Fixture("cube.3ds"));
  const TKFSets3DS sets = cube.file.KeyFramer().GetKFSets();
  EXPECT_EQ(sets.AnimLength, 100u);
  EXPECT_EQ(sets.CurFrame, 0u);
  EXPECT_TRUE(sets.SegUse);
  EXPECT_EQ(sets.SegEnd, 100u);
  TLoaded robot(Fixture("hierarchy.3ds"));
  EXPECT_EQ(GetKFSettings(robot.file).CurFrame, 12u);
  EXPECT_EQ(GetKFSettings(robot.file).SegBegin, 10u);

  // Without keyframer data: the defaults, and the tree gains an empty one.
  TLoaded bare(Chunk(M3DMAGIC, {}, {Chunk(M3D_VERSION, U32(3)), Chunk(MDATA)}));
  const TKFSets3DS defaults = GetKFSettings(bare.file);
  EXPECT_EQ(defaults.AnimLength, 30u);
  EXPECT_FALSE(defaults.SegUse);
  EXPECT_EQ(defaults.SegBegin, 0u);
  EXPECT_EQ(defaults.SegEnd, 30u);
  EXPECT_NE(FindNextChunk(bare.file.TopChunk()->Children(), KFDATA), nullptr);

  TLoaded library(Fixture("library.mli"));
  try {
    GetKFSettings(library.file);
    FAIL();
  } catch (const E3DSError& e) {
    EXPECT_EQ(e.what(), Error3DSText(error3ds_wrong_database));
  }
}

TEST(Keyframer, HierarchyWithInstancesAndParents) {
  TLoaded robot(Fixture("hierarchy.3ds"));
  TKeyFramer& kf = robot.file.KeyFramer();
  ASSERT_EQ(kf.GetMeshMotionCount(), 4);
  EXPECT_EQ(GetObjectNodeNameList(robot.file), (std::vector<std::string>{"Body.a", "Body.b", "Arm", "Hand"}));

  const TKFMesh3DS* body = kf.GetMeshMotion(0);
  EXPECT_EQ(body->Name, "Body.a");
  EXPECT_EQ(body->Instance, "a");
  EXPECT_EQ(body->Parent, "");
  EXPECT_EQ(body->Flags1, 0x4000);
  EXPECT_EQ(body->Pivot, (TPoint3DS{0.5f, 0.5f, 0}));
  EXPECT_EQ(body->BoundMax, (TPoint3DS{1, 1, 1}));
  ASSERT_EQ(body->Pos.KeyCount(), 2u);
  EXPECT_EQ(body->Pos.Keys[1].Time, 40u);
  EXPECT_FLOAT_EQ(body->Pos.Keys[1].Tension, 0.1f);
  EXPECT_FLOAT_EQ(body->Pos.Keys[1].EaseFrom, 0.5f);
  EXPECT_EQ(body->Pos.Values[1], (TPoint3DS{0, 5, 0}));
  EXPECT_EQ(body->Hide.KeyCount(), 2u);
  EXPECT_TRUE(body->Hide.Values.empty());
  EXPECT_EQ(body->Rot.KeyCount(), 0u);  // absent tracks are empty
  EXPECT_FLOAT_EQ(body->MSAngle, 0);

  const TKFMesh3DS* arm = kf.GetMeshMotion(2);
  EXPECT_EQ(arm->Name, "Arm");
  EXPECT_EQ(arm->Parent, "Body.a");  // the parent's name with its instance
  EXPECT_FLOAT_EQ(arm->MSAngle, 30);
  ASSERT_EQ(arm->Rot.KeyCount(), 2u);
  EXPECT_FLOAT_EQ(arm->Rot.Values[1].Angle, 3.14159f);
  EXPECT_FLOAT_EQ(arm->Rot.Values[1].Z, 1);
  ASSERT_EQ(arm->Morph.KeyCount(), 1u);
  EXPECT_EQ(arm->Morph.Values[0], "Hand");
  EXPECT_EQ(kf.GetMeshMotion(3)->Parent, "Arm");
  EXPECT_EQ(kf.GetMeshMotion(3)->Scale.Values[1], (TPoint3DS{2, 2, 2}));

  TChunk3DS* second = FindNextChunk(FindChunk(robot.file.TopChunk(), OBJECT_NODE_TAG)->Sibling(), OBJECT_NODE_TAG);
  EXPECT_EQ(FindObjectNodeByName(robot.file, "Body.b", OBJECT_NODE_TAG), second);
  EXPECT_EQ(GetObjectMotionByName(robot.file, "Body").Name, "Body.a");  // the first node of that name
  EXPECT_EQ(GetObjectMotionByName(robot.file, "Nobody").Name, "");
}

TEST(Keyframer, ParentNamesSurviveRepeatedReads) {
  TLoaded robot(Fixture("hierarchy.3ds"));
  TChunk3DS* armNode = FindObjectNodeByName(robot.file, "Arm", OBJECT_NODE_TAG);
  ASSERT_NE(armNode, nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadObjectMotionFromNode(robot.file, armNode).Parent, "Body.a") << i;
  // A copy of the node takes the name along and leaves it in place.
  std::unique_ptr<TChunk3DS> copy = CopyChunk(armNode);
  EXPECT_EQ(ReadObjectMotionFromNode(robot.file, armNode).Parent, "Body.a");
  EXPECT_EQ(ReadObjectMotionFromNode(robot.file, copy.get()).Parent, "Body.a");
}

TEST(Keyframer, CamerasAndLights) {
  TLoaded cube(Fixture("cube.3ds"));
  ASSERT_EQ(cube.file.KeyFramer().GetCamMotionCount(), 1);
  const TKFCamera3DS* camera = cube.file.KeyFramer().GetCameraMotion(0);
  EXPECT_EQ(camera->Name, "Camera01");
  ASSERT_EQ(camera->FOV.KeyCount(), 1u);
  EXPECT_FLOAT_EQ(camera->FOV.Values[0], 50);
  EXPECT_EQ(camera->Pos.Values[0], (TPoint3DS{0, -10, 5}));
  EXPECT_EQ(camera->TPos.KeyCount(), 1u);
  EXPECT_EQ(GetCameraMotionByIndex(cube.file, 1).Name, "");  // index = count: zeroed

  TLoaded lights(Fixture("lights.3ds"));
  TKeyFramer& kf = lights.file.KeyFramer();
  ASSERT_EQ(kf.GetOmniMotionCount(), 1);
  EXPECT_EQ(kf.GetOmniLightMotion(0)->Color.Values[0], (TFColor3DS{1, 0.5f, 0}));
  ASSERT_EQ(kf.GetSpotMotionCount(), 1);
  const TKFSpot3DS* spot = kf.GetSpotLightMotion(0);
  EXPECT_EQ(spot->Name, "Spot01");
  EXPECT_FLOAT_EQ(spot->Hot.Values[0], 30);
  EXPECT_FLOAT_EQ(spot->Fall.Values[0], 40);
  EXPECT_FLOAT_EQ(spot->Roll.Values[0], 15);
  ASSERT_EQ(spot->TPos.KeyCount(), 2u);  // the target node of the same name
  EXPECT_EQ(spot->TPos.Values[1], (TPoint3DS{1, 1, 0}));
  TKFAmbient3DS* ambient = kf.GetAmbientMotion();
  EXPECT_EQ(kf.GetAmbientMotion(), ambient);
  EXPECT_EQ(ambient->Name, "$AMBIENT$");
  EXPECT_EQ(ambient->Color.KeyCount(), 2u);
  EXPECT_THROW(ReadAmbientLightMotion(lights.file, nullptr), E3DSError);
}

TEST(Keyframer, ThousandsOfLightAndCameraNodesAreTakenByIndex) {
  // Each node by index is the first node of its tag bearing the index's
  // name, with the target of that name: a name given twice reads the first
  // node twice.
  constexpr int kEach = 4000;
  auto node = [](std::uint16_t tag, const std::string& name, std::uint16_t flags) {
    return Chunk(tag, {}, {Chunk(NODE_HDR, Str(name) + U16(flags) + U16(0) + U16(0xFFFF))});
  };
  std::string nodes;
  for (int i = 0; i < kEach; ++i) {
    const std::string n = std::to_string(i);
    nodes += node(CAMERA_NODE_TAG, "c" + n, 1) + node(TARGET_NODE_TAG, "c" + n, 2);
    nodes += node(LIGHT_NODE_TAG, "o" + n, 3);
    nodes += node(SPOTLIGHT_NODE_TAG, "s" + n, 4) + node(L_TARGET_NODE_TAG, "s" + n, 5);
  }
  nodes += node(CAMERA_NODE_TAG, "c0", 9);  // the name again
  TLoaded loaded(Chunk(M3DMAGIC, {}, {Chunk(KFDATA, nodes)}));
  TKeyFramer& kf = loaded.file.KeyFramer();
  ASSERT_EQ(kf.GetCamMotionCount(), kEach + 1);
  ASSERT_EQ(kf.GetOmniMotionCount(), kEach);
  ASSERT_EQ(kf.GetSpotMotionCount(), kEach);
  int wrong = 0;
  for (int i = 0; i < kEach; ++i) {
    const std::string n = std::to_string(i);
    const TKFCamera3DS* camera = kf.GetCameraMotion(i);
    wrong += camera->Name != "c" + n || camera->Flags1 != 1 || camera->TFlags1 != 2;
    wrong += kf.GetOmniLightMotion(i)->Name != "o" + n;
    const TKFSpot3DS* spot = kf.GetSpotLightMotion(i);
    wrong += spot->Name != "s" + n || spot->Flags1 != 4 || spot->TFlags1 != 5;
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(kf.GetCameraMotion(kEach)->Flags1, 1);  // the first "c0"
  EXPECT_EQ(GetCameraMotionByIndex(loaded.file, kEach + 1).Name, "");
}

TEST(Keyframer, NodesWithoutHeaderOrIdsOrKeyframer) {
  // A node without NODE_HDR reads with an empty name and zero flags, and
  // counts and lookups pass over its index entry.
  const std::string headless = Chunk(OBJECT_NODE_TAG, {}, {Chunk(NODE_ID, U16(0))});
  const std::string named = Chunk(OBJECT_NODE_TAG, {}, {Chunk(NODE_HDR, Str("Box") + U16(1) + U16(2) + U16(0xFFFF))});
  TLoaded loaded(Chunk(M3DMAGIC, {}, {Chunk(KFDATA, {}, {headless, named})}));
  EXPECT_EQ(CountKeyframeNodesByTag(loaded.file, OBJECT_NODE_TAG), 1);
  EXPECT_EQ(GetObjectNodeNameList(loaded.file), std::vector<std::string>{"Box"});
  const TKFMesh3DS m = ReadObjectMotionFromNode(loaded.file, FindChunk(loaded.file.TopChunk(), OBJECT_NODE_TAG));
  EXPECT_EQ(m.Name, "");
  EXPECT_EQ(m.Flags1, 0);
  ASSERT_EQ(loaded.file.KeyFramer().GetMeshMotionCount(), 1);
  EXPECT_EQ(loaded.file.KeyFramer().GetMeshMotion(0)->Name, "Box");
  EXPECT_EQ(loaded.file.KeyFramer().GetMeshMotion(0)->Flags2, 2);

  TLoaded none(Chunk(M3DMAGIC, {}, {Chunk(MDATA)}));
  EXPECT_EQ(none.file.KeyFramer().GetMeshMotionCount(), 0);
  EXPECT_EQ(none.file.KeyFramer().GetMeshMotion(0), nullptr);
  EXPECT_TRUE(GetCameraNodeNameList(none.file).empty());
  EXPECT_EQ(FindKeyframeNodeByName(none.file, "Box", OBJECT_NODE_TAG), nullptr);
  EXPECT_EQ(none.file.KeyFramer().GetAmbientMotion()->Color.KeyCount(), 0u);
}

}  // namespace
}  // namespace corvane
