#include "model/bounded_array.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include <climits>

#include "model/run_error.h"
#include "model/triangle_record.h"

namespace ombrix {
namespace {

TEST(BoundedArray, IndicesOutsideTheBoundsAreError9NamingTheArray) {
  BoundedArray<int> a{"PointX"};
  EXPECT_EQ(ErrorOf([&] { a(0) = 1; }).number(), err::kSubscriptOutOfRange);  // unallocated
  a.Allocate(0, 4);
  a(0) = 1;  // both bounds are inside
  a(4) = 2;
  const RunError above = ErrorOf([&] { (void)a(5); });
  EXPECT_EQ(above.number(), err::kSubscriptOutOfRange);
  EXPECT_NE(above.description().find("PointX(5)"), std::string::npos);
  EXPECT_NE(above.description().find("0..4"), std::string::npos);
  EXPECT_EQ(ErrorOf([&] { (void)a(-1); }).number(), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([&] { (void)a(INT64_MIN); }).number(), err::kSubscriptOutOfRange);
}

TEST(BoundedArray, AllocateZeroesResizePreserveKeepsWhatStaysInRangeAndBadExtentsChangeNothing) {
  BoundedArray<int> a{"Segments"};
  a.Allocate(-2, 2);
  a(-2) = 7;
  a.Allocate(-2, 2);
  EXPECT_EQ(a(-2), 0);
  a.Allocate(0, 5000);
  a(5000) = 3;
  a(1) = 4;
  a.ResizePreserve(5100);
  EXPECT_EQ(a(5000), 3);
  EXPECT_EQ(a(5100), 0);
  a.ResizePreserve(1);
  EXPECT_EQ(a(1), 4);
  EXPECT_EQ(ErrorOf([&] { (void)a(2); }).number(), err::kSubscriptOutOfRange);
  // Bad extents fail before anything changes.
  EXPECT_EQ(ErrorOf([&] { a.Allocate(3, 2); }).number(), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([&] { a.Allocate(0, std::int64_t{INT32_MAX} + 1); }).number(), err::kOverflow);
  BoundedArray<TriangleRecord> huge{"Triangles"};
  // Far more than any machine's memory: refused before allocating.
  EXPECT_EQ(ErrorOf([&] { huge.Allocate(0, INT32_MAX); }).number(), err::kOutOfMemory);
  EXPECT_EQ(a(1), 4);
  EXPECT_EQ(a.upper(), 1);
}

TEST(BoundedArray2, ChecksRowsAndColumnsSeparately) {
  BoundedArray2<double> v{"NodeValue"};
  v.Allocate(-1, 4, -1, 5);  // the mesh arrays' tests reach both corners
  v(4, 5) = 2;
  const RunError e = ErrorOf([&] { (void)v(5, 0); });
  EXPECT_EQ(e.number(), err::kSubscriptOutOfRange);
  EXPECT_NE(e.description().find("NodeValue(5, 0)"), std::string::npos);
  EXPECT_NE(e.description().find("(-1..4, -1..5)"), std::string::npos);
  EXPECT_EQ(ErrorOf([&] { (void)v(0, 6); }).number(), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([&] { (void)v(0, -2); }).number(), err::kSubscriptOutOfRange);
}

}  // namespace
}  // namespace ombrix
