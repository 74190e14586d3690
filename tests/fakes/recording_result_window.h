#pragma once
// A result window that keeps what it was given: the listing's rows read out whole, and every
// progress pair.

#include <string>
#include <utility>
#include <vector>

#include "platform/result_window.h"

namespace ombrix::testing {

class RecordingResultWindow : public ResultWindow {
 public:
  std::vector<std::vector<std::string>> listings;
  std::vector<std::pair<std::string, std::string>> progress;
  std::vector<std::pair<std::string, std::string>> captions;

  void ShowListing(std::shared_ptr<const ListingRows> rows) override {
    std::vector<std::string> texts;
    for (std::int32_t r = 0; r < rows->Count(); ++r) {
      texts.push_back(rows->Row(r, static_cast<std::size_t>(-1)));
    }
    listings.push_back(std::move(texts));
  }
  void ShowCaptions(std::string_view count, std::string_view residual) override {
    captions.emplace_back(std::string(count), std::string(residual));
  }
  void ShowProgress(std::string_view sweeps, std::string_view residual) override {
    progress.emplace_back(std::string(sweeps), std::string(residual));
  }
};

}  // namespace ombrix::testing
