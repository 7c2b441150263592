#include "FileNotice.h"

#include "platform/FileSystem.h"

#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

FileNotice::FileNotice(Document &document, const MessageTable &messages, QWidget &window,
                       Actions actions, QWidget *parent)
    : QWidget(parent), document_(document), messages_(messages), actions_(std::move(actions)),
      text_(new QLabel(this)), reload_(new QPushButton(this)), compare_(new QPushButton(this)),
      keep_(new QPushButton(this))
{
    setObjectName(QStringLiteral("fileNotice"));
    text_->setObjectName(QStringLiteral("lblNotice"));
    reload_->setObjectName(QStringLiteral("btnReload"));
    compare_->setObjectName(QStringLiteral("btnNoticeCompare"));
    keep_->setObjectName(QStringLiteral("btnKeepEditing"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(text_);
    for (QPushButton *button : {reload_, compare_, keep_}) {
        button->setAutoDefault(false);
        button->setFixedHeight(20);
        row->addWidget(button);
    }
    connect(reload_, &QPushButton::clicked, this, [this] { actions_.reload(); });
    connect(compare_, &QPushButton::clicked, this, [this] { actions_.compare(); });
    connect(keep_, &QPushButton::clicked, this, [this] { document_.Watch().Acknowledge(); });
    connect(&document_.Watch(), &FileWatch::StateChanged, this, &FileNotice::Show);
    connect(qApp, &QApplication::focusChanged, this, [this, &window](QWidget *, QWidget *now) {
        if (now && now->window() == &window && !isAncestorOf(now))
            before_ = now;
    });
    window.installEventFilter(this);
    hide();
    SetTexts();
}

void FileNotice::SetTexts()
{
    for (const auto &[button, caption] :
         {std::pair{reload_, Msg::ReloadButton}, std::pair{compare_, Msg::CompareTitle},
          std::pair{keep_, Msg::KeepEditing}}) {
        button->setText(messages_(caption));
        button->setAccessibleName(button->text());
    }
}

bool FileNotice::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        document_.Watch().Check();
    return QWidget::eventFilter(watched, event);
}

void FileNotice::Show(FileWatch::Change change)
{
    if (change == FileWatch::Change::None) {
        // Keep editing goes back to where the user was editing.
        const QPointer<QWidget> back =
            isAncestorOf(QApplication::focusWidget()) ? before_ : QPointer<QWidget>();
        hide();  // which gives the focus to the next widget
        if (back)
            back->setFocus(Qt::OtherFocusReason);
        return;
    }
    const Msg what = change == FileWatch::Change::Changed    ? Msg::ChangedElsewhere
                     : change == FileWatch::Change::Replaced ? Msg::ReplacedElsewhere
                                                             : Msg::RemovedElsewhere;
    const QString name = DisplayName(NameOf(document_.Current().Name()));
    const QString text = messages_(what).contains(QStringLiteral("%1"))
                             ? messages_(what).arg(name)
                             : name + u' ' + messages_(what);
    text_->setText(text);
    text_->setAccessibleName(text);
    // A removed file has nothing to load or compare with: Save writes it anew.
    reload_->setVisible(change != FileWatch::Change::Removed);
    compare_->setVisible(change != FileWatch::Change::Removed);
    show();
    QAccessibleEvent alert(text_, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}
