#pragma once

#include <QObject>

#include "platform/event_pump.h"

namespace ombrix::qt {

// Runs Qt's pending events; Esc pressed anywhere in the application requests a cancel.
class QtEventPump : public QObject, public EventPump {
  Q_OBJECT

 public:
  QtEventPump();
  ~QtEventPump() override;

  void ProcessPendingEvents() override;
  bool CancelRequested() const override { return cancel_requested_; }
  void ResetCancel() override { cancel_requested_ = false; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool cancel_requested_ = false;
};

}  // namespace ombrix::qt
