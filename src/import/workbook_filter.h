#pragma once

#include <string_view>

namespace ombrix {

// The file dialog's filter for mesh and point workbooks.
inline constexpr std::string_view kWorkbookFilter =
    "エクセル ファイル (*.xls *.xlsx)|*.xls;*.xlsx|";

}  // namespace ombrix
