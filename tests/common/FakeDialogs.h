#pragma once
// Scripted dialogs for tests: records what would be shown and answers from the queues; an empty
// queue answers with the default button, empty text or no file, and counts as unexpected.
#include "platform/Dialogs.h"

#include <QQueue>
#include <QStringList>

class FakeDialogs : public Dialogs {
public:
    struct Box { QString text; MsgButtons buttons; MsgIcon icon; MsgAnswer defaultButton; QString title; };
    struct Input { QString prompt, title, defaultText; };
    QList<Box> boxes;
    QList<Input> inputs;
    QList<OpenFileRequest> openRequests;
    int beeps = 0, unexpected = 0;
    QQueue<MsgAnswer> answers;
    QQueue<QString> inputAnswers, fileAnswers;

    using Dialogs::MsgBox;
    MsgAnswer MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon, MsgAnswer defaultButton, const QString &title) override
    { return boxes.append({text, buttons, icon, defaultButton, title}), Next(answers, defaultButton); }
    QString InputBox(const QString &prompt, const QString &title, const QString &defaultText) override
    { return inputs.append({prompt, title, defaultText}), Next(inputAnswers, QString()); }
    QString OpenFile(const OpenFileRequest &request) override { return openRequests.append(request), Next(fileAnswers, QString()); }
    void Beep() override { ++beeps; }
    QStringList texts() const { QStringList all; for (const Box &b : boxes) all << b.text; return all; }
    void reset() { *this = FakeDialogs(); }

private:
    template <typename T> T Next(QQueue<T> &q, const T &fallback) { return q.isEmpty() ? (++unexpected, fallback) : q.dequeue(); }
};
