#pragma once
// The program's dialogs: QMessageBox, QInputDialog, QFileDialog, QApplication::beep.
#include "Dialogs.h"

class QtDialogs : public Dialogs {
public:
    MsgAnswer MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon, MsgAnswer defaultButton,
                     const QString &title, const QString &details) override;
    using Dialogs::MsgBox;
    QString InputBox(const QString &prompt, const QString &title,
                     const QString &defaultText) override;
    QString OpenFile(const OpenFileRequest &request) override;
    void Beep() override;

    // Turns the common dialog's filter into Qt name filters, in order.
    static QStringList NameFilters(const QString &filter);
    // Tests set this to get the non-native dialog, which they can inspect.
    bool nonNativeFileDialog = false;
};
