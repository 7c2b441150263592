#pragma once
// The message file Quillmark.mes.
#include "model/AppState.h"
#include "platform/Dialogs.h"

// Loads state.messages from the file at path. On a missing or bad file shows
// one of the two built-in messages and returns false.
bool LoadMessageTable(AppState &state, Dialogs &dialogs, const QString &path);
// The parsing itself, on the file's bytes, for tests and fuzzing.
enum class MessageFileResult { Ok, NoMaxIndex, Failed };
MessageFileResult ParseMessageFile(const QByteArray &bytes, MessageTable &table);

QString StripComment(const QString &line);
QString GetValuePart(const QString &line);
int GetGstrIndex(const QString &line);

inline const QString kMessageFileMissing = QStringLiteral("String table file is not found!");
inline const QString kMessageFileBad =
    QStringLiteral("It failed in reading of the String table file.!");
