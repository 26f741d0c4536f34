#pragma once

// Every sentence the window and the command line show for a problem the
// engine met, put together here from the problem's data: the same problem
// reads the same in both.

#include "engine/files/Problem.h"

#include <QString>

// One problem in words, naming its file and place.
QString ProblemWords(const Problem &problem);
// Problems in turn (a failure and what it left), one a line.
QString ProblemWords(const Problems &problems);

// How many entries of one kind a catalog holds that cannot be written ("复数形式 3 条").
QString ProblemCountWords(Problem::Kind kind, qsizetype count);

// The question before a part-written file is restored from its backup.
QString RestoreQuestion(const Problem &found);

// The message after a replace: what was written and where the backup is, or
// that there was nothing to write.
QString ReplaceConfirmation(const QString &path, const QString &backup, bool written);

// The title of every message a replace shows.
inline QString ReplaceTitle() { return QStringLiteral("替换文件"); }

// A text cut short to be named in a sentence.
QString ShortText(const QString &text);
