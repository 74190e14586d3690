#pragma once
// The optimiser's result window: two progress fields and a list of text rows. A listing can
// hold N rows of N numbers, so the window asks for a row's text only when it shows the row.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ombrix {

class ListingRows {
 public:
  virtual ~ListingRows() = default;
  virtual std::int32_t Count() const = 0;
  // Row `index` (from 0); at most `max_chars` characters of it when it is longer.
  virtual std::string Row(std::int32_t index, std::size_t max_chars) const = 0;
};

class ResultWindow {
 public:
  virtual ~ResultWindow() = default;
  // Empties the list and fills it with the rows.
  virtual void ShowListing(std::shared_ptr<const ListingRows> rows) = 0;
  // The sweep count field and the residual field.
  virtual void ShowProgress(std::string_view sweeps, std::string_view residual) = 0;
  // The labels of those two fields, which name the method that fills them.
  virtual void ShowCaptions(std::string_view count, std::string_view residual) = 0;
};

}  // namespace ombrix
