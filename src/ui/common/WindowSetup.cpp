#include "WindowSetup.h"

#include "ui/editor/PictureBox.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>

namespace {
// Pixels between a box's frame and its text, besides the style's own: with
// the style's alone, digits all but touch the frame at some scales.
constexpr int kTextMargin = 3;
const QString kHiddenLabelPrefix = QStringLiteral("labelFor_");

QAccessibleInterface *AccessibleFactory(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String("QWidget") && widget->windowType() == Qt::Window)
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (className == QLatin1String("PictureBox"))
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    return nullptr;
}

bool IsInputField(const QWidget *w)
{
    return w->focusPolicy() != Qt::NoFocus &&
           (qobject_cast<const QLineEdit *>(w) || qobject_cast<const QComboBox *>(w) ||
            qobject_cast<const QAbstractItemView *>(w));
}

// Gives each input field without a visible label leading to it a hidden one
// that carries its accessible name. Runs at every showing: the names come from
// the message file when the window loads. (Qt's item views report no label
// relation at all: a list has its accessible name only.)
class LabelRelations : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched == parent())
            Relate(*static_cast<QWidget *>(watched));
        return false;
    }

private:
    static void Relate(QWidget &window)
    {
        const QList<QLabel *> labels = window.findChildren<QLabel *>();
        for (QWidget *field : window.findChildren<QWidget *>()) {
            // A drop-down list is a window of its own, read out when it opens.
            if (auto *combo = qobject_cast<QComboBox *>(field))
                combo->view()->setAccessibleName(combo->accessibleName());
            if (!IsInputField(field) || field->window() != &window)
                continue;
            const QString hiddenName = kHiddenLabelPrefix + field->objectName();
            QLabel *hidden = nullptr;
            bool labelled = false;
            for (QLabel *label : labels) {
                if (label->buddy() != field)
                    continue;
                if (label->objectName() == hiddenName)
                    hidden = label;
                else
                    labelled = true;
            }
            if (labelled)
                continue;
            if (!hidden) {
                hidden = new QLabel(field->parentWidget());
                hidden->setObjectName(hiddenName);
                hidden->setBuddy(field);
                hidden->hide();
            }
            // The name, not the text: no caption ever shows.
            hidden->setAccessibleName(field->accessibleName());
        }
    }
};
}  // namespace

void InstallAccessibleFactory()
{
    static const bool installed = (QAccessible::installFactory(AccessibleFactory), true);
    Q_UNUSED(installed);
}

void SetUpWindow(QWidget &window, const MessageTable &messages)
{
    InstallAccessibleFactory();
    window.installEventFilter(new LabelRelations(&window));
    for (PictureBox *picture : window.findChildren<PictureBox *>()) {
        picture->setAccessibleName(messages(Msg::OutlineName));
        picture->SetOutlineText(messages(Msg::OutlineDescription));
    }
    for (QLineEdit *box : window.findChildren<QLineEdit *>())
        box->setTextMargins(kTextMargin, 0, 0, 0);

    if (window.minimumSize() == window.maximumSize()) {
        Qt::WindowFlags flags = window.windowFlags() | Qt::CustomizeWindowHint |
                                Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                Qt::WindowCloseButtonHint;
        if (window.windowType() == Qt::Window)
            flags |= Qt::WindowMinimizeButtonHint;
        window.setWindowFlags(flags & ~Qt::WindowMaximizeButtonHint);
    }
}

void SetCaptions(QWidget &window, const MessageTable &messages)
{
    for (QWidget *widget : window.findChildren<QWidget *>()) {
        // A field's name for screen readers: the captions around it, such as its
        // column heading and its axis.
        if (const QVariant names = widget->property("nameMessages"); names.isValid()) {
            QStringList words;
            for (const QString &n : names.toString().split(u' '))
                words << messages(Msg(n.toInt()));
            widget->setAccessibleName(words.join(u' '));
        }
        const QVariant number = widget->property("message");
        const QVariant ifAny = widget->property("messageIfAny");
        const QString text = messages(Msg((ifAny.isValid() ? ifAny : number).toInt()));
        if (!number.isValid() && (!ifAny.isValid() || text.isEmpty()))
            continue;
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            button->setText(text);
        else if (auto *label = qobject_cast<QLabel *>(widget))
            label->setText(text);
    }
    // Labels fit their captions; one that wraps keeps its width.
    for (QLabel *label : window.findChildren<QLabel *>()) {
        if (label->wordWrap())
            label->resize(label->width(), label->heightForWidth(label->width()));
        else if (label->property("message").isValid())
            label->adjustSize();
    }
}
