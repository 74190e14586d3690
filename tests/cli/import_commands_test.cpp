#include "cli/import_commands.h"

#include <gtest/gtest.h>

#include "fakes/fixture_path.h"

#include <regex>
#include <sstream>

namespace ombrix::cli {
namespace {

using ombrix::testing::Fixture;

struct Output {
  int status;
  std::string out;
};

Output Mesh(const std::string& name) {
  std::ostringstream out;
  return {PrintMesh(Fixture(name), out), out.str()};  // braced: the call runs first
}

// Whether every one of `lines` appears as a whole line of the output.
void ExpectLines(const Output& run, std::initializer_list<const char*> lines,
                 const std::string& file) {
  for (const char* line : lines)
    EXPECT_NE(("\n" + run.out).find("\n" + std::string(line) + "\n"), std::string::npos)
        << file << ": " << line;
}

const char* const kWriters[] = {".lo.xls", ".xlwt.xls", ".lo.xlsx", ".openpyxl.xlsx"};

TEST(MeshCommand, PrintsEverythingTheImportReadsFromEveryWriter) {
  for (const std::string writer : kWriters) {
    const Output run = Mesh("mesh_small" + writer);
    EXPECT_EQ(run.status, kExitOk) << writer;
    EXPECT_EQ(run.out,
              "size,3,2\nparam,MembraneWeight,1\nparam,CurvatureWeight,1\nparam,DataWeight,10\n"
              "param,RelaxationFactor,1.5\nparam,ConvergenceLimit,1e-06\n"
              "x,1,0\nx,2,10\nx,3,20\ny,1,10\ny,2,0\n"
              "node,1,1,1.5\nnode,1,2,2\nnode,1,3,3.25\nnode,2,1,4\nnode,2,2,0\nnode,2,3,6\n"
              "frame,30,20,800,400\n")
        << writer;
    ExpectLines(
        Mesh("mesh_blanks" + writer),
        {"node,2,2,blank", "node,3,5,blank", "node,4,1,blank", "node,4,3,0", "node,1,1,5.5"},
        writer);
    ExpectLines(Mesh("mesh_second_sheet_active" + writer), {"size,4,3", "node,3,4,6.5"}, writer);
    const Output halves = Mesh("mesh_counts_halves" + writer);
    ExpectLines(halves, {"size,2,4", "node,4,2,8"}, writer);
    EXPECT_EQ(halves.out.find(",99\n"), std::string::npos) << writer;
    ExpectLines(Mesh("mesh_numeric_text" + writer),
                {"node,1,1,7.25", "node,1,3,-3.5", "x,2,10", "param,RelaxationFactor,1.5"}, writer);
    ExpectLines(Mesh("mesh_labels_notes" + writer), {"node,3,3,16.5", "frame,30,20,600,600"},
                writer);
    ExpectLines(Mesh("mesh_dates_booleans" + writer), {"node,2,3,6"}, writer);
    const Output smooth = Mesh("mesh_smooth_40x30" + writer);
    ExpectLines(smooth, {"size,40,30", "node,1,1,114.2", "node,30,40,147.029"}, writer);
    EXPECT_EQ(smooth.out.find("blank"), std::string::npos) << writer;
  }
  ExpectLines(Mesh("mesh_formulas.lo.xls"),
              {"node,2,1,3.8333333333333335", "node,2,3,1.6666666666666665"}, "formulas");
  ExpectLines(Mesh("mesh_formulas.lo.xlsx"), {"node,2,1,3.83333333333333"}, "formulas xlsx");
}

TEST(MeshCommand, SharedStringsOverContinueRecordsAndLongSheets) {
  for (const std::string layout : {".lo.xls", ".excel-layout.xls"}) {
    ExpectLines(Mesh("sst_continue" + layout), {"size,6,4", "node,1,2,2.5", "node,4,6,9"}, layout);
    // Node (i, j) holds i + j where i * j is a multiple of 5.
    ExpectLines(Mesh("rows400" + layout), {"size,44,395", "y,395,0", "node,10,44,54"}, layout);
  }
}

TEST(MeshCommand, BadWorkbooksPrintOneErrorLine) {
  for (const std::string writer : kWriters) {
    const Output run = Mesh("mesh_text_value" + writer);
    EXPECT_EQ(run.status, kExitRunError) << writer;
    EXPECT_EQ(run.out, "error,セル H7 の値 \"n/a\" は数値ではありません。\n") << writer;
  }
  for (const char* broken :
       {"broken_truncated.xls", "broken_missing_sheet.xlsx", "broken_empty.xls",
        "broken_text_renamed.xls", "broken_not_workbook.xlsx", "no_such_file.xls"}) {
    const Output run = Mesh(broken);
    EXPECT_EQ(run.status, kExitRunError) << broken;
    EXPECT_EQ(run.out.rfind("error,", 0), 0u) << broken;
    EXPECT_NE(run.out.find(broken), std::string::npos) << run.out;  // names the file
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << broken;
  }
}

TEST(PointsCommand, PrintsTheCountAndEveryPoint) {
  const auto points = [](const std::string& name) {
    std::ostringstream out;
    EXPECT_EQ(PrintPoints(Fixture(name), out), kExitOk) << name;
    return out.str();
  };
  for (const std::string writer : kWriters) {
    EXPECT_EQ(points("points_small" + writer), "count,2\npoint,1,1,2,10\npoint,2,3,4,20\n")
        << writer;
    const std::string many = points("points_25" + writer);
    EXPECT_NE(many.find("count,25\n"), std::string::npos) << writer;
    // Point 7 has an empty y cell.
    EXPECT_TRUE(std::regex_search(many, std::regex("\npoint,7,[^,\n]+,0,[^,\n]+\n"))) << writer;
    EXPECT_EQ(many.find("point,26,"), std::string::npos) << writer;
  }
  EXPECT_EQ(points("points_empty_count.lo.xls"), "count,0\n");
  EXPECT_EQ(points("points_empty_count.xlwt.xls"), "count,0\n");
}

}  // namespace
}  // namespace ombrix::cli
