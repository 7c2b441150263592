#include "RecentMenu.h"

#include "app/RecentFiles.h"
#include "platform/FileSystem.h"

#include <QMenu>
#include <QToolButton>

RecentMenu::RecentMenu(AppState &state, const Document &document, QToolButton *button,
                       std::function<void(const QString &)> pick)
    : QObject(button), state_(state), document_(document), button_(button),
      menu_(new QMenu(button)), pick_(std::move(pick))
{
    menu_->setObjectName(QStringLiteral("menuRecent"));
    button_->setMenu(menu_);
    connect(menu_, &QMenu::aboutToShow, this, &RecentMenu::Fill);
    connect(&document_, &Document::Reset, this, [this] {
        if (document_.Current().GetState() == CurrentFile::State::Loaded)
            RememberRecent(state_, document_.Current().Name());
    });
    SetTexts();
}

void RecentMenu::SetTexts()
{
    const QString caption = state_.messages(Msg::RecentFiles);
    button_->setToolTip(caption);
    button_->setAccessibleName(caption);
    menu_->setTitle(caption);
}

void RecentMenu::Fill()
{
    menu_->clear();
    const std::vector<RecentFile> files = RecentFiles(state_);
    int n = 0;
    for (const RecentFile &file : files) {
        // "&1" to "&8": each one key away.
        QString text =
            QStringLiteral("&%1  ").arg(++n) + DisplayName(file.path).replace(u'&', "&&");
        if (!file.exists)
            text += u' ' + state_.messages(Msg::RecentMissing);
        QAction *action = menu_->addAction(text);
        action->setEnabled(file.exists);
        if (file.exists)
            connect(action, &QAction::triggered, this, [this, path = file.path] { pick_(path); });
    }
    if (files.empty())
        menu_->addAction(state_.messages(Msg::NoRecentFiles))->setEnabled(false);
}
