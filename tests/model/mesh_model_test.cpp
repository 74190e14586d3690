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
  EXPECT_EQ(ErrorNumberOf([&] { (void)model.NodeX(6); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { (void)model.NodeValue(5, 1); }), err::kSubscriptOutOfRange);
  model.NodeValue(1, 1) = 42;
  EXPECT_EQ(ErrorNumberOf([&] { AllocateMesh(model, INT32_MAX, 1); }), err::kOverflow);
  EXPECT_EQ(ErrorNumberOf([&] { AllocateMesh(model, -4, 2); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { AllocateMesh(model, 1000000, 1000000); }), err::kOutOfMemory);
  EXPECT_EQ(model.NodeCountX, 3);
  EXPECT_EQ(model.NodeValue(1, 1), 42.0);
}

TEST(MeshModel, TriangleListIsSizedForTheMeshAndFilledFromEntry1) {
  MeshModel model;
  ResetTriangles(model);  // counts 0: the list is 0..10
  EXPECT_EQ(model.Triangles.upper(), 10);
  AllocateMesh(model, 2, 2);
  ResetTriangles(model);  // 0..26: entries 1 to 26 take a triangle, the 27th is refused
  TriangleRecord t;
  t.Side = 3;
  AppendTriangle(model, t);
  EXPECT_EQ(model.Triangles(1).Side, 3);
  EXPECT_EQ(model.Triangles(0), TriangleRecord{});
  for (int k = 2; k <= 26; ++k)
    AppendTriangle(model, t);
  // A full list refuses the next triangle and keeps its count at the last entry filled.
  EXPECT_EQ(ErrorNumberOf([&] { AppendTriangle(model, t); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(model.TriangleCount, 26);
  model.NodeCountX = 50000;
  model.NodeCountY = 50000;
  EXPECT_EQ(ErrorNumberOf([&] { ResetTriangles(model); }), err::kOverflow);
}

}  // namespace
}  // namespace ombrix
