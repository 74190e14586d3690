// What a reader's answer about marks means: the last format of a cell read twice, and no mark
// for a cell the sheet lacks or whose format the table does not hold.

#include "sheet/mark_query.h"

#include <gtest/gtest.h>

namespace ombrix::sheet {
namespace {

TEST(MarkQuery, TheLastFormatOfACellCountsAndUnknownsAreUnmarked) {
  MarkQuery q({{6, 7}, {6, 8}, {9, 9}, {10, 1}});
  q.NoteFormat(6, 7, 0);
  q.NoteFormat(6, 7, 2);  // read again: the later record wins, as for values
  q.NoteFormat(6, 8, 2);
  q.NoteFormat(6, 8, 1);
  q.NoteFormat(10, 1, 7);  // beyond the format table
  q.NoteFormat(5, 5, 2);   // not asked about
  q.Resolve({false, false, true});
  EXPECT_TRUE(q.marked(0));
  EXPECT_FALSE(q.marked(1));
  EXPECT_FALSE(q.marked(2));  // no such cell in the sheet
  EXPECT_FALSE(q.marked(3));
}

}  // namespace
}  // namespace ombrix::sheet
