#pragma once
// A list model over listing rows that makes a row's text only when a view asks for it, so a
// listing of N rows of N numbers never exists as text all at once.

#include <QAbstractListModel>
#include <QSize>
#include <memory>

#include "platform/result_window.h"

namespace ombrix::qt {

class ListingModel : public QAbstractListModel {
  Q_OBJECT

 public:
  // Every row is `row_size` big: a list that scrolls sideways over that width, as far as
  // its horizontal extent reaches and no further.
  explicit ListingModel(QSize row_size, QObject* parent = nullptr);

  void SetRows(std::shared_ptr<const ListingRows> rows);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  QSize row_size_;
  std::shared_ptr<const ListingRows> rows_;
};

}  // namespace ombrix::qt
