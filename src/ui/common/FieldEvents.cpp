#include "FieldEvents.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace {
// Calls back once, after the next mouse button release has been delivered.
class ReleaseWatch : public QObject {
public:
    ReleaseWatch(QObject *parent, std::function<void()> done)
        : QObject(parent), done_(std::move(done))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease && !fired_) {
            fired_ = true;
            QTimer::singleShot(0, this, [this] { done_(); });
        }
        return false;
    }

private:
    std::function<void()> done_;
    bool fired_ = false;
};
}  // namespace

void FieldEvents::Watch(QLineEdit *field, Validate validate, LostFocus lostFocus)
{
    fields_[field] = {std::move(validate), std::move(lostFocus)};
    field->installEventFilter(this);
    // A field committed while it kept the focus must be checked again once edited.
    connect(field, &QLineEdit::textChanged, this, [this, field] {
        if (committed_ == field)
            committed_ = nullptr;
        if (clickRefused_ == field)
            clickRefused_ = nullptr;
    });
}

bool FieldEvents::Leave(QWidget *field)
{
    auto it = fields_.find(field);
    if (it == fields_.end())
        return true;
    // Copies: a handler may rebuild the window while it runs.
    const Handlers handlers = it->second;
    busy_ = true;
    bool cancel = false;
    if (handlers.validate)
        handlers.validate(cancel);
    if (cancel) {
        refused_ = field;
        field->setFocus(Qt::OtherFocusReason);
        busy_ = false;
        return false;
    }
    if (refused_ == field)
        refused_ = nullptr;
    if (handlers.lostFocus)
        handlers.lostFocus();
    busy_ = false;
    return true;
}

void FieldEvents::HoldClick(QWidget *field)
{
    clickRefused_ = field;
    delete releaseWatch_;
    releaseWatch_ = new ReleaseWatch(this, [this] {
        clickRefused_ = nullptr;
        releaseWatch_->deleteLater();
        releaseWatch_ = nullptr;
    });
}

bool FieldEvents::Commit()
{
    return Commit(QApplication::focusWidget());
}

bool FieldEvents::Commit(QWidget *focused)
{
    if (busy_)
        return false;
    // The refusal has just been shown for this very click.
    if (focused && focused == clickRefused_)
        return false;
    if (focused && fields_.count(focused) && committed_ != focused) {
        if (!Leave(focused))
            return false;
        committed_ = focused;
        return true;
    }
    return refused_.isNull();
}

bool FieldEvents::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut && !busy_) {
        auto *field = static_cast<QWidget *>(watched);
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // A message box or menu taking the focus, or another window being
        // activated, is not leaving the field.
        const bool leaving = reason != Qt::ActiveWindowFocusReason &&
                             reason != Qt::PopupFocusReason && field->isVisible() &&
                             fields_.count(field);
        QWidget *next = QApplication::focusWidget();
        if (committed_ == field) {
            if (leaving)
                committed_ = nullptr;  // already left by Commit()
        } else if (leaving && (!next || next->window() == field->window())) {
            if (!Leave(field) && reason == Qt::MouseFocusReason)
                HoldClick(field);
        }
    }
    return QObject::eventFilter(watched, event);
}
