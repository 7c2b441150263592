#pragma once
// The modal attachment editor. Created once and kept for the whole run; each
// opening starts with nothing changed. It edits a working copy of one record
// of the table it is given and hands the record back on Entry.
#include "model/AppState.h"
#include "platform/Dialogs.h"

#include <QDialog>
#include <array>
#include <cstdint>
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
    // Writes the record into the slot and returns the slot that holds it
    // afterwards (the table keeps its order), or -1.
    using Entry = std::function<int(int slot, const AttachmentRecord &record)>;
    // What one opening edits: the attachment at the one-based list position
    // with that number, in the table slots, which Show searches.
    struct Request {
        const AttachmentSlots *table = nullptr;
        const MachineTable *machine = nullptr;  // for the hints of the record, with the table
        int position = 0;
        std::int32_t number = 0;
        Entry entry;
    };

    frmEditor(AppState &state, Dialogs &dialogs, QWidget *parent);
    ~frmEditor() override;

    // Loads the window for the request, shows it modally centred on its
    // parent and returns when it has closed.
    void OpenModal(const Request &request);

    bool DataChanged() const;

    // The load handler, without showing the window (tests show it themselves).
    void Load(const Request &request);
    // The window's handlers, public so that tests can press them directly.
    void btnShow_Click();
    void btnEntry_Click();
    void btnClose_Click();
    // True when a typed character (code KeyAscii, 8 = Backspace) may go into
    // the stage box txtb as it stands before the key.
    bool KeyAsciiCheck(const QLineEdit &txtb, int KeyAscii) const;

    // Slot that Entry writes to; -1 = none chosen.
    int EditIndex() const { return editIndex_; }
    // The working copy the boxes show and change.
    const AttachmentRecord &EditAttachment() const { return edit_; }

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
    // The hints of the record as it is typed, on the line below the stages.
    void ShowHints();
    // Entry: false, after saying why, when stage 1 is incomplete.
    bool Enter();
    void CloseWindow();

    int SlotCount() const;

    AppState &state_;
    Dialogs &dialogs_;
    Request request_;
    AttachmentRecord edit_;
    std::unique_ptr<Ui::frmEditor> ui;
    FieldEvents *fieldEvents_ = nullptr;

    std::array<QLineEdit *, 5> txtWidth{};
    std::array<QLineEdit *, 5> txtHight{};
    std::array<QLabel *, 5> Label2{};

    bool displaying_ = false;
    bool dataChanged_ = false;
    int editIndex_ = -1;
};
