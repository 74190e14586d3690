#pragma once
// BIFF8 strings: a character count, an option byte (bit 0: 16-bit characters, bit 2: phonetic
// data follows, bit 3: rich-text runs follow), then the characters, then the runs (4 bytes
// each) and the phonetic data, all of which may go on in CONTINUE records.

#include <cstdint>
#include <string>

#include "sheet/xls/segment_cursor.h"

namespace ombrix::sheet::xls {

enum class CountSize { k8Bit, k16Bit };

// Reads one string at the cursor as UTF-8 into `utf8` (replacing its content). `rich` allows
// the rich-text and phonetic flags (XLUnicodeRichExtendedString); without it they are ignored
// as the format requires for ShortXLUnicodeString / XLUnicodeString.
void ReadBiffString(SegmentCursor& cursor, CountSize count_size, bool rich, std::string& utf8);

}  // namespace ombrix::sheet::xls
