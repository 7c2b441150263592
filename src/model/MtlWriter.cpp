#include "MtlFile.h"

#include "Numbers.h"
#include "Tokens.h"
#include "platform/SafeReplace.h"
#include "platform/TextFile.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <cstddef>

QString FormatAttachLine(const AttachmentSlots &attachments, int index)
{
    if (index < 0 || index >= int(attachments.size()))
        return QString();
    const AttachmentRecord &r = attachments[std::size_t(index)];
    // A free slot may still hold the rest of a deleted record until the next
    // sort; it is never listed or written.
    if (r.Number < 1 || r.ShapeNumber < 1)
        return QString();
    if (r.ShapeType != 1 && r.ShapeType != 2)
        return QString();

    QString line = QStringLiteral("ATTACHMENT") + FormatNumber(r.Number, Pattern::TwoDigits) +
                   QStringLiteral(" = ") + ShapeName(r.ShapeType);
    if (r.ShapeNumber != 1)
        line += FormatNumber(r.ShapeNumber, Pattern::Digits);
    line += QLatin1Char('/');

    float previous = 0;
    for (std::size_t k = 0; k < r.Width.size(); ++k) {
        if (r.Width[k] < previous) {
            if (k == 0)
                return QString();
            break;
        }
        line += FormatNumber(r.Width[k], Pattern::Decimal) + QLatin1Char(',') +
                FormatNumber(r.Height[k], Pattern::Decimal) + QLatin1Char(',');
        previous = r.Width[k];
    }

    if (!TrimSpaces(r.AttachName.str()).isEmpty())
        line += r.AttachName.str();
    else
        line.chop(1);
    return line;
}

QString MtlFileText(const MachineTable &table, const AttachmentSlots &attachments)
{
    // One text with room reserved up front, so a table of 32767 attachments
    // is not copied over and over while it grows.
    QString text;
    text.reserve(1024 + qsizetype(attachments.size()) * 72);
    struct Appender {
        QString &text;
        Appender &operator<<(const QString &line)
        {
            text += line;
            text += QLatin1String("\r\n");
            return *this;
        }
    } lines{text};
    lines << QStringLiteral("#") + QString(18, QLatin1Char('*')) +
                 QStringLiteral("   MACHINE TABLE FOR MORVEX2000   ") + QString(18, QLatin1Char('*'));
    lines << QStringLiteral("#") + QString(21, QLatin1Char('*')) +
                 QStringLiteral("   EDITED WITH Quillmark    ") + QString(7, QLatin1Char('*')) +
                 QStringLiteral("Ver") + kVersionText + QString(7, QLatin1Char('*'));
    lines << QStringLiteral("NAME = ") + table.MachineName.str();

    auto axisLines = [&lines](const QString &keyword, const AxisValues &values) {
        for (std::size_t axis = 0; axis < values.size(); ++axis)
            if (values[axis] > 0)
                lines << keyword + QLatin1Char('(') + AxisNames[axis] + QStringLiteral(") = ") +
                             FormatNumber(values[axis], Pattern::Decimal);
    };

    axisLines(QStringLiteral("STROKE"), table.Stroke);
    if (table.ToolChangeTime > 0)
        lines << QStringLiteral("TOOL CHANGE TIME = ") +
                     FormatNumber(table.ToolChangeTime, Pattern::DecimalNoLead);
    if (table.AtcType >= 0 && table.AtcType <= 2)
        lines << QStringLiteral("ATC TYPE = ") + AtcTypeNames[std::size_t(table.AtcType)];
    axisLines(QStringLiteral("RAPID"), table.RapidFeed);
    axisLines(QStringLiteral("RAPID ACCELERATION"), table.RapidAccel);
    if (table.MaxFeedAll > 0)
        lines << QStringLiteral("MAXIMUM FEEDRATE = ") +
                     FormatNumber(table.MaxFeedAll, Pattern::Decimal);
    axisLines(QStringLiteral("MAXIMUM FEEDRATE"), table.MaxFeed);
    axisLines(QStringLiteral("MAXIMUM ACCELERATION"), table.MaxAccel);
    if (!table.AttachChangeCode.isEmpty())
        lines << QStringLiteral("ATTACH CHANGE CODE = ") + table.AttachChangeCode;
    if (!table.AttachDesignCode.isEmpty())
        lines << QStringLiteral("ATTACH DESIGN CODE = ") + table.AttachDesignCode;
    if (table.IniAttachment > 0)
        lines << QStringLiteral("INI = ATTACHMENT") +
                     FormatNumber(table.IniAttachment, Pattern::TwoDigits);
    for (int i = 0; i < int(attachments.size()); ++i) {
        const QString line = FormatAttachLine(attachments, i);
        if (!line.isEmpty())
            lines << line;
    }

    return text;
}

QByteArray ContentHash(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

SaveResult WriteMtlFile(FileLayer &files, const QString &fileName, const MachineTable &table,
                        const AttachmentSlots &attachments)
{
    SaveResult result;
    // The text is made and encoded before anything on disk is touched, so a
    // character windows-31j cannot hold leaves the old file as it was.
    QByteArray bytes;
    if (!EncodeCp932(MtlFileText(table, attachments), bytes)) {
        result.problem = FileProblem::NotSaved;
        return result;
    }
    const ReplaceOutcome outcome = ReplaceFile(files, fileName, bytes, true);
    result.reason = outcome.reason;
    result.backupLeft = outcome.backupLeft;
    switch (outcome.status) {
    case ReplaceOutcome::Replaced: {
        result.hash = ContentHash(bytes);
        // A save killed before its rename left its temporary file; the
        // temporaries sit beside the link's target.
        const QString target = QFileInfo(fileName).canonicalFilePath();
        RemoveStaleTemporaries(files, target.isEmpty() ? fileName : target);
        break;
    }
    case ReplaceOutcome::FolderMissing:
        result.problem = FileProblem::FolderMissing;
        break;
    case ReplaceOutcome::Failed:
        result.problem = FileProblem::NotSaved;
        break;
    }
    return result;
}
