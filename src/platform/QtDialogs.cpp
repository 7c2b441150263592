#include "QtDialogs.h"

#include "FileSystem.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace {

// Puts the focus back on the control the user was in once a modal box has
// closed. A window manager would re-activate the window below; without one
// (a bare X display, a kiosk) nobody does, and no window has the focus.
class KeepFocus {
public:
    KeepFocus() : widget_(QApplication::focusWidget()) { }
    ~KeepFocus()
    {
        if (!widget_ || !widget_->isVisible())
            return;
        widget_->window()->activateWindow();
        // The reason tells field checks that the user did not leave the field.
        widget_->setFocus(Qt::ActiveWindowFocusReason);
    }
    KeepFocus(const KeepFocus &) = delete;
    KeepFocus &operator=(const KeepFocus &) = delete;

private:
    QPointer<QWidget> widget_;
};

QString TitleOr(const QString &title)
{
    return title.isEmpty() ? kProgramTitle : title;
}

QMessageBox::Icon ToQt(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton ToQt(MsgAnswer answer)
{
    switch (answer) {
    case MsgAnswer::Ok: return QMessageBox::Ok;
    case MsgAnswer::Yes: return QMessageBox::Yes;
    case MsgAnswer::No: return QMessageBox::No;
    case MsgAnswer::Cancel: return QMessageBox::Cancel;
    }
    return QMessageBox::NoButton;
}

// The open dialog accepts names of files that do not exist yet, but their
// folder must exist, as the common dialog's "path must exist" demands.
class PathMustExistDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (!files.isEmpty()) {
            const QFileInfo info(files.first());
            if (!info.isDir() && !QFileInfo(info.absolutePath()).isDir()) {
                KeepFocus keep;
                QMessageBox::warning(this, windowTitle(),
                                     QCoreApplication::translate(
                                         "QFileDialog", "%1\nDirectory not found.\nPlease verify "
                                                        "the correct directory name was given.")
                                         .arg(info.absolutePath()));
                return;
            }
        }
        QFileDialog::accept();
    }
};

}  // namespace

MsgAnswer QtDialogs::MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                            MsgAnswer defaultButton, const QString &title, const QString &details)
{
    QMessageBox::StandardButtons qtButtons;
    MsgAnswer escape = MsgAnswer::Ok;
    switch (buttons) {
    case MsgButtons::Ok:
        qtButtons = QMessageBox::Ok;
        escape = MsgAnswer::Ok;
        break;
    case MsgButtons::YesNo:
        qtButtons = QMessageBox::Yes | QMessageBox::No;
        escape = MsgAnswer::No;
        break;
    case MsgButtons::YesNoCancel:
        qtButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        escape = MsgAnswer::Cancel;
        break;
    }
    KeepFocus keep;
    // Centred on the window that is in front, like the platform's boxes.
    QMessageBox box(ToQt(icon), TitleOr(title), text, qtButtons, QApplication::activeWindow());
    if (qtButtons.testFlag(ToQt(defaultButton)))
        box.setDefaultButton(ToQt(defaultButton));
    box.setEscapeButton(ToQt(escape));
    if (!details.isEmpty())
        box.setDetailedText(details);
    switch (box.exec()) {
    case QMessageBox::Ok: return MsgAnswer::Ok;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    default: return escape;
    }
}

QString QtDialogs::InputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    KeepFocus keep;
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(TitleOr(title));
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

QString QtDialogs::OpenFile(const OpenFileRequest &request)
{
    KeepFocus keep;
    PathMustExistDialog dialog(QApplication::activeWindow(), TitleOr(request.title),
                               request.directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (nonNativeFileDialog)
        dialog.setOption(QFileDialog::DontUseNativeDialog);
    const QStringList filters = NameFilters(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    QString suffix = request.defaultExtension;
    if (suffix.startsWith(u'.'))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return QString();
    // A native dialog does not go through accept() above: check once more.
    const QFileInfo chosen(files.first());
    if (chosen.isDir() || !QFileInfo(chosen.absolutePath()).isDir())
        return QString();
    return QDir::cleanPath(chosen.absoluteFilePath());
}

void QtDialogs::Beep()
{
    QApplication::beep();
}

QStringList QtDialogs::NameFilters(const QString &filter)
{
    // "description|pattern|description|pattern" becomes "description (pattern)",
    // which Qt reads by the last parenthesised group, so a description that
    // holds parentheses of its own, such as "MTL file(.mtl)", stays intact.
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        QStringList patterns;
        for (const QString &pattern : parts.at(i + 1).split(u';', Qt::SkipEmptyParts)) {
            const QString p = pattern.trimmed();
            if (p.isEmpty())
                continue;
            // "*.*" means every file there, also names without a dot here.
            patterns << (p == QLatin1String("*.*") ? QStringLiteral("*") : p);
        }
        if (patterns.isEmpty())
            continue;
        result << (description.isEmpty() ? QString() : description + u' ') + u'(' +
                      patterns.join(u' ') + u')';
    }
    return result;
}
