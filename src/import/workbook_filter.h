#pragma once

#include <string_view>

namespace ombrix {

// The file dialog's filter for mesh and point workbooks.
inline constexpr std::string_view kWorkbookFilter =
    "エクセル ファイル (*.xls *.xlsx)|*.xls;*.xlsx|";

// The mesh import's filter: workbooks, and raster grids read in their place.
inline constexpr std::string_view kMeshFileFilter =
    "エクセル ファイル (*.xls *.xlsx)|*.xls;*.xlsx|"
    "ラスター格子 (*.tif *.tiff *.asc)|*.tif;*.tiff;*.asc|";

}  // namespace ombrix
