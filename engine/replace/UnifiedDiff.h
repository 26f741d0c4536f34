#pragma once

#include "engine/scan/ScanLiterals.h"

#include <QList>
#include <QString>

// The unified diff (three lines of context) between a text and the same text
// with some of its literals rewritten: `before` and `after` give each literal's
// place in either text, in the same order. Lines are named `path` on both
// sides, so that `patch -p0` applies it from the folder the path is relative to.
// Empty when no literal changed.
QString UnifiedDiff(const QString &path, const QString &oldText, const QList<LiteralSpan> &before,
                    const QString &newText, const QList<LiteralSpan> &after);
