#include "model/mesh_model.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include "model/run_error.h"

namespace ombrix {
namespace {

TEST(MeshModel, MeshArraysHaveABorderRingAndAFailedAllocationKeepsThePreviousMesh) {
  MeshModel model;
  EXPECT_EQ(ErrorNumberOf([&] { (void)model.NodeValue(1, 1); }), err::kSubscriptOutOfRange);
  AllocateMesh(model, 3, 2);
  EXPECT_EQ(model.NodeX.upper(), 5);
  EXPECT_EQ(model.NodeY.upper(), 4);
  EXPECT_EQ(model.NodeValue(-1, -1), 0.0);
  EXPECT_EQ(model.NodeBlank(4, 5), 0);
  EXPECT_EQ(ErrorNumberOf([&] { (void)model.NodeValue(5, 1); }), err::kSubscriptOutOfRange);
  model.NodeValue(1, 1) = 42;
  EXPECT_EQ(ErrorNumberOf([&] { AllocateMesh(model, INT32_MAX, 1); }), err::kOverflow);
  EXPECT_EQ(ErrorNumberOf([&] { AllocateMesh(model, -4, 2); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { AllocateMesh(model, 1000000, 1000000); }), err::kOutOfMemory);
  EXPECT_EQ(model.NodeCountX, 3);
  EXPECT_EQ(model.NodeValue(1, 1), 42.0);
}

// The list's size for other meshes and its overflow are pinned through BuildTriangleList.
TEST(MeshModel, AFullTriangleListRefusesTheNextTriangleAndKeepsItsCount) {
  MeshModel model;
  AllocateMesh(model, 2, 2);
  ResetTriangles(model);  // 0..26: entries 1 to 26 take a triangle, the 27th is refused
  const TriangleRecord t{.Side = 3};
  for (int k = 1; k <= 26; ++k)
    AppendTriangle(model, t);
  EXPECT_EQ(model.Triangles(26).Side, 3);
  EXPECT_EQ(ErrorNumberOf([&] { AppendTriangle(model, t); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(model.TriangleCount, 26);
}

}  // namespace
}  // namespace ombrix
