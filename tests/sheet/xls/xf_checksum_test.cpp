// The XFCRC checksum, held against the values that spreadsheet programs stored in real
// workbooks, and kept in step by the writer when it adds a format.

#include "sheet/xls/xf_checksum.h"

#include <gtest/gtest.h>

#include <vector>

#include "sheet/xls/biff_record_reader.h"
#include "sheet/xls/biff_workbook.h"
#include "sheet/xls/ole_stream.h"
#include "sheet/xls/xls_test_helpers.h"
#include "sheet/xls/xls_writer.h"

namespace ombrix::sheet {
namespace {

using namespace xls::testing;  // NOLINT

struct XfState {
  std::size_t xfs = 0;
  std::uint32_t checksum = 0;  // of the XF bodies as they stand
  int stored_count = -1;       // the XFCRC's, -1 when there is none
  std::uint32_t stored_checksum = 0;
  ByteVec last_xf;
};

XfState ReadXfState(const ByteVec& stream) {
  XfState s;
  xls::BiffRecordReader reader(stream, 0);
  xls::BiffRecord r;
  while (reader.Next(r) && r.type != xls::rec::kEof) {
    if (r.type == 0x00E0) {
      ++s.xfs;
      s.checksum = xls::XfChecksum(s.checksum, r.body);
      s.last_xf.assign(r.body.begin(), r.body.end());
    } else if (r.type == 0x087C) {
      s.stored_count = r.body[14] | (r.body[15] << 8);
      s.stored_checksum = G32(r.body, 16);
    }
  }
  return s;
}

TEST(XfChecksum, MatchesWhatSpreadsheetProgramsStored) {
  for (const char* name :
       {"realworld/calamine__issues.xls", "realworld/phpspreadsheet__chartsheet.xls",
        "realworld/phpspreadsheet__visibility.xls"}) {
    const XfState s = ReadXfState(xls::ReadWorkbookStream(ReadFile(Fixture(name))));
    EXPECT_EQ(s.stored_count, static_cast<int>(s.xfs)) << name;
    EXPECT_EQ(s.stored_checksum, s.checksum) << name;
  }
}

// A workbook whose default cell format 15 has extended formatting, vouched for by an XFCRC
// record (checksum as given); A1 holds a number.
ByteVec WithXfCrc(bool stale) {
  ByteVec xfs = XfTable();
  const std::size_t xf15 = 15 * 24 + 4;
  xfs[xf15 + 17] |= 0x02;  // fHasXFExt
  std::uint32_t crc = 0;
  for (std::size_t at = 0; at < xfs.size(); at += 24)
    crc = xls::XfChecksum(crc, xls::Bytes(xfs).subspan(at + 4, 20));
  if (stale)
    crc ^= 1;
  Le frt;
  frt.u16(0x087C).u16(0).u32(0).u32(0).u16(0).u16(16).u32(crc);
  Le ext;  // an XFEXT for XF 15 with no properties
  ext.u16(0x087D).u16(0).u32(0).u32(0).u16(0).u16(15).u16(0).u16(0);
  const ByteVec globals =
      Le().bytes(xfs).bytes(Record(0x087C, frt.b)).bytes(Record(0x087D, ext.b)).b;
  return CompoundFile(WorkbookStream(globals, {{"s", Number(0, 0, 1.5)}}));
}

TEST(XfChecksum, WriterKeepsTheCountAndChecksumInStep) {
  const std::vector<CellEdit> mark = {{1, 1, 2.5, true}};
  const XfState after =
      ReadXfState(xls::ReadWorkbookStream(EditXlsBytes(WithXfCrc(false), "x.xls", mark)));
  EXPECT_EQ(after.xfs, 17u);
  EXPECT_EQ(after.stored_count, 17);
  EXPECT_EQ(after.stored_checksum, after.checksum);
  // The grey copy of format 15 has no XFEXT of its own, so it says it has none.
  EXPECT_EQ(after.last_xf.at(17) & 0x02, 0);
  // A checksum that was already stale stays as it was.
  const ByteVec stale = WithXfCrc(true);
  const XfState before_stale = ReadXfState(xls::ReadWorkbookStream(stale));
  const XfState after_stale =
      ReadXfState(xls::ReadWorkbookStream(EditXlsBytes(stale, "x.xls", mark)));
  EXPECT_EQ(after_stale.stored_count, 16);
  EXPECT_EQ(after_stale.stored_checksum, before_stale.stored_checksum);
}

}  // namespace
}  // namespace ombrix::sheet
