#pragma once
// The strip along the bottom of the main window: how many values are
// probably mistyped (hints), and room for a notice about the open file.
#include <QFrame>

class QHBoxLayout;
class QLabel;

class StatusStrip : public QFrame {
public:
    explicit StatusStrip(QWidget *parent = nullptr);
    void SetHintCount(const QString &text);
    // The notice about the open file, at the strip's right end.
    void SetNotice(QWidget *notice);

private:
    QHBoxLayout *row_;
    QLabel *hints_;
};
