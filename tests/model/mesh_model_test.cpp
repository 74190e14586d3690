#include "model/mesh_model.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include "model/run_error.h"

namespace ombrix {
namespace {

TEST(MeshModel, NothingIsAllocatedBeforeAnImportButTheColourTables) {
  MeshModel model;
  EXPECT_EQ(ErrorNumberOf([&] { (void)model.NodeX(1); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { (void)model.NodeValue(1, 1); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { (void)model.Triangles(1); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { (void)model.PointX(1); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(model.ColorRed.lower(), 0);
  EXPECT_EQ(model.ColorRed.upper(), 20);
  EXPECT_EQ(model.ColorBlue(20), 0);
}

TEST(MeshModel, MeshArraysHaveTheirBoundsAndStartAtZero) {
  MeshModel model;
  AllocateMesh(model, 3, 2);
  EXPECT_EQ(model.NodeCountX, 3);
  EXPECT_EQ(model.NodeCountY, 2);
  EXPECT_EQ(model.NodeX.lower(), 0);
  EXPECT_EQ(model.NodeX.upper(), 5);
  EXPECT_EQ(model.NodeY.upper(), 4);
  EXPECT_EQ(model.NodeValue.row_lower(), -1);
  EXPECT_EQ(model.NodeValue.row_upper(), 4);
  EXPECT_EQ(model.NodeValue.col_lower(), -1);
  EXPECT_EQ(model.NodeValue.col_upper(), 5);
  EXPECT_EQ(model.NodeBlank.row_upper(), 4);
  EXPECT_EQ(model.NodeBlank.col_upper(), 5);
  EXPECT_EQ(model.NodeX(0), 0.0);
  EXPECT_EQ(model.NodeX(4), 0.0);
  EXPECT_EQ(model.NodeX(5), 0.0);
  EXPECT_EQ(model.NodeValue(-1, -1), 0.0);
  EXPECT_EQ(model.NodeBlank(4, 5), 0);
  EXPECT_EQ(ErrorNumberOf([&] { (void)model.NodeX(6); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { (void)model.NodeValue(5, 1); }), err::kSubscriptOutOfRange);
}

TEST(MeshModel, AFailedAllocationLeavesThePreviousMesh) {
  MeshModel model;
  AllocateMesh(model, 3, 2);
  model.NodeValue(1, 1) = 42;
  EXPECT_EQ(ErrorNumberOf([&] { AllocateMesh(model, INT32_MAX, 1); }), err::kOverflow);
  EXPECT_EQ(ErrorNumberOf([&] { AllocateMesh(model, -4, 2); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { AllocateMesh(model, 1000000, 1000000); }), err::kOutOfMemory);
  EXPECT_EQ(model.NodeCountX, 3);
  EXPECT_EQ(model.NodeValue(1, 1), 42.0);
}

TEST(MeshModel, TriangleListIsSizedForTheMeshAndFilledFromEntry1) {
  MeshModel model;
  AllocateMesh(model, 2, 2);
  ResetTriangles(model);
  EXPECT_EQ(model.Triangles.lower(), 0);
  EXPECT_EQ(model.Triangles.upper(), 26);
  EXPECT_EQ(model.TriangleCount, 0);
  TriangleRecord t;
  t.Side = 3;
  AppendTriangle(model, t);
  EXPECT_EQ(model.TriangleCount, 1);
  EXPECT_EQ(model.Triangles(1).Side, 3);
  EXPECT_EQ(model.Triangles(0), TriangleRecord{});
  for (int k = 2; k <= 26; ++k) {
    AppendTriangle(model, t);
  }
  EXPECT_EQ(model.TriangleCount, 26);
  // A full list refuses the next triangle and keeps its count at the last entry filled.
  EXPECT_EQ(ErrorNumberOf([&] { AppendTriangle(model, t); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(model.TriangleCount, 26);
}

TEST(MeshModel, TriangleListOfAnUnimportedMeshIsRefused) {
  MeshModel model;  // counts 0: the list would be 0..10, which is fine
  ResetTriangles(model);
  EXPECT_EQ(model.Triangles.upper(), 10);
  model.NodeCountX = 50000;
  model.NodeCountY = 50000;
  EXPECT_EQ(ErrorNumberOf([&] { ResetTriangles(model); }), err::kOverflow);
}

}  // namespace
}  // namespace ombrix
