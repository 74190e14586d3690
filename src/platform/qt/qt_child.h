#pragma once
// Qt objects owned by a parent are made here: the parent deletes its children, so the one
// ownership hand-over of the code base sits in this helper.

#include <QObject>
#include <QWidget>
#include <memory>
#include <type_traits>
#include <utility>

namespace ombrix::qt {

template <typename T, typename Parent, typename... Args>
T* MakeChild(Parent* parent, Args&&... args) {
  auto child = std::make_unique<T>(std::forward<Args>(args)...);
  if constexpr (std::is_base_of_v<QWidget, T>) {
    if (child->windowType() == Qt::Popup) {
      child->setParent(parent, child->windowFlags());  // a menu stays a pop-up
    } else {
      child->setParent(parent);
    }
  } else {
    static_cast<QObject*>(child.get())->setParent(parent);
  }
  return child.release();
}

}  // namespace ombrix::qt
