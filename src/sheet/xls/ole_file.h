#pragma once
// Opening a compound file held in memory through libgsf, after checking what libgsf would
// otherwise trust: the header's signature, byte order, sector sizes and root entry.

#include <gsf/gsf.h>

#include <string>

#include "sheet/xls/byte_span.h"
#include "sheet/xls/gobject_ptr.h"

namespace ombrix::sheet::xls {

// The root storage of `file`, which must outlive it. Throws XlsFormatError (broken) when the
// bytes are not a readable compound file.
GPtr<GsfInfile> OpenCompoundFile(Bytes file);

// The entry `index` of `storage`; `what` names it in the error. Throws XlsFormatError (broken)
// when libgsf cannot open it (a sector chain that loops or leaves the file).
GPtr<GsfInput> OpenChild(GsfInfile* storage, int index, const std::string& what);

// libgsf's message for `error` (freed here), or "原因不明" when there is none.
std::string TakeErrorMessage(GError* error);

}  // namespace ombrix::sheet::xls
