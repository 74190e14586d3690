#include "platform/qt/listing_model.h"

#include <cstddef>

namespace ombrix::qt {
namespace {

// More characters than any row can show within its width: the rest could never be scrolled
// to, so it is not made.
constexpr std::size_t kShownChars = 4096;

}  // namespace

ListingModel::ListingModel(QSize row_size, QObject* parent)
    : QAbstractListModel(parent), row_size_(row_size) {}

void ListingModel::SetRows(std::shared_ptr<const ListingRows> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

int ListingModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !rows_ ? 0 : rows_->Count();
}

QVariant ListingModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !rows_ || index.row() >= rows_->Count()) {
    return {};
  }
  if (role == Qt::DisplayRole) {
    return QString::fromStdString(rows_->Row(index.row(), kShownChars));
  }
  if (role == Qt::SizeHintRole) {
    return row_size_;
  }
  return {};
}

}  // namespace ombrix::qt
