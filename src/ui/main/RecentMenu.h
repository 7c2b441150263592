#pragma once
// The list of the files last loaded, dropped down from the small button beside
// the file button. A file that is gone shows greyed out and marked missing.
// Each load puts its file first.
#include "model/AppState.h"
#include "model/Document.h"

#include <QObject>

#include <functional>

class QMenu;
class QToolButton;

class RecentMenu : public QObject {
public:
    // pick: a listed file that is there was chosen.
    RecentMenu(AppState &state, const Document &document, QToolButton *button,
               std::function<void(const QString &path)> pick);

private:
    void SetTexts();
    void Fill();

    AppState &state_;
    const Document &document_;
    QToolButton *button_;
    QMenu *menu_;
    std::function<void(const QString &)> pick_;
};
