#include "engine/ApplyPairsTuning.h"
#include "engine/BlockedText.h"
#include "engine/ReplaceAndSave.h"

namespace {

// Replacing a text by itself changes nothing; an empty find has no occurrence.
bool changes(const QString &find, const QString &replacement)
{
    return !find.isEmpty() && find != replacement;
}

QString applyPlainly(QString text, const QStringList &found, const QStringList &replacements, qsizetype rows)
{
    for (qsizetype i = 0; i < rows; ++i) {
        if (!changes(found[i], replacements[i]))
            continue;
        const qsizetype at = text.indexOf(found[i]);
        if (at >= 0)
            text.replace(at, found[i].size(), replacements[i]);
    }
    return text;
}

} // namespace

QString ApplyPairsTuned(QString text, const QStringList &found, const QStringList &replacements,
                        const ApplyPairsTuning &tuning)
{
    const qsizetype rows = qMin(found.size(), replacements.size());
    qsizetype changed = 0;
    std::array<qsizetype, 3> rowsPerGram = {}; // changed rows by the gram length their find uses
    for (qsizetype i = 0; i < rows; ++i) {
        if (changes(found[i], replacements[i])) {
            ++changed;
            ++rowsPerGram[BlockedText::GramSlotFor(found[i].size())];
        }
    }
    if (changed <= tuning.plainPasses)
        return applyPlainly(std::move(text), found, replacements, rows);

    std::array<bool, 3> indexed;
    for (size_t k = 0; k < indexed.size(); ++k)
        indexed[k] = rowsPerGram[k] >= tuning.rowsBeforeIndex[k];
    BlockedText blocked(text, tuning.blockChars, indexed);
    text = QString();
    for (qsizetype i = 0; i < rows; ++i) {
        if (changes(found[i], replacements[i]))
            blocked.replaceFirst(found[i], replacements[i]);
    }
    return blocked.toString();
}

QString ApplyPairs(QString text, const QStringList &found, const QStringList &replacements)
{
    return ApplyPairsTuned(std::move(text), found, replacements, ApplyPairsTuning());
}
