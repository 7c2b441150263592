#include "QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {
const QString kTranslatorName = QStringLiteral("QtTranslation");
}

bool InstallQtTranslation(const QString &language)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return false;
    // Owned by the application; deleting it also uninstalls it.
    delete app->findChild<QTranslator *>(kTranslatorName, Qt::FindDirectChildrenOnly);
    auto *translator = new QTranslator(app);
    translator->setObjectName(kTranslatorName);
    if (!translator->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
