#pragma once

#include <string_view>

namespace ombrix {

// The file dialog's filter for mesh and point workbooks.
inline constexpr std::string_view kWorkbookFilter =
    "エクセル ファイル (*.xls *.xlsx)|*.xls;*.xlsx|";

// The titles of the two workbook dialogs: what each one opens.
inline constexpr std::string_view kMeshDialogTitle = "メッシュ数値データを開く";
inline constexpr std::string_view kPointsDialogTitle = "ランダム数値データを開く";

// The mesh import's filter: workbooks, and raster grids read in their place.
inline constexpr std::string_view kMeshFileFilter =
    "エクセル ファイル (*.xls *.xlsx)|*.xls;*.xlsx|"
    "ラスター格子 (*.tif *.tiff *.asc)|*.tif;*.tiff;*.asc|";

}  // namespace ombrix
