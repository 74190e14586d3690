#pragma once
// Writes an OLE2 compound file through libgsf's GsfOutfileMSOle: a whole tree of storages and
// streams, with the class IDs of the root and of every storage. The write-back writes the tree
// it read; the reader's tests wrap hand-built workbook streams with it (so they need no
// libgsf header of their own).

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sheet/xls/ole_entry.h"

namespace ombrix::sheet::xls {

// The compound file holding `root`'s entries. Each storage's entries are created in the order
// given (so the first stream's data comes first in the file); readers list them in the
// directory's sorted order whatever that order is. A stream's class ID is not written (the
// format gives streams none, and libgsf writes none). Throws std::runtime_error when libgsf
// fails.
std::vector<std::uint8_t> WriteCompoundFile(const OleEntry& root);

// Streams in the root storage, by name.
std::vector<std::uint8_t> WriteCompoundFile(
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& streams);

}  // namespace ombrix::sheet::xls
