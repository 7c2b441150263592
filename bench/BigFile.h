#pragma once
// The big machine file of the benchmarks: 32767 attachment lines.
#include "BenchTable.h"
#include "platform/TextFile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstddef>
#include <vector>

inline constexpr int kSlots = 32767;

// As a saved file holds them, in shuffled order so that loading sorts: two
// stages each, every eighth line with a name (half of them Japanese), and a
// few lines typed by hand in lower case.
inline QByteArray BigFileBytes()
{
    QString text = QStringLiteral(
        "#******************   MACHINE TABLE FOR MORVEX2000   ******************\r\n"
        "NAME = BENCH VM5           \r\nSTROKE(X) = 850.\r\nSTROKE(Y) = 500.\r\n"
        "TOOL CHANGE TIME = 2.5\r\nATC TYPE = WAIT\r\nRAPID(X) = 36000.\r\n"
        "MAXIMUM FEEDRATE = 10000.\r\nINI = ATTACHMENT01\r\n");
    const std::vector<int> numbers = ShuffledNumbers(kSlots);
    for (int i = 0; i < kSlots; ++i) {
        QString line = QStringLiteral("ATTACHMENT%1 = SQUARE/%2.,%3,%4.,%5")
                           .arg(numbers[std::size_t(i)], 2, 10, QLatin1Char('0'))
                           .arg(100 + i % 97)
                           .arg(QString::number(20 + i % 31) + QStringLiteral(".5"))
                           .arg(200 + i % 89)
                           .arg(QString::number(40 + i % 23) + QStringLiteral(".25"));
        if (i % 8 == 0)
            line += i % 16 ? QStringLiteral(",STANDARD HEAD       ")
                           : QStringLiteral(",立形ヘッド               ");
        if (i % 64 == 1)
            line = line.toLower();
        text += line + QStringLiteral("\r\n");
    }
    QByteArray bytes;
    EncodeCp932(text, bytes);
    return bytes;
}

inline bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
