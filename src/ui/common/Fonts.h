#pragma once
#include <QFont>

// Registers installed Japanese fonts as substitutes for the Windows font
// names the windows are designed with. Call once after QApplication exists.
void RegisterFontSubstitutes();
// "ＭＳ Ｐゴシック" / "MS UI Gothic" at the given point size.
QFont ControlFont(double pointSize = 9);
QFont WindowFont(double pointSize = 9);
