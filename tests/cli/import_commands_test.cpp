#include "cli/import_commands.h"

#include <gtest/gtest.h>

#include "cli_files.h"

namespace ombrix::cli {
namespace {

using ombrix::testing::Call;
using ombrix::testing::Fixture;
using ombrix::testing::Printed;

Printed Mesh(const std::string& name) {
  return Call(PrintMesh, Fixture(name));
}

const char* const kWriters[] = {".lo.xls", ".xlwt.xls", ".lo.xlsx", ".openpyxl.xlsx"};

TEST(MeshCommand, PrintsEverythingTheImportReadsTheSameFromEveryWriter) {
  for (const std::string writer : kWriters) {
    const Printed run = Mesh("mesh_small" + writer);
    EXPECT_EQ(run.status, kExitOk) << writer;
    EXPECT_EQ(run.text,
              "size,3,2\nparam,MembraneWeight,1\nparam,CurvatureWeight,1\nparam,DataWeight,10\n"
              "param,RelaxationFactor,1.5\nparam,ConvergenceLimit,1e-06\n"
              "x,1,0\nx,2,10\nx,3,20\ny,1,10\ny,2,0\n"
              "node,1,1,1.5\nnode,1,2,2\nnode,1,3,3.25\nnode,2,1,4\nnode,2,2,0\nnode,2,3,6\n"
              "frame,30,20,800,400\n")
        << writer;
  }
  // What each fixture holds and how the import reads it is checked by the readers' and the
  // import's own tests; here only how a blank node is printed.
  const Printed blanks = Mesh("mesh_blanks.lo.xlsx");
  EXPECT_NE(blanks.text.find("\nnode,2,2,blank\nnode,2,3,"), std::string::npos) << blanks.text;
}

TEST(MeshCommand, BadWorkbooksPrintOneErrorLine) {
  for (const std::string writer : kWriters) {
    const Printed run = Mesh("mesh_text_value" + writer);
    EXPECT_EQ(run.status, kExitRunError) << writer;
    EXPECT_EQ(run.text, "error,セル H7 の値 \"n/a\" は数値ではありません。\n") << writer;
  }
  for (const char* broken :
       {"broken_truncated.xls", "broken_missing_sheet.xlsx", "broken_empty.xls",
        "broken_text_renamed.xls", "broken_not_workbook.xlsx", "no_such_file.xls"}) {
    ombrix::testing::ExpectErrorLine(Mesh(broken), broken);  // names the file
  }
}

TEST(PointsCommand, PrintsTheCountAndEveryPoint) {
  const auto points = [](const std::string& name) { return Call(PrintPoints, Fixture(name)); };
  for (const std::string writer : kWriters) {
    const Printed run = points("points_small" + writer);
    EXPECT_EQ(run.status, kExitOk) << writer;
    EXPECT_EQ(run.text, "count,2\npoint,1,1,2,10\npoint,2,3,4,20\n") << writer;
  }
  EXPECT_EQ(points("points_empty_count.lo.xls").text, "count,0\n");
}

}  // namespace
}  // namespace ombrix::cli
