#pragma once
// The system printer: a drawing surface whose job starts with the first output and ends with
// EndDoc.

#include "platform/drawing_surface.h"

namespace ombrix {

class Printer : public DrawingSurface {
 public:
  virtual double TwipsPerPixelX() const = 0;
  virtual double TwipsPerPixelY() const = 0;
  // The scale mode last set (the page size is read in it).
  virtual ScaleMode CurrentScaleMode() const = 0;
  // Ends the document: the job goes to the printer. Error 482 when it cannot.
  virtual void EndDoc() = 0;
  // Withdraws the document begun: nothing of it is printed. Never fails.
  virtual void KillDoc() noexcept = 0;
};

}  // namespace ombrix
