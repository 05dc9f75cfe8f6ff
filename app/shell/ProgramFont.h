// The type every window of the program is laid out for.
#pragma once

#include <QFont>

// Arial at 11 pixels (8 points on a 96-dpi screen), the type the windows'
// fixed positions and sizes were measured in. Where Arial is not installed
// Liberation Sans stands in: it has the same widths and heights.
QFont ProgramFont();

// True when the type the platform finds for ProgramFont() is Arial or
// Liberation Sans, not some wider fallback that would crop captions.
bool ProgramFontIsInstalled();

// Makes ProgramFont() the application's font, for the windows made after
// this call.
void UseProgramFont();

class QPlainTextEdit;

// The tallest height, at most |most|, at which |box| shows whole lines of
// its font when it is framed (and one frame width each side more, which
// the tops of the next line's capitals do not reach, when it is not).
int WholeLinesHeight(const QPlainTextEdit* box, int most);
