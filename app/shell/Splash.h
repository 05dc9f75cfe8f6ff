// The splash window: shown while the program starts, and again as the
// "About..." box.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Frameless 326 x 282 window: the splash picture in a raised frame, a
// raised bottom strip, three white caption lines, "Loading..." and
// "Please Wait", and a "Close" button.
class TSplash : public QDialog {
  Q_OBJECT

 public:
  explicit TSplash(QWidget* parent = nullptr);

  // Mode 1, the start-up presentation: 221 pixels high (placed as if it
  // were 283, so it sits 31 pixels above centre), no Close button, shown
  // without blocking and painted at once. Any other mode, the about
  // presentation: full height, Close over the picture where "Please Wait"
  // stood, the two waiting labels hidden, shown modally until closed.
  void showSplash(int mode);

  // The parts, by name.
  QLabel* Caption1;
  QLabel* Caption2;
  QLabel* Caption3;
  QLabel* LoadingLabel;
  QLabel* WaitLabel;
  QLabel* StripLabel;
  QPushButton* CloseButton;

 public slots:
  // Closes the window (the Close button's click).
  void closeButtonClick();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Sets the window height, keeping its width.
  void setHeight(int height);
  // Screen-centred top-left corner for the current size.
  void centre();
};
