// The main window's Information page: six framed pictures in two rows of
// three and the program's note below them.
#pragma once

#include <QWidget>

class TInformationPage : public QWidget {
  Q_OBJECT

 public:
  // |width| is the width the page's contents are laid out in.
  explicit TInformationPage(int width, QWidget* parent = nullptr);
};
