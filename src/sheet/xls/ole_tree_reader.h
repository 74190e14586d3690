#pragma once
// A whole compound file read into a tree of plain values through libgsf: every storage and
// stream with its name and class ID, each storage's entries in the order libgsf lists them
// (the directory's own sorted order).

#include "sheet/xls/byte_span.h"
#include "sheet/xls/ole_entry.h"

namespace ombrix::sheet::xls {

// Storages may nest this deep below the root; deeper is refused as a damaged directory.
inline constexpr int kMaxStorageDepth = 64;

// The root storage of `file` (named "Root Entry"). Throws XlsFormatError (broken) when the file
// or one of its streams cannot be read, when storages nest deeper than kMaxStorageDepth, or
// when the streams together claim more bytes than the file holds (sectors shared between
// streams).
OleEntry ReadCompoundTree(Bytes file);

}  // namespace ombrix::sheet::xls
