#include "engine/ApplyPairsTuning.h"
#include "engine/BlockedText.h"
#include "engine/ReplaceAndSave.h"

#include <optional>

QString ApplyPairsTuned(QString text, const QStringList &found, const QStringList &replacements,
                        const ApplyPairsTuning &tuning)
{
    const qsizetype rows = qMin(found.size(), replacements.size());
    std::optional<BlockedText> blocked;
    qsizetype plainWork = 0;
    for (qsizetype i = 0; i < rows; ++i) {
        const QString &find = found.at(i);
        const QString &replacement = replacements.at(i);
        if (find.isEmpty() || find == replacement)
            continue; // replacing a text by itself changes nothing
        if (blocked) {
            blocked->replaceFirst(find, replacement);
            continue;
        }
        // Each row searches up to the occurrence and moves what follows it:
        // about one pass over the text.
        plainWork += text.size();
        if (plainWork > tuning.plainPasses * text.size()) {
            blocked.emplace(text, tuning.blockChars);
            text = QString();
            blocked->replaceFirst(find, replacement);
            continue;
        }
        const qsizetype at = text.indexOf(find);
        if (at >= 0)
            text.replace(at, find.size(), replacement);
    }
    return blocked ? blocked->toString() : text;
}

QString ApplyPairs(QString text, const QStringList &found, const QStringList &replacements)
{
    return ApplyPairsTuned(std::move(text), found, replacements, ApplyPairsTuning());
}
