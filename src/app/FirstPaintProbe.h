// Measures how long the program takes from its start to the first paint of
// the main window, for the start-up figure: the hidden option
// --exit-after-first-paint prints it and ends the program.
#pragma once

#include <QObject>

namespace vantrel {

class FirstPaintProbe : public QObject {
  Q_OBJECT

 public:
  // Watches the paint events of `window` and its children.
  explicit FirstPaintProbe(QWidget* window);

  // Milliseconds since the process was started (from the kernel's record of
  // its start, so loading the libraries counts too); -1 where unknown.
  static double millisecondsSinceProcessStart();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  bool seen_ = false;
};

}  // namespace vantrel
