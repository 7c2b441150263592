#pragma once
// Validate-then-LostFocus for text boxes, built once for every window.
// When the focus leaves a watched field for another control of the same
// window, its Validate runs; a refusal keeps the focus in the field and skips
// LostFocus. Buttons that act on the model call Commit() first.
#include <QObject>
#include <QPointer>

#include <functional>
#include <map>

class QLineEdit;
class QWidget;

class FieldEvents : public QObject {
public:
    using Validate = std::function<void(bool &cancel)>;
    using LostFocus = std::function<void()>;

    explicit FieldEvents(QObject *parent = nullptr) : QObject(parent) { }

    // Either handler may be empty.
    void Watch(QLineEdit *field, Validate validate, LostFocus lostFocus = {});

    // Runs the pending Validate and LostFocus of the field that has the focus,
    // as leaving it would. False when a field refuses its text: the caller
    // must not act. Another window acting on the table names the field its
    // own window last had focused.
    bool Commit();
    bool Commit(QWidget *focused);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Handlers {
        Validate validate;
        LostFocus lostFocus;
    };
    // Runs both handlers for field; false when Validate refused.
    bool Leave(QWidget *field);

    // The mouse press that moved the focus was refused: the click that
    // follows (a button's clicked) must not act or ask again.
    void HoldClick(QWidget *field);

    std::map<QWidget *, Handlers> fields_;
    QPointer<QWidget> refused_;  // the field that last refused its text
    QPointer<QWidget> clickRefused_;
    QObject *releaseWatch_ = nullptr;
    QPointer<QWidget> committed_;  // left by Commit() while keeping the focus
    bool busy_ = false;
};
