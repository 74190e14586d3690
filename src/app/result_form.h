#pragma once
// The optimiser's result window "Form3": the sweep count and residual fields and the list of
// listings. It is made on first use; closed by the user, it comes back empty on its next use.

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QWidget>
#include <memory>

#include "platform/qt/listing_model.h"
#include "platform/result_window.h"

namespace ombrix::app {

inline constexpr const char* kResultWindowCaption = "Result";
// How far the list scrolls sideways, in twips.
inline constexpr int kListExtentTwips = 24240;

// The list's horizontal extent in pixels: integer division by the twips per pixel taken to
// the nearest integer (1616 at 15).
int ListExtentPixels(double twips_per_pixel);

class ResultForm : public QObject, public ResultWindow {
 public:
  ResultForm();
  ~ResultForm() override;

  // The window, made now if it does not exist yet.
  QWidget* Window();
  QWidget* Existing() const { return window_.get(); }

  void ShowListing(std::shared_ptr<const ListingRows> rows) override;
  void ShowProgress(std::string_view sweeps, std::string_view residual) override;
  void ShowCaptions(std::string_view count, std::string_view residual) override;

 protected:
  // A window the user closed comes back as a new one: empty fields, empty list.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::unique_ptr<QWidget> window_;
  QLabel* label1_ = nullptr;
  QLabel* label2_ = nullptr;
  QLineEdit* text1_ = nullptr;
  QLineEdit* text2_ = nullptr;
  QListView* list1_ = nullptr;
  qt::ListingModel* rows_ = nullptr;
};

}  // namespace ombrix::app
