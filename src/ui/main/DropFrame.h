#pragma once
// The frame around the file controls: it takes files dropped from the desktop.
#include <QFrame>
#include <QStringList>

class QMimeData;

class DropFrame : public QFrame {
    Q_OBJECT
public:
    explicit DropFrame(QWidget *parent = nullptr);

    // The local files a drop carries, in the order of the drop; empty when it
    // carries none (text, remote URLs).
    static QStringList LocalFiles(const QMimeData *data);

signals:
    void filesDropped(const QStringList &files);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};
