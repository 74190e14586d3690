#pragma once
// Owning pointer to a GObject (libgsf's inputs, outputs and storages): unreferenced when it
// goes out of scope.

#include <glib-object.h>

#include <memory>

namespace ombrix::sheet::xls {

struct GObjectUnref {
  void operator()(void* p) const {
    if (p != nullptr) {
      g_object_unref(p);
    }
  }
};

template <typename T>
using GPtr = std::unique_ptr<T, GObjectUnref>;

}  // namespace ombrix::sheet::xls
