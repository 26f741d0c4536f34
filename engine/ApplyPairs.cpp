#include "engine/ReplaceAndSave.h"

QString ApplyPairs(QString text, const QStringList &found, const QStringList &replacements)
{
    const qsizetype rows = qMin(found.size(), replacements.size());
    for (qsizetype i = 0; i < rows; ++i) {
        const QString &find = found.at(i);
        const QString &replacement = replacements.at(i);
        if (find.isEmpty() || find == replacement)
            continue; // replacing a text by itself changes nothing
        const qsizetype at = text.indexOf(find);
        if (at >= 0)
            text.replace(at, find.size(), replacement);
    }
    return text;
}
