// A fresh catalog updated from the one it replaces: translations matched over
// by text, similar texts given suggestions, texts that are gone kept as obsolete.
#include "engine/catalog/Catalog.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <vector>

namespace {

// The least similarity of letters a suggestion needs, as msgmerge's; and of
// words, more than half of them shared: measured on two releases of a Qt
// program, the pairs that share half their words or less ("Hide password" and
// "Rename password", "New file" and "Rename file") say different things.
constexpr double SuggestionThreshold = 0.6;
constexpr double WordThreshold = 0.5;

// Candidates looked at closely for each new text: the old texts sharing the most letter triples with it.
constexpr int CandidatesCompared = 12;

// A triple of letters this common (in more old texts than this) says too
// little to be worth counting; rarer ones find the similar texts.
constexpr qsizetype CommonTriple = 2000;

// The text's distinct letter triples, its ends marked so that short texts have some.
std::vector<quint64> triples(QStringView text)
{
    std::vector<quint64> found;
    const auto at = [&](qsizetype i) -> quint64 { return i < 0 ? 1 : i >= text.size() ? 2 : quint64(text[i].unicode()) + 3; };
    for (qsizetype i = -1; i <= qMax<qsizetype>(text.size() - 2, -1); ++i)
        found.push_back(at(i) << 42 | at(i + 1) << 21 | at(i + 2));
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

// The text's distinct words, in lower case: runs of letters and digits, each
// ideograph or kana a word of its own (those scripts put no space between words).
QSet<QString> words(QStringView text)
{
    QSet<QString> found;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool wordChar = i < text.size() && text[i].isLetterOrNumber();
        const bool alone = wordChar && text[i].unicode() >= 0x2E80 && text[i].unicode() < 0xA000;
        if (start >= 0 && (!wordChar || alone)) {
            found.insert(text.sliced(start, i - start).toString().toLower());
            start = -1;
        }
        if (alone)
            found.insert(text.sliced(i, 1).toString());
        else if (wordChar && start < 0)
            start = i;
    }
    return found;
}

// Dice's coefficient of the two texts' words; 1 when neither has a word.
double wordSimilarity(QStringView a, QStringView b)
{
    const QSet<QString> first = words(a), second = words(b);
    if (first.isEmpty() && second.isEmpty())
        return 1;
    return 2.0 * double(QSet<QString>(first).intersect(second).size()) / double(first.size() + second.size());
}

// The old translated texts, found by the letter triples they share with a new one.
class SimilarTexts
{
public:
    void add(const CatalogEntry *entry)
    {
        const int id = int(m_entries.size());
        m_entries.push_back(entry);
        const std::vector<quint64> found = triples(entry->source);
        m_sizes.push_back(int(found.size()));
        for (const quint64 triple : found)
            m_postings[triple].push_back(id);
    }

    // The most similar old entry with the same disambiguation, if it is similar enough.
    const CatalogEntry *find(const CatalogEntry &fresh)
    {
        const std::vector<quint64> found = triples(fresh.source);
        m_shared.resize(m_entries.size());
        std::vector<int> touched;
        for (const quint64 triple : found) {
            const auto posting = m_postings.constFind(triple);
            if (posting == m_postings.cend() || qsizetype(posting->size()) > CommonTriple)
                continue;
            for (const int id : *posting)
                if (m_shared[id]++ == 0)
                    touched.push_back(id);
        }
        // The closest by their triples (Dice's coefficient), then by their letters.
        std::vector<std::pair<double, int>> ranked;
        for (const int id : touched) {
            ranked.push_back({-2.0 * m_shared[id] / double(m_sizes[id] + found.size()), id});
            m_shared[id] = 0;
        }
        const auto compared = ranked.begin() + std::min<qsizetype>(CandidatesCompared, ranked.size());
        std::partial_sort(ranked.begin(), compared, ranked.end());
        const CatalogEntry *best = nullptr;
        double bestSimilarity = 0;
        for (auto it = ranked.begin(); it != compared; ++it) {
            const CatalogEntry *old = m_entries[it->second];
            if (old->context != fresh.context)
                continue;
            const double similarity = TextSimilarity(fresh.source, old->source);
            if (similarity < SuggestionThreshold || wordSimilarity(fresh.source, old->source) <= WordThreshold)
                continue;
            if (!best || similarity > bestSimilarity) {
                best = old;
                bestSimilarity = similarity;
            }
        }
        return best;
    }

private:
    std::vector<const CatalogEntry *> m_entries;
    std::vector<int> m_sizes;
    QHash<quint64, std::vector<int>> m_postings;
    std::vector<int> m_shared; // per old entry, while one text is looked up; zero between
};

// Of two old entries of one text, the one to carry over: a finished translation, then any translation, then the current one.
bool better(const CatalogEntry &candidate, const CatalogEntry &chosen)
{
    const auto rank = [](const CatalogEntry &entry) {
        return (entry.finished ? 4 : 0) + (entry.translation.isEmpty() ? 0 : 2) + (entry.obsolete ? 0 : 1);
    };
    return rank(candidate) > rank(chosen);
}

} // namespace

double TextSimilarity(QStringView a, QStringView b)
{
    if (a.isEmpty() && b.isEmpty())
        return 1;
    if (a.size() < b.size())
        std::swap(a, b);
    // The longest common subsequence, 64 letters of `b` at a time (Hyyrö's bit-parallel form).
    const qsizetype words = (b.size() + 63) / 64;
    QHash<char16_t, std::vector<quint64>> positions;
    for (qsizetype i = 0; i < b.size(); ++i) {
        std::vector<quint64> &mask = positions[b[i].unicode()];
        mask.resize(words);
        mask[i / 64] |= quint64(1) << (i % 64);
    }
    std::vector<quint64> v(words, ~quint64(0));
    for (const QChar c : a) {
        const auto mask = positions.constFind(c.unicode());
        if (mask == positions.cend())
            continue;
        quint64 carry = 0;
        for (qsizetype w = 0; w < words; ++w) {
            const quint64 u = v[w] & (*mask)[w];
            const quint64 sum = v[w] + u + carry;
            carry = sum < v[w] || (carry && sum == v[w]);
            v[w] = sum | (v[w] - u);
        }
    }
    qsizetype common = 0;
    for (qsizetype i = 0; i < b.size(); ++i)
        common += !(v[i / 64] >> (i % 64) & 1);
    return 2.0 * double(common) / double(a.size() + b.size());
}

CatalogUpdateCounts UpdateCatalog(Catalog &fresh, const Catalog &old, bool keepObsolete)
{
    CatalogUpdateCounts counts;
    QHash<QString, const CatalogEntry *> byText;
    for (const CatalogEntry &entry : old.entries) {
        const CatalogEntry *&chosen = byText[CatalogKey(entry.context, entry.source)];
        if (!chosen || better(entry, *chosen))
            chosen = &entry;
    }
    QSet<const CatalogEntry *> matched;
    std::vector<qsizetype> unmatched;
    for (qsizetype i = 0; i < fresh.entries.size(); ++i) {
        CatalogEntry &entry = fresh.entries[i];
        const CatalogEntry *earlier = byText.value(CatalogKey(entry.context, entry.source));
        if (!earlier) {
            unmatched.push_back(i);
            continue;
        }
        matched.insert(earlier);
        ++counts.kept;
        entry.comment = earlier->comment;
        if (entry.finished)
            continue; // a translation made in the file itself stands
        entry.translation = earlier->translation;
        entry.finished = earlier->finished;
        entry.oldSource = earlier->finished ? QString() : earlier->oldSource;
    }
    SimilarTexts similar;
    for (const CatalogEntry &entry : old.entries) // in the catalog's order, so that ties fall alike on every run
        if (entry.finished && byText.value(CatalogKey(entry.context, entry.source)) == &entry)
            similar.add(&entry);
    for (const qsizetype i : unmatched) {
        CatalogEntry &entry = fresh.entries[i];
        const CatalogEntry *suggestion = entry.finished ? nullptr : similar.find(entry);
        if (!suggestion) {
            ++counts.added;
            continue;
        }
        ++counts.suggested; // its text, if gone, still stays as obsolete below
        entry.translation = suggestion->translation;
        entry.oldSource = suggestion->source;
        entry.comment = suggestion->comment;
    }
    for (const CatalogEntry &entry : old.entries) {
        if (matched.contains(&entry) || byText.value(CatalogKey(entry.context, entry.source)) != &entry
            || (entry.translation.isEmpty() && entry.comment.isEmpty()))
            continue;
        if (!keepObsolete) {
            ++counts.dropped;
            continue;
        }
        ++counts.obsolete;
        CatalogEntry gone = entry;
        gone.obsolete = true;
        gone.places.clear();
        gone.note.clear();
        gone.data = false;
        fresh.entries.append(gone);
    }
    return counts;
}
