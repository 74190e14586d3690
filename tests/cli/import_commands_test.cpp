#include "cli/import_commands.h"

#include <gtest/gtest.h>

#include "fakes/fixture_path.h"

#include <sstream>
#include <vector>

namespace ombrix::cli {
namespace {

using ombrix::testing::Fixture;

struct Output {
  int status;
  std::string out;
};

Output Mesh(const std::string& name) {
  std::ostringstream out;
  const int status = PrintMesh(Fixture(name), out);
  return {status, out.str()};
}

Output Points(const std::string& name) {
  std::ostringstream out;
  const int status = PrintPoints(Fixture(name), out);
  return {status, out.str()};
}

bool HasLine(const std::string& out, const std::string& line) {
  return ("\n" + out).find("\n" + line + "\n") != std::string::npos;
}

const char* const kWriters[] = {".lo.xls", ".xlwt.xls", ".lo.xlsx", ".openpyxl.xlsx"};

TEST(MeshCommand, PrintsEverythingTheImportReadsFromEveryWriter) {
  for (const char* writer : kWriters) {
    const Output run = Mesh(std::string("mesh_small") + writer);
    EXPECT_EQ(run.status, kExitOk) << writer;
    EXPECT_EQ(run.out,
              "size,3,2\n"
              "param,MembraneWeight,1\n"
              "param,CurvatureWeight,1\n"
              "param,DataWeight,10\n"
              "param,RelaxationFactor,1.5\n"
              "param,ConvergenceLimit,1e-06\n"
              "x,1,0\nx,2,10\nx,3,20\n"
              "y,1,10\ny,2,0\n"
              "node,1,1,1.5\nnode,1,2,2\nnode,1,3,3.25\n"
              "node,2,1,4\nnode,2,2,0\nnode,2,3,6\n"
              "frame,30,20,800,400\n")
        << writer;
  }
}

TEST(MeshCommand, BlankNodesAndTheActiveSheet) {
  for (const char* writer : kWriters) {
    const Output blanks = Mesh(std::string("mesh_blanks") + writer);
    ASSERT_EQ(blanks.status, kExitOk) << writer << blanks.out;
    for (const char* blank :
         {"node,2,2,blank", "node,2,4,blank", "node,3,3,blank", "node,3,4,blank", "node,3,5,blank",
          "node,4,1,blank", "node,4,5,blank", "node,4,3,0", "node,1,1,5.5"}) {
      EXPECT_TRUE(HasLine(blanks.out, blank)) << writer << " " << blank;
    }
    const Output active = Mesh(std::string("mesh_second_sheet_active") + writer);
    EXPECT_TRUE(HasLine(active.out, "size,4,3")) << writer;
    EXPECT_TRUE(HasLine(active.out, "node,3,4,6.5")) << writer;
  }
}

TEST(MeshCommand, CountsTextNumbersFormulasAndNotes) {
  for (const char* writer : kWriters) {
    const Output halves = Mesh(std::string("mesh_counts_halves") + writer);
    EXPECT_TRUE(HasLine(halves.out, "size,2,4")) << writer;
    EXPECT_TRUE(HasLine(halves.out, "node,4,2,8")) << writer;
    EXPECT_EQ(halves.out.find(",99\n"), std::string::npos) << writer;

    const Output text = Mesh(std::string("mesh_numeric_text") + writer);
    EXPECT_TRUE(HasLine(text.out, "node,1,1,7.25")) << writer;
    EXPECT_TRUE(HasLine(text.out, "node,1,3,-3.5")) << writer;
    EXPECT_TRUE(HasLine(text.out, "x,2,10")) << writer;
    EXPECT_TRUE(HasLine(text.out, "param,RelaxationFactor,1.5")) << writer;

    const Output notes = Mesh(std::string("mesh_labels_notes") + writer);
    EXPECT_TRUE(HasLine(notes.out, "node,3,3,16.5")) << writer;
    EXPECT_TRUE(HasLine(notes.out, "frame,30,20,600,600")) << writer;

    const Output dates = Mesh(std::string("mesh_dates_booleans") + writer);
    EXPECT_TRUE(HasLine(dates.out, "node,2,3,6")) << writer;
  }
  const Output formulas = Mesh("mesh_formulas.lo.xls");
  EXPECT_TRUE(HasLine(formulas.out, "node,2,1,3.8333333333333335"));
  EXPECT_TRUE(HasLine(formulas.out, "node,2,3,1.6666666666666665"));
  EXPECT_TRUE(HasLine(formulas.out, "x,3,20"));
  const Output formulas_xlsx = Mesh("mesh_formulas.lo.xlsx");
  EXPECT_TRUE(HasLine(formulas_xlsx.out, "node,2,1,3.83333333333333"));
  EXPECT_TRUE(HasLine(formulas_xlsx.out, "param,ConvergenceLimit,1e-06"));
}

TEST(MeshCommand, LargeSheetsAndSharedStringsOverContinueRecords) {
  for (const char* writer : kWriters) {
    const Output smooth = Mesh(std::string("mesh_smooth_40x30") + writer);
    EXPECT_TRUE(HasLine(smooth.out, "size,40,30")) << writer;
    EXPECT_TRUE(HasLine(smooth.out, "node,1,1,114.2")) << writer;
    EXPECT_TRUE(HasLine(smooth.out, "node,30,40,147.029")) << writer;
    EXPECT_EQ(smooth.out.find("blank"), std::string::npos) << writer;
  }
  for (const char* file : {"sst_continue.lo.xls", "sst_continue.excel-layout.xls"}) {
    const Output sst = Mesh(file);
    EXPECT_TRUE(HasLine(sst.out, "size,6,4")) << file;
    EXPECT_TRUE(HasLine(sst.out, "node,1,2,2.5")) << file;
    EXPECT_TRUE(HasLine(sst.out, "node,2,3,4.75")) << file;
    EXPECT_TRUE(HasLine(sst.out, "node,3,5,7.5")) << file;
    EXPECT_TRUE(HasLine(sst.out, "node,4,6,9")) << file;
  }
  for (const char* file : {"rows400.lo.xls", "rows400.excel-layout.xls"}) {
    const Output rows = Mesh(file);
    EXPECT_TRUE(HasLine(rows.out, "size,44,395")) << file;
    EXPECT_TRUE(HasLine(rows.out, "y,395,0")) << file;
    EXPECT_TRUE(HasLine(rows.out, "node,5,1,6")) << file;  // i*j a multiple of 5: i + j
    EXPECT_TRUE(HasLine(rows.out, "node,10,44,54")) << file;
  }
}

TEST(MeshCommand, BadWorkbooksPrintOneErrorLine) {
  for (const char* writer : kWriters) {
    const Output run = Mesh(std::string("mesh_text_value") + writer);
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
  for (const char* writer : kWriters) {
    const Output small = Points(std::string("points_small") + writer);
    EXPECT_EQ(small.status, kExitOk);
    EXPECT_EQ(small.out, "count,2\npoint,1,1,2,10\npoint,2,3,4,20\n") << writer;
    const Output many = Points(std::string("points_25") + writer);
    EXPECT_TRUE(HasLine(many.out, "count,25")) << writer;
    // Point 7 has an empty y cell: "point,7,X,0,V".
    const std::size_t start = many.out.find("\npoint,7,");
    ASSERT_NE(start, std::string::npos) << writer;
    const std::string line = many.out.substr(start + 1, many.out.find('\n', start + 1) - start - 1);
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, ',');) {
      fields.push_back(field);
    }
    ASSERT_EQ(fields.size(), 5u) << line;
    EXPECT_EQ(fields[3], "0") << writer << " " << line;
    EXPECT_EQ(many.out.find("point,26,"), std::string::npos) << writer;
  }
  for (const char* file : {"points_empty_count.lo.xls", "points_empty_count.xlwt.xls"}) {
    EXPECT_EQ(Points(file).out, "count,0\n") << file;
  }
}

}  // namespace
}  // namespace ombrix::cli
