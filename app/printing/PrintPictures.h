// The print dialog's three small pictures, drawn at run time: a printer, a
// page of five full-page recipes and a page of three index cards.
#pragma once

#include <QPixmap>

// A desk printer with a sheet coming out, 43 x 41 on a transparent ground.
QPixmap PrinterPicture();
// A Letter page holding five recipe rows one under another, 55 x 74.
QPixmap FullPagePicture();
// A Letter page holding three index cards one under another, 55 x 74.
QPixmap IndexCardPagePicture();
