#pragma once
// The modal attachment editor. Created once and kept for the whole run: its
// DataChanged survives from one opening to the next.
#include "model/AppState.h"
#include "platform/Dialogs.h"

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

class FieldEvents;
class PictureBox;
class QLabel;
class QLineEdit;
class QPushButton;
namespace Ui {
class frmEditor;
}

class frmEditor : public QDialog {
    Q_OBJECT
public:
    // attachDefChange is the main window's AttachDefChange.
    frmEditor(AppState &state, Dialogs &dialogs, std::function<void()> attachDefChange,
              QWidget *parent);
    ~frmEditor() override;

    // Loads the window for state.EditAttachPos / EditAttachNo, shows it modally
    // centred on its parent and returns when it has closed.
    void OpenModal();

    bool DataChanged() const;

    // The load handler, without showing the window (tests show it themselves).
    void Load();
    // The window's handlers, public so that tests can press them directly.
    void btnShow_Click();
    void btnEntry_Click();
    void btnClose_Click();
    // True when a typed character (code KeyAscii, 8 = Backspace) may go into
    // the stage box txtb as it stands before the key.
    bool KeyAsciiCheck(const QLineEdit &txtb, int KeyAscii) const;

    // Slot that Entry writes to; -1 = none chosen.
    int EditIndex() const { return editIndex_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void AttachShow();
    void textEnable(QLineEdit &txtBox, bool OnOff);
    // Stage boxes, Entry and picture usable (a number is shown) or not (the
    // number was changed and Show must load it first).
    void ShowStages(bool on);
    void txtAttachNo_Change();
    void txtStage_Change(QLineEdit *box, std::array<float, 5> &stage, int Index);
    void txtStage_LostFocus(QLineEdit *box);
    void CloseWindow();

    AppState &state_;
    Dialogs &dialogs_;
    std::function<void()> attachDefChange_;
    std::unique_ptr<Ui::frmEditor> ui;
    FieldEvents *fieldEvents_ = nullptr;

    std::array<QLineEdit *, 5> txtWidth{};
    std::array<QLineEdit *, 5> txtHight{};
    std::array<QLabel *, 5> Label2{};

    bool displaying_ = false;
    bool dataChanged_ = false;
    int editIndex_ = -1;
};
