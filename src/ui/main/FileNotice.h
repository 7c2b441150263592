#pragma once
// The notice in the main window's bottom strip that another program changed,
// replaced or removed the open file, with what can be done about it. It never
// blocks work. The file is also looked at whenever the window is activated,
// as a network share sends no events.
#include "model/Document.h"
#include "platform/MessageTable.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

class FileNotice : public QWidget {
public:
    // reload: the file loaded again, after the question about unsaved edits;
    // compare: the comparison with the file on disk.
    struct Actions {
        std::function<void()> reload, compare;
    };
    FileNotice(Document &document, const MessageTable &messages, QWidget &window, Actions actions,
               QWidget *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SetTexts();
    void Show(FileWatch::Change change);

    Document &document_;
    const MessageTable &messages_;
    Actions actions_;
    QLabel *text_;
    QPushButton *reload_, *compare_, *keep_;
    QPointer<QWidget> before_;  // where the user was before the notice took the focus
};
