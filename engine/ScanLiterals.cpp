#include "engine/ScanLiterals.h"

#include "engine/FindText.h"

namespace {

constexpr char16_t Quote = u'"';
constexpr char16_t Backslash = u'\\';
constexpr char16_t Space = u' ';
constexpr char16_t Tab = u'\t';

// The text between two marks without its leading and trailing U+0020.
QStringView trimSpaces(QStringView inside)
{
    qsizetype begin = 0;
    qsizetype end = inside.size();
    while (begin < end && inside[begin] == Space)
        ++begin;
    while (end > begin && inside[end - 1] == Space)
        --end;
    return inside.sliced(begin, end - begin);
}

} // namespace

QStringList ScanLiterals(QStringView text)
{
    QStringList result;
    qsizetype cursor = 0; // index just after the last mark consumed
    for (;;) {
        const qsizetype opening = FindChar(text, Quote, cursor);
        if (opening < 0)
            break;
        const qsizetype closing = FindChar(text, Quote, opening + 1);
        if (closing < 0)
            break; // a last unpaired mark is ignored
        cursor = closing + 1;

        if (opening > 0 && text[opening - 1] == Backslash)
            continue; // the pair opens on an escaped mark
        const QStringView literal = trimSpaces(text.sliced(opening + 1, closing - opening - 1));
        if (literal.isEmpty() || FindChar(literal, Tab) >= 0)
            continue;
        result.append(literal.toString());
    }
    return result;
}
