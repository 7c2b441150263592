#pragma once
#include <QFont>

// Registers installed Japanese fonts as substitutes for the Windows font
// names the windows are designed with. Call once after QApplication exists.
void RegisterFontSubstitutes();
