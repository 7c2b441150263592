#pragma once
// What screen readers and scaled screens need of a window, set up by one call
// at the end of the window's constructor.
#include "platform/MessageTable.h"

class QWidget;

// Screen readers: every input field gets a label relation (a hidden label
// with the field's accessible name where no visible label leads to it), and
// an outline picture is named (Msg::OutlineName) and describes what it shows
// (Msg::OutlineDescription). Scaled screens: text boxes keep a margin before their first
// character. A window of fixed size offers no maximize button.
void SetUpWindow(QWidget &window, const MessageTable &messages);

// The text of every label and button whose "message" property (set in the
// window's form) names a number of the message table; such labels then fit
// their text. "messageIfAny" names an optional one: an empty text keeps the
// form's caption. "nameMessages" ("22 13") makes a field's accessible name
// of those texts.
void SetCaptions(QWidget &window, const MessageTable &messages);

// A plain top-level widget is exposed as a window (a frame), not as a filler,
// and an outline picture as an image. Install once the QApplication exists,
// before any window: Qt keeps the first interface it made for a widget.
void InstallAccessibleFactory();
