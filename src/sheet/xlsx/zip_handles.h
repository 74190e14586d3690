#pragma once
// Owners of libzip handles, so every path releases them.

#include <zip.h>

namespace ombrix::sheet::xlsx {

struct ZipDiscard {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct SourceFree {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};
struct FileClose {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};
// zip_error_t holds a heap string once formatted; this releases it on every path.
struct ZipErrorHolder {
  zip_error_t error;
  ZipErrorHolder() { zip_error_init(&error); }
  ~ZipErrorHolder() { zip_error_fini(&error); }
  ZipErrorHolder(const ZipErrorHolder&) = delete;
  ZipErrorHolder& operator=(const ZipErrorHolder&) = delete;
};

}  // namespace ombrix::sheet::xlsx
