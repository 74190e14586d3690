#include "model/growable_list.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include "model/run_error.h"

namespace ombrix {
namespace {

TEST(GrowableList, UseBeforeTheFirstClearIsError9) {
  GrowableList<int> list("Segments");
  EXPECT_EQ(ErrorNumberOf([&] { (void)list(0); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { (void)list.upper(); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { list.Append(1); }), err::kSubscriptOutOfRange);
}

TEST(GrowableList, ClearGivesRoomUpTo5000AndNoEntries) {
  GrowableList<int> list("Segments");
  list.Clear();
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.upper(), 5000);
  list(5000) = 7;  // the whole room is usable before anything is appended
  EXPECT_EQ(list(5000), 7);
  EXPECT_EQ(ErrorNumberOf([&] { (void)list(5001); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { (void)list(-1); }), err::kSubscriptOutOfRange);
}

TEST(GrowableList, AppendFillsFromEntryOne) {
  GrowableList<int> list("Segments");
  list.Clear();
  list.Append(11);
  list.Append(22);
  EXPECT_EQ(list.count(), 2);
  EXPECT_EQ(list(1), 11);
  EXPECT_EQ(list(2), 22);
  EXPECT_EQ(list.upper(), 5000);  // below the first multiple of 100 the room stays
}

TEST(GrowableList, RoomMovesToCountPlus100AtEveryMultipleOf100) {
  GrowableList<int> list("Segments");
  list.Clear();
  for (int k = 1; k <= 99; ++k) {
    list.Append(k);
  }
  EXPECT_EQ(list.upper(), 5000);
  list.Append(100);
  EXPECT_EQ(list.upper(), 200);  // the room shrinks from 5000 to 200
  for (int k = 101; k <= 199; ++k) {
    list.Append(k);
  }
  EXPECT_EQ(list.upper(), 200);
  list.Append(200);
  EXPECT_EQ(list.upper(), 300);
  for (int k = 201; k <= 250; ++k) {
    list.Append(k);
  }
  EXPECT_EQ(list.count(), 250);
  EXPECT_EQ(list.upper(), 300);
  for (int k = 1; k <= 250; ++k) {
    ASSERT_EQ(list(k), k) << k;  // contents survive every resize
  }
  EXPECT_EQ(ErrorNumberOf([&] { (void)list(301); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { (void)list(4000); }), err::kSubscriptOutOfRange);
}

TEST(GrowableList, OutOfRangeErrorNamesTheListAndIndex) {
  GrowableList<int> list("FlatEdges");
  list.Clear();
  for (int k = 1; k <= 100; ++k) {
    list.Append(k);
  }
  try {
    (void)list(201);
    FAIL() << "no error";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::kSubscriptOutOfRange);
    EXPECT_NE(e.description().find("FlatEdges"), std::string::npos) << e.description();
    EXPECT_NE(e.description().find("201"), std::string::npos) << e.description();
  }
}

TEST(GrowableList, RemoveLastKeepsTheRoom) {
  GrowableList<int> list("Segments");
  list.Clear();
  for (int k = 1; k <= 200; ++k) {
    list.Append(k);
  }
  ASSERT_EQ(list.upper(), 300);
  list.RemoveLast();
  EXPECT_EQ(list.count(), 199);
  EXPECT_EQ(list.upper(), 300);
  list.Append(-200);  // count 200 again: the room is recomputed from the count
  EXPECT_EQ(list.count(), 200);
  EXPECT_EQ(list(200), -200);
  EXPECT_EQ(list.upper(), 300);
  list.RemoveLast();
  list.RemoveLast();
  EXPECT_EQ(list.count(), 198);
  EXPECT_EQ(list(198), 198);
  EXPECT_EQ(list.upper(), 300);
}

TEST(GrowableList, RemoveLastOnAnEmptyListLeavesItEmpty) {
  GrowableList<int> list("Segments");
  list.Clear();
  list.RemoveLast();
  EXPECT_EQ(list.count(), 0);
  list.Append(5);
  EXPECT_EQ(list.count(), 1);
  EXPECT_EQ(list(1), 5);
}

TEST(GrowableList, ClearAfterGrowthRestoresTheInitialRoom) {
  GrowableList<int> list("Segments");
  list.Clear();
  for (int k = 1; k <= 300; ++k) {
    list.Append(k);
  }
  ASSERT_EQ(list.upper(), 400);
  list.Clear();
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.upper(), 5000);
  list.Append(9);
  EXPECT_EQ(list.count(), 1);
  EXPECT_EQ(list(1), 9);
}

}  // namespace
}  // namespace ombrix
