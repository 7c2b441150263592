#pragma once
// Scripted dialogs for tests: records what would be shown and answers from the queues; an empty
// queue answers with the default button, empty text or no file, and counts as unexpected.
#include "platform/Dialogs.h"

#include <QQueue>
#include <QStringList>

class FakeDialogs : public Dialogs {
public:
    struct Box { QString text; MsgButtons buttons; MsgIcon icon; MsgAnswer defaultButton; QString title, details; };
    struct Input { QString prompt, title, defaultText; };
    QList<Box> boxes;
    QList<Input> inputs;
    QList<OpenFileRequest> openRequests;
    int beeps = 0, unexpected = 0;
    QQueue<MsgAnswer> answers;
    QQueue<QString> inputAnswers, fileAnswers;

    using Dialogs::MsgBox;
    MsgAnswer MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon, MsgAnswer defaultButton,
                     const QString &title, const QString &details) override
    { return Answer(boxes, {text, buttons, icon, defaultButton, title, details}, answers, defaultButton); }
    QString InputBox(const QString &prompt, const QString &title, const QString &defaultText) override
    { return Answer(inputs, {prompt, title, defaultText}, inputAnswers, {}); }
    QString OpenFile(const OpenFileRequest &request) override { return Answer(openRequests, request, fileAnswers, {}); }
    void Beep() override { ++beeps; }
    QStringList texts() const { QStringList all; for (const Box &b : boxes) all << b.text; return all; }
    void reset() { *this = FakeDialogs(); }

private:
    template <typename C, typename T> T Answer(QList<C> &calls, const C &call, QQueue<T> &queue, const T &fallback)
    {
        calls.append(call);
        unexpected += queue.isEmpty();
        return queue.isEmpty() ? fallback : queue.dequeue();
    }
};
