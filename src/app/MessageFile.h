#pragma once
// The message file Quillmark.mes.
#include "model/AppState.h"
#include "platform/Dialogs.h"

struct AppFiles;

// Loads state.messages from the message file FindAppFiles found. On a missing
// or bad file shows one of the two built-in messages, with the places looked
// at or the file and why, and returns false. A file that lacks texts the
// program needs, or is saved as UTF-8, is named with the reason before the
// window opens, and the program's English texts stand in for what it lacks.
bool LoadMessageTable(AppState &state, Dialogs &dialogs, const AppFiles &files);
// The parsing itself, on the file's bytes, for tests and fuzzing.
enum class MessageFileResult { Ok, NoMaxIndex, Failed };
MessageFileResult ParseMessageFile(const QByteArray &bytes, MessageTable &table);
// The same on text already decoded.
MessageFileResult ParseMessageText(const QString &text, MessageTable &table);
// The English message file, as the build made it part of the program.
QByteArray BuiltinEnglishMessages();

QString StripComment(const QString &line);
QString GetValuePart(const QString &line);
int GetGstrIndex(const QString &line);

inline const QString kMessageFileMissing = QStringLiteral("String table file is not found!");
inline const QString kMessageFileBad =
    QStringLiteral("It failed in reading of the String table file.!");
inline const QString kMessageFileIncomplete =
    QStringLiteral("The message file does not hold every text the program needs:");
