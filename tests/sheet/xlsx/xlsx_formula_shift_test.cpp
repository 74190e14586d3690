// Formula text moved from the cell that stores it to another cell of its range.

#include "sheet/xlsx/formula_shift.h"

#include <gtest/gtest.h>

#include <utility>

namespace ombrix::sheet::xlsx {
namespace {

TEST(ShiftFormula, RelativePartsMoveAbsoluteOnesStay) {
  EXPECT_EQ(ShiftFormula("$A$1+A$1+$A1+A1", 2, 3), "$A$1+D$1+$A3+D3");
  EXPECT_EQ(ShiftFormula("z9+AZ9", 1, 1), "AA10+BA10");
  EXPECT_EQ(ShiftFormula("SUMPRODUCT(((calNames=I3)*(calTiers=$K$2))*calHours)", 1, 0),
            "SUMPRODUCT(((calNames=I4)*(calTiers=$K$2))*calHours)");
  EXPECT_EQ(ShiftFormula("A1 + B2", 0, 0), "A1 + B2");
}

TEST(ShiftFormula, RangesWholeColumnsAndWholeRows) {
  EXPECT_EQ(ShiftFormula("SUM($A$2:A4)", 1, 1), "SUM($A$2:B5)");
  EXPECT_EQ(ShiftFormula("SUM(A:A)+SUM(3:5)+COUNT($B:$C)+COUNT($7:$7)", 1, 1),
            "SUM(B:B)+SUM(4:6)+COUNT($B:$C)+COUNT($7:$7)");
  EXPECT_EQ(ShiftFormula("SUM(A10:A14*B10:B14)", 2, 0), "SUM(A12:A16*B12:B16)");
  // An intersection and a range ending in a function keep their other operands as written.
  EXPECT_EQ(ShiftFormula("SUM(A1:INDEX(B:B,3))", 1, 0), "SUM(A2:INDEX(B:B,3))");
}

TEST(ShiftFormula, TextFunctionsNamesAndLiteralsAreNotReferences) {
  EXPECT_EQ(ShiftFormula("\"A1\"&A1", 0, 1), "\"A1\"&B1");
  EXPECT_EQ(ShiftFormula("\"say \"\"B2\"\" \"&B2", 1, 0), "\"say \"\"B2\"\" \"&B3");
  EXPECT_EQ(ShiftFormula("LOG10(A1)+ATAN2(B1,C1)+_xlfn.STDEV.S(D1:D2)", 0, 1),
            "LOG10(B1)+ATAN2(C1,D1)+_xlfn.STDEV.S(E1:E2)");
  EXPECT_EQ(ShiftFormula("LOG10 (A1)", 0, 0), "LOG10 (A1)");
  EXPECT_EQ(ShiftFormula("TRUE+Total+A+rate_2024+FALSE", 5, 5), "TRUE+Total+A+rate_2024+FALSE");
  EXPECT_EQ(ShiftFormula("1.5E+3*A1+2e-2+.5+3", 1, 0), "1.5E+3*A2+2e-2+.5+3");
  EXPECT_EQ(ShiftFormula("IFERROR(A1,#N/A)+#REF!+#DIV/0!+#NAME?", 1, 0),
            "IFERROR(A2,#N/A)+#REF!+#DIV/0!+#NAME?");
  EXPECT_EQ(ShiftFormula("{1,2;3,4}*A1", 0, 1), "{1,2;3,4}*B1");
}

TEST(ShiftFormula, SheetsWorkbooksAndTables) {
  EXPECT_EQ(ShiftFormula("Data!B4+'My data'!B4:C5+'It''s A1'!C1", 1, 0),
            "Data!B5+'My data'!B5:C6+'It''s A1'!C2");
  EXPECT_EQ(ShiftFormula("AB12!A1", 0, 1), "AB12!B1");  // the sheet is named like a cell
  EXPECT_EQ(ShiftFormula("SUM(Jan:Mar!B2)", 0, 1), "SUM(Jan:Mar!C2)");
  EXPECT_EQ(ShiftFormula("[1]Sheet1!A1+'[2]Other book'!$A1", 1, 1),
            "[1]Sheet1!B2+'[2]Other book'!$A2");
  EXPECT_EQ(ShiftFormula("SUM(Table1[Col A1])+Table1[[#This Row],[B2]]+A1", 1, 0),
            "SUM(Table1[Col A1])+Table1[[#This Row],[B2]]+A2");
}

TEST(ShiftFormula, ReferencesPushedOffTheSheetBecomeRefErrors) {
  EXPECT_EQ(ShiftFormula("A1+1", -1, 0), "#REF!+1");
  EXPECT_EQ(ShiftFormula("XFD1*2", 0, 1), "#REF!*2");
  EXPECT_EQ(ShiftFormula("$XFD1*XFC1", 0, 1), "$XFD1*XFD1");
  EXPECT_EQ(ShiftFormula("SUM(A2:A1048576)", 1, 0), "SUM(#REF!)");
  EXPECT_EQ(ShiftFormula("SUM(A2:A$1048576)", 1, 0), "SUM(A3:A$1048576)");
  EXPECT_EQ(ShiftFormula("Data!A1", -1, 0), "Data!#REF!");
  EXPECT_EQ(ShiftFormula("SUM(XFD:XFD)", 0, 1), "SUM(#REF!)");
  EXPECT_EQ(ShiftFormula("SUM(1048576:1048576)", 1, 0), "SUM(#REF!)");
  // Moved to the far corner, the shortest references grow fivefold.
  EXPECT_EQ(ShiftFormula("a1+1:1", 1048575, 16383), "XFD1048576+1048576:1048576");
}

// Moving there and back gives the formula as it was, whenever nothing fell off the sheet on the
// way; not moving at all changes nothing.
TEST(ShiftFormula, MovingThereAndBackIsTheIdentity) {
  const char* formulas[] = {
      "A1*2+$A$1",
      "SUM($A1:A$3)",
      "\"a&b\"&A1<3",
      "SUMPRODUCT(((calNames=I3)*(calTiers=$K$2))*calHours)",
      "IF(ISBLANK(B16), \"Düsseldorf\", B16)",
      "SUM(A10:A14*B10:B14)",
      "VLOOKUP(C5,'Price list'!$A$2:$D$500,4,FALSE)+Data!B$7",
      "SUM(C:C)-SUM(5:5)+COUNTIF($D:$E,\">0\")",
      "_xlfn.IFS(AB12>1,LOG10(XA3),TRUE,ATAN2(A1,B1))",
      "[1]Sheet1!$B2+Table1[[#This Row],[Qty]]*Rate",
      "{1,2;3,4}*H7^2-1.5E-3",
      "IFERROR(1/F9,#DIV/0!)",
  };
  const std::pair<int, int> moves[] = {{0, 0}, {1, 0}, {0, 1}, {7, 3}, {250, 40}, {-2, -1}};
  for (const char* f : formulas) {
    EXPECT_EQ(ShiftFormula(f, 0, 0), f);
    for (const auto& [rows, cols] : moves) {
      const std::string there = ShiftFormula(f, rows, cols);
      if (there.find("#REF!") != std::string::npos) {
        continue;
      }
      EXPECT_EQ(ShiftFormula(there, -rows, -cols), f) << f << " by " << rows << "," << cols;
    }
  }
}

}  // namespace
}  // namespace ombrix::sheet::xlsx
