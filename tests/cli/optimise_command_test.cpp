#include "cli/optimise_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <pugixml.hpp>
#include <set>
#include <sstream>

#include "cli/arguments.h"
#include "cli_files.h"
#include "fakes/temp_folder.h"
#include "import/mesh_import.h"
#include "import/point_import.h"
#include "optimise/point_cells.h"
#include "sheet/open_workbook.h"
#include "sheet/xlsx/workbook_parts.h"
#include "sheet/xlsx/zip_archive.h"

namespace ombrix::cli {
namespace {

namespace fs = std::filesystem;
using ombrix::testing::Fixture;

struct Output {
  int status;
  std::string text;
};

Output Optimise(std::vector<std::string> args) {
  std::ostringstream out;
  return {PrintOptimisedMesh(args, out), out.str()};
}

std::map<std::pair<int, int>, double> PrintedNodes(const std::string& text) {
  std::map<std::pair<int, int>, double> nodes;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    int i = 0, j = 0;
    char value[64] = {};
    if (std::sscanf(line.c_str(), "node,%d,%d,%63s", &i, &j, value) == 3)
      nodes[{i, j}] = std::strtod(value, nullptr);
  }
  return nodes;
}

TEST(OptimiseCommand, PrintsTheSweepsAndEveryNodeTheSameForEveryWriter) {
  const Output out = Optimise({Fixture("mesh_small.lo.xls"), Fixture("points_small.lo.xls")});
  ASSERT_EQ(out.status, kExitOk) << out.text;
  EXPECT_EQ(out.text.rfind("sweeps,", 0), 0u);
  EXPECT_GT(std::stoi(out.text.substr(7)), 0);
  const auto nodes = PrintedNodes(out.text);
  ASSERT_EQ(nodes.size(), 6u);
  EXPECT_LT(out.text.find("\nnode,1,3,"), out.text.find("\nnode,2,1,"));  // row by row
  // The same workbooks written by other programs give the same fit, bit for bit.
  EXPECT_EQ(Optimise({Fixture("mesh_small.openpyxl.xlsx"), Fixture("points_small.xlwt.xls")}).text,
            out.text);
  const Output mean =
      Optimise({Fixture("mesh_small.lo.xls"), Fixture("points_small.lo.xls"), "--initial", "mean"});
  EXPECT_EQ(mean.status, kExitOk);
  EXPECT_NE(mean.text, out.text);  // other initial values converge elsewhere
  // The exact solver: its iterations and residual, and values close to the relaxation's.
  const Output exact =
      Optimise({Fixture("mesh_small.lo.xls"), Fixture("points_small.lo.xls"), "--solver", "exact"});
  ASSERT_EQ(exact.status, kExitOk) << exact.text;
  EXPECT_EQ(exact.text.rfind("iterations,", 0), 0u);
  const std::size_t residual = exact.text.find("\nresidual,");
  ASSERT_NE(residual, std::string::npos);
  EXPECT_LE(std::strtod(exact.text.c_str() + residual + 10, nullptr), 1e-12);
  const auto exact_nodes = PrintedNodes(exact.text);
  ASSERT_EQ(exact_nodes.size(), 6u);
  for (const auto& [at, value] : nodes) {
    EXPECT_NEAR(exact_nodes.at(at), value, 1e-3);
  }
}

TEST(OptimiseCommand, ErrorsAndUsage) {
  const Output none =
      Optimise({Fixture("mesh_small.lo.xls"), Fixture("points_empty_count.lo.xls")});
  EXPECT_EQ(none.status, kExitRunError);
  EXPECT_EQ(none.text.rfind("error,", 0), 0u);
  EXPECT_EQ(none.text.find('\n'), none.text.size() - 1);
  const std::string mesh = Fixture("mesh_small.lo.xls");
  const std::string points = Fixture("points_small.lo.xls");
  EXPECT_THROW(Optimise({mesh}), UsageError);
  EXPECT_THROW(Optimise({mesh, points, "--initial", "median"}), UsageError);
  EXPECT_THROW(Optimise({mesh, points, "--solver", "direct"}), UsageError);
}

// Whether the cell's format in an .xlsx fills it solid with palette entry 23, read with pugixml.
bool MarkedInXlsx(const std::string& path, const std::string& ref) {
  const auto zip = sheet::xlsx::ZipArchive::OpenFile(path);
  const auto parts = sheet::xlsx::LocateWorkbookParts(zip);
  pugi::xml_document sheet_doc, styles_doc;
  EXPECT_TRUE(sheet_doc.load_string(zip.Read(*zip.Find(parts.active_sheet)).c_str()));
  EXPECT_TRUE(styles_doc.load_string(zip.Read(*zip.Find(parts.styles)).c_str()));
  // XPath positions count from 1: the cell's style, then that style's fill.
  const auto find = [](const pugi::xml_document& doc, const std::string& xpath) {
    return doc.select_node(xpath.c_str()).node();
  };
  const pugi::xml_node cell = find(sheet_doc, "//*[local-name()='c'][@r='" + ref + "']");
  const pugi::xml_node xf =
      find(styles_doc, "//*[local-name()='cellXfs']/*[" +
                           std::to_string(cell.attribute("s").as_int(0) + 1) + "]");
  const pugi::xml_node pattern =
      find(styles_doc, "//*[local-name()='fills']/*[" +
                           std::to_string(xf.attribute("fillId").as_int(-1) + 1) + "]")
          .first_child();
  return cell && std::string_view(pattern.attribute("patternType").value()) == "solid" &&
         pattern.child("fgColor").attribute("indexed").as_int() == 23;
}

class OptimiseWrite : public ::testing::TestWithParam<const char*> {
 protected:
  OptimiseWrite() { ombrix::testing::PlaceFixture(GetParam(), copy_); }
  ombrix::testing::TempFolder dir_;
  const fs::path copy_ = dir_ / GetParam();
};

TEST_P(OptimiseWrite, WritesEveryNodeCellAndMarksTheCellsHoldingPoints) {
  const std::string points = Fixture("points_small.lo.xls");
  const std::unique_ptr<Workbook> before = sheet::OpenWorkbook(copy_.string());
  const Output plain = Optimise({copy_.string(), points});
  const Output written = Optimise({copy_.string(), points, "--write"});
  ASSERT_EQ(written.status, kExitOk) << written.text;
  EXPECT_EQ(written.text, plain.text);

  const std::map<std::pair<int, int>, double> nodes = PrintedNodes(written.text);
  ASSERT_EQ(nodes.size(), 6u);
  const std::unique_ptr<Workbook> after = sheet::OpenWorkbook(copy_.string());
  for (std::int32_t row = 1; row <= 40; ++row) {
    for (std::int32_t col = 1; col <= 20; ++col) {
      const auto node = nodes.find({row - 5, col - 6});
      EXPECT_EQ(after->Cell(row, col),
                node != nodes.end() ? CellValue::Number(node->second) : before->Cell(row, col))
          << CellName(row, col);
    }
  }
  // The next fit reads the same mesh back: the coordinates are untouched.
  EXPECT_EQ(Optimise({copy_.string(), points}).text, plain.text);

  if (copy_.extension() == ".xlsx") {
    MeshModel m;
    CommitMesh(m, ReadMeshWorkbook(*after));
    CommitPoints(m, ReadPointWorkbook(*sheet::OpenWorkbook(points)));
    std::set<std::pair<int, int>> holding;
    for (const PointCell& pc : FindPointCells(m))
      holding.insert({pc.i, pc.j});
    ASSERT_FALSE(holding.empty());
    for (const auto& [node, value] : nodes) {
      EXPECT_EQ(MarkedInXlsx(copy_.string(), CellName(node.first + 5, node.second + 6)),
                holding.count(node) == 1)
          << node.first << "," << node.second;
    }
  }
}

TEST_P(OptimiseWrite, WriteIntoAReadOnlyWorkbookIsAnErrorAndChangesNothing) {
  const std::string original = ombrix::testing::Content(copy_);
  fs::permissions(copy_, fs::perms::owner_read);
  const Output out = Optimise({copy_.string(), Fixture("points_small.lo.xls"), "--write"});
  EXPECT_EQ(out.status, kExitRunError);
  EXPECT_EQ(out.text.rfind("error,", 0), 0u) << out.text;
  EXPECT_EQ(ombrix::testing::Content(copy_), original);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, OptimiseWrite,
                         ::testing::Values("mesh_small.lo.xls", "mesh_small.xlwt.xls",
                                           "mesh_small.lo.xlsx", "mesh_small.openpyxl.xlsx"));

}  // namespace
}  // namespace ombrix::cli
