#include "model/growable_list.h"

#include <gtest/gtest.h>

#include "fakes/error_capture.h"

#include "model/run_error.h"

namespace ombrix {
namespace {

TEST(GrowableList, UnusableBeforeTheFirstClearThenRoomMovesToCountPlus100AtEveryMultipleOf100) {
  GrowableList<int> list("Segments");
  EXPECT_EQ(ErrorNumberOf([&] { (void)list(0); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { list.Append(1); }), err::kSubscriptOutOfRange);
  list.Clear();
  list.RemoveLast();  // on an empty list: stays empty
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.upper(), 5000);
  list(5000) = 7;  // the whole room is usable before anything is appended
  EXPECT_EQ(list(5000), 7);
  EXPECT_EQ(ErrorNumberOf([&] { (void)list(5001); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { (void)list(-1); }), err::kSubscriptOutOfRange);
  // Appended count -> room after it.
  const std::pair<int, int> steps[] = {{1, 5000},  {99, 5000}, {100, 200},
                                       {199, 200}, {200, 300}, {250, 300}};
  int k = 0;
  for (const auto& [count, room] : steps) {
    while (k < count)
      list.Append(++k);
    EXPECT_EQ(list.upper(), room) << count;
  }
  for (int i = 1; i <= 250; ++i)
    ASSERT_EQ(list(i), i) << i;                          // contents survive every resize
  const RunError e = ErrorOf([&] { (void)list(301); });  // the bound is the room, named
  EXPECT_NE(e.description().find("Segments(301)"), std::string::npos) << e.description();
  list.RemoveLast();  // keeps the room
  EXPECT_EQ(list.count(), 249);
  EXPECT_EQ(list.upper(), 300);
  list.Clear();  // back to the initial room
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.upper(), 5000);
}

}  // namespace
}  // namespace ombrix
