#pragma once
// Hands the arrow keys pressed anywhere in the main window, whatever control has the focus, to
// the map keys as a virtual key code and a modifier mask.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

class QKeyEvent;

namespace ombrix::app {

struct MapKeyPress {
  std::int16_t key_code = 0;  // 37 left, 38 up, 39 right, 40 down
  std::int16_t shift = 0;     // 1 Shift, 2 Ctrl, 4 Alt, added together
};

// The press of an arrow key as the map keys take it; nothing for any other key, so that
// typing into the panel never reaches the map.
std::optional<MapKeyPress> MapKeyFromEvent(const QKeyEvent& event);

// An application-wide event filter. An arrow key press meant for the main window or any
// control in it goes to the handler first; when the handler took it (returns true) the key
// goes no further, so it does not also move a selection or a cursor in a control.
class MapKeyFilter : public QObject {
 public:
  using Handler = std::function<bool(std::int16_t key_code, std::int16_t shift)>;

  MapKeyFilter(QWidget* main_window, Handler handler, QObject* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> main_window_;
  Handler handler_;
};

}  // namespace ombrix::app
