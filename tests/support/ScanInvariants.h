#pragma once

#include <QStringList>

// What the editor and the replace rely on of the scanner's rows, whatever the
// text: no more rows than pairs of marks; each row non-empty, untrimmed of
// nothing, free of marks and TABs, and found verbatim in the text, in order.
// Returns what is wrong, or an empty string.
inline QString ScanInvariantBroken(const QString &text, const QStringList &rows)
{
    if (rows.size() > text.count(u'"') / 2)
        return QStringLiteral("more rows than pairs of marks");
    qsizetype from = 0;
    for (const QString &row : rows) {
        if (row.isEmpty())
            return QStringLiteral("an empty row");
        if (row.startsWith(u' ') || row.endsWith(u' '))
            return QStringLiteral("untrimmed space: \"%1\"").arg(row);
        if (row.contains(u'"') || row.contains(u'\t'))
            return QStringLiteral("holds a mark or a TAB: \"%1\"").arg(row);
        const qsizetype at = text.indexOf(row, from);
        if (at < 0)
            return QStringLiteral("not found verbatim, in order: \"%1\"").arg(row);
        from = at + row.size();
    }
    return QString();
}
