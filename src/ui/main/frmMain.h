#pragma once
// The main window: every value of the machine table, the attachment list,
// and the buttons that choose, save and close the file.
#include "app/Startup.h"
#include "model/AppState.h"
#include "model/Document.h"
#include "platform/Dialogs.h"
#include "ui/common/FieldEvents.h"
#include "ui/editor/frmEditor.h"
#include "ui/main/FileQuestions.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class AttachmentPanel;
class frmCompare;
class HintMarks;
class HistoryKeys;
class QLineEdit;
namespace Ui {
class frmMain;
}

class frmMain : public QWidget, public MainWindowPort {
    Q_OBJECT
public:
    frmMain(AppState &state, Dialogs &dialogs, QWidget *parent = nullptr);
    ~frmMain() override;

    // MainWindowPort: the load runs once, before the window is first shown.
    void ShowWindow() override;
    void SetFileName(const QString &name) override;

    // Shows the open-file dialog. On a choice, InitFileName and InitDirectry
    // take the chosen name and folder and the full path is returned; else
    // empty text and both are left alone.
    QString FileChoice(QString &InitFileName, QString &InitDirectry, const QString &FileCaption,
                       const QString &Suffix);
    // Checks txtb's text as a number and rewrites it in the display pattern;
    // on refusal shows Msg::NotANumber, sets Cancel and returns 0.
    float NumValidate(QLineEdit *txtb, bool &Cancel);
    // Refills the window after the attachments changed; the changed mark
    // follows the document.
    void AttachDefChange();

    // The table differs from what was loaded or last saved.
    bool DataChanged() const { return document_.Changed(); }
    Document &Doc() { return document_; }

    // Seams, replaced by tests. openEditor runs the modal attachment editor on
    // the request; startEditor starts the external text editor without a
    // shell (false when it could not start); endProgram ends the program once
    // the window is gone.
    std::function<void(const frmEditor::Request &request)> openEditor;
    std::function<bool(const QString &program, const QStringList &arguments)> startEditor;
    std::function<void()> endProgram;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // One number box: the value it shows and commits, and its Validate handler.
    using Validate = void (frmMain::*)(bool &Cancel);
    using ValidateAt = void (frmMain::*)(int Index, bool &Cancel);
    struct NumberBox {
        QLineEdit *box;
        FieldRef field;
        Validate validate = nullptr;
        ValidateAt validateAt = nullptr;  // for a control array, with the field's axis
    };

    // The constructor's steps.
    void GatherControls();
    void SetUpFields();
    void SetUpButtonsAndKeys();
    void SetUpSeams();
    // The comparison window, the notice of another program's change to the
    // file, the list of recent files.
    void SetUpFileCompanions();

    void Form_Load();
    void Form_Unload();
    // The file's name, the mark's place and the product caption, in the title.
    void UpdateTitle();
    void ShowMachineTable();
    // Asks whether unsaved edits are to be saved, and saves on Yes. False
    // when the caller must not go on: cancelled, or the save did not happen.
    bool maybeSave();

    // An undo or redo put this back: show it where it is.
    void ShowRestored(const ChangeTarget &target);
    QLineEdit *FieldBox(FieldRef field) const;
    void ShowField(FieldRef field);

    void txtFileName_Change();
    void btnEntry_Click();
    void cmdFile_Click();
    void btnEnd_Click();
    void framFile_OLEDragDrop(const QStringList &files);
    // Puts name into the file name field, which loads it, once unsaved edits
    // have been saved or given up.
    void LoadAfterAsking(const QString &name);

    void txtCngTime_Validate(bool &Cancel);
    void txtMaxFeedAll_Validate(bool &Cancel);
    void txtStroke_Validate(int Index, bool &Cancel);
    void txtMaxFeedXYZ_Validate(int Index, bool &Cancel);
    void txtMaxAcceleXYZ_Validate(int Index, bool &Cancel);
    void txtRapidFeedXYZ_Validate(int Index, bool &Cancel);
    void txtRapidAcceleXYZ_Validate(int Index, bool &Cancel);
    bool CommitNumber(QLineEdit *box, FieldRef field);
    void txtMachineName_Validate(bool &Cancel);
    void txtMachineName_LostFocus();
    // After a commit that leaves the box's text as typed.
    void Committed(QLineEdit *box);
    void cmbAtcType_Click();
    void txtAttachInit_Validate(bool &Cancel);
    void txtAttachInit_LostFocus();

    void btnAdd_Click();
    void btnEdit_Click();
    void btnDel_Click();

    AppState &state_;
    Dialogs &dialogs_;
    Ui::frmMain *ui;
    FieldEvents fieldEvents_;
    RecoveryStore recovery_;
    Document document_;
    FileQuestions questions_;
    HistoryKeys *history_ = nullptr;
    HintMarks *hints_ = nullptr;
    frmEditor *editor_ = nullptr;  // created on first need, kept for the run
    std::vector<NumberBox> numberBoxes_;

    std::array<QLineEdit *, 3> txtStroke{};
    std::array<QLineEdit *, 3> txtMaxFeedXYZ{};
    std::array<QLineEdit *, 3> txtMaxAcceleXYZ{};
    std::array<QLineEdit *, 3> txtRapidFeedXYZ{};
    std::array<QLineEdit *, 3> txtRapidAcceleXYZ{};

    QString initFile_;
    QString initDir_;
    QString caption_;  // the product caption from the message table
    bool displaying_ = false;
    bool loaded_ = false;
    bool ending_ = false;    // the end button has asked already
    bool unloaded_ = false;  // settings written once
    AttachmentPanel *panel_ = nullptr;
    frmCompare *compare_ = nullptr;
};
