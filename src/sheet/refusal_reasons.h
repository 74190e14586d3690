#pragma once
// Why a sound workbook of a kind we do not read is refused, and what the user can do about
// it. The readers and the write-back give the same words for the same file; none of these
// files is damaged, so none of these reasons says so.

namespace ombrix::sheet::reason {

// An OLE2 file holding EncryptionInfo / EncryptedPackage (an encrypted .xlsx or .xlsb), or an
// .xls whose workbook stream is encrypted (FILEPASS).
inline constexpr const char* kPasswordProtected =
    "パスワードで保護されています。パスワードなしで保存し直してください "
    "(password-protected: save it without a password)";

// A ZIP package whose workbook part is binary (xl/workbook.bin).
inline constexpr const char* kBinaryWorkbook =
    "バイナリ形式のブック (.xlsb) です。.xlsx か .xls で保存し直してください "
    "(binary workbook (.xlsb): save it as .xlsx or .xls)";

// BIFF2 to BIFF5/7: a bare BIFF2-4 file, or a compound file whose Book/Workbook stream starts
// with the BOF of BIFF5 or older.
inline constexpr const char* kExcel2To95 =
    "Excel 2–95 のブックです。.xls (97–2003) か .xlsx で保存し直してください "
    "(an Excel 2–95 workbook: save it as .xls (97–2003) or .xlsx)";

}  // namespace ombrix::sheet::reason
