#pragma once
// The comparison window: what differs between the open table and another
// machine file, or the file as it is on disk, side by side with both outlines
// of an attachment; the other side of chosen rows taken over as one step.
// Modeless; it follows the table and closes when another file is loaded.
#include "model/Comparison.h"
#include "platform/Dialogs.h"
#include "platform/MessageTable.h"

#include <QSet>
#include <QWidget>

#include <functional>

class DifferenceRows;
class FileQuestions;
class PictureBox;
class QLabel;
class QLayout;
class QPushButton;
class QTreeView;

class frmCompare : public QWidget {
    Q_OBJECT
public:
    // chooseFile: the open-file dialog, leaving the window's Init File and
    // Init Dir alone; empty text when nothing was chosen. commitField: the
    // main window's field in hand is committed before the table is changed;
    // false when it refuses its text.
    struct Hooks {
        std::function<QString()> chooseFile;
        std::function<bool()> commitField;
    };
    frmCompare(Document &document, FileQuestions &questions, Dialogs &dialogs,
               const MessageTable &messages, Hooks hooks, QWidget *parent);
    ~frmCompare() override;

    // The dialog, then the chosen file compared and the window shown.
    void ChooseAndCompare();
    // The open table against its file as it is on disk.
    void CompareOwnFile();
    void TakeOver();

signals:
    // A row was activated: the main window shows its field or attachment.
    void ShowInMain(const ChangeTarget &target);
    // Values were taken over: the main window shows them.
    void TookOver();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void SetUpList();
    QLayout *Outlines();
    QLayout *Buttons();
    void Open(const LoadResult &result);
    void Follow();
    void ShowOutlines();
    // What the user has chosen, kept for when the list is made anew.
    void Remember();
    void Activate(const QModelIndex &index);
    // The selected rows without the attachments the user keeps when asked.
    std::vector<std::size_t> RowsToTake();

    Document &document_;
    FileQuestions &questions_;
    Dialogs &dialogs_;
    const MessageTable &messages_;
    Hooks hooks_;
    Comparison comparison_;
    DifferenceRows *rows_;
    QTreeView *list_;
    QLabel *thisName_, *otherCaption_, *otherName_, *otherLines_, *count_;
    PictureBox *thisOutline_, *otherOutline_;
    QLabel *otherOutlineCaption_;
    QPushButton *ownFile_;
    QPushButton *take_ = nullptr;
    QSet<QString> chosen_;  // the selected rows, by what they are about
    QString current_;
    bool following_ = false;
    bool placed_ = false;
};
