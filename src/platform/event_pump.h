#pragma once
// Lets pending user-interface events run in the middle of long work, and tells whether the
// user asked to cancel it (Esc).

namespace ombrix {

class EventPump {
 public:
  virtual ~EventPump() = default;

  virtual void ProcessPendingEvents() = 0;
  virtual bool CancelRequested() const = 0;
  // Forgets an earlier cancel request; called when long work starts.
  virtual void ResetCancel() = 0;
};

}  // namespace ombrix
