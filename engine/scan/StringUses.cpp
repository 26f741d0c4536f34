#include "engine/scan/StringUses.h"

#include "engine/scan/CodeStrings.h"
#include "engine/scan/CppEscapes.h"
#include "engine/scan/Placeholders.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringBuilder>

#include <algorithm>
#include <optional>
#include <array>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

using Holder = StringUse::Holder;

// What an ASCII character starts, by a table: the pass looks at every character of the code.
enum CharClass : unsigned char { Other, Blank, Letter, Digit };
constexpr auto CharClasses = [] {
    std::array<CharClass, 128> classes{};
    for (int c = 'a'; c <= 'z'; ++c)
        classes[size_t(c)] = classes[size_t(c - 'a' + 'A')] = Letter;
    classes['_'] = Letter;
    for (int c = '0'; c <= '9'; ++c)
        classes[size_t(c)] = Digit;
    classes[' '] = classes['\t'] = classes['\n'] = classes['\r'] = Blank;
    return classes;
}();
// A word compared with a literal, lengths first: QStringView's own == would
// measure the literal at run time, on every identifier and bracket. Always
// inlined, as prevIs below: GCC at -O2 left them out of line, a call for a compare
// or two, at every token.
template <qsizetype N> Q_ALWAYS_INLINE bool is(QStringView word, const char16_t (&text)[N])
{
    return word.size() == N - 1 && std::equal(word.begin(), word.end(), text, [](QChar a, char16_t b) { return a == b; });
}

CharClass classOf(QChar c) { return c.unicode() < 128 ? CharClasses[c.unicode()] : Other; }
bool isIdentifierStart(QChar c) { return classOf(c) == Letter; }
bool isIdentifierPart(QChar c) { const CharClass k = classOf(c); return k == Letter || k == Digit; }

// Words before a "(" or "{" that name no call. By the first letter, then lengths
// first: this runs before every bracket.
bool isKeyword(QStringView word)
{
    if (word.isEmpty())
        return false;
    switch (word[0].unicode()) {
    case u'Q': return is(word, u"Q_EMIT");
    case u'a': return is(word, u"alignof");
    case u'c':
        return is(word, u"case") || is(word, u"catch") || is(word, u"const") || is(word, u"co_await") || is(word, u"co_yield")
            || is(word, u"co_return") || is(word, u"constexpr");
    case u'd': return is(word, u"do") || is(word, u"delete") || is(word, u"default") || is(word, u"defined") || is(word, u"decltype");
    case u'e': return is(word, u"else") || is(word, u"emit") || is(word, u"extern") || is(word, u"explicit");
    case u'f': return is(word, u"for") || is(word, u"friend");
    case u'g': return is(word, u"goto");
    case u'i': return is(word, u"if") || is(word, u"inline");
    case u'm': return is(word, u"mutable");
    case u'n': return is(word, u"new") || is(word, u"noexcept");
    case u'o': return is(word, u"operator");
    case u'p': return is(word, u"public") || is(word, u"private") || is(word, u"protected");
    case u'r': return is(word, u"return") || is(word, u"register");
    case u's': return is(word, u"signed") || is(word, u"sizeof") || is(word, u"static") || is(word, u"switch");
    case u't': return is(word, u"try") || is(word, u"throw") || is(word, u"typeid") || is(word, u"template") || is(word, u"typename");
    case u'u': return is(word, u"using") || is(word, u"unsigned");
    case u'v': return is(word, u"virtual") || is(word, u"volatile");
    case u'w': return is(word, u"while");
    default: return false;
    }
}

// Calls that only wrap a string: what the wrapped string is given to is what counts.
bool isWrapper(QStringView name)
{
    if (name.isEmpty() || name[0] != u'Q')
        return false;
    return is(name, u"QLatin1String") || is(name, u"QLatin1StringView") || is(name, u"QStringLiteral")
        || is(name, u"QByteArrayLiteral") || is(name, u"QString::fromUtf8") || is(name, u"QString::fromLatin1")
        || is(name, u"QString::fromLocal8Bit") || is(name, u"QStringView") || is(name, u"QT_STRINGIFY") || is(name, u"QLatin1Literal");
}

// Wrappers that take a literal's bytes as Latin-1: in a UTF-8 file, any character past ASCII shows garbled.
bool readsLatin1(QStringView name)
{
    return is(name, u"QLatin1String") || is(name, u"QLatin1StringView") || is(name, u"QLatin1Literal") || is(name, u"QString::fromLatin1");
}

// By the first letter: this runs before every bracket after a name.
bool isControl(QStringView word)
{
    if (word.size() < 2 || word.size() > 6)
        return false;
    switch (word[0].unicode()) {
    case u'i': return is(word, u"if");
    case u'f': return is(word, u"for");
    case u'w': return is(word, u"while");
    case u's': return is(word, u"switch");
    case u'c': return is(word, u"catch");
    default: return false;
    }
}

// The operator of a compound assignment, `+=`, `|=`…; a switch: this runs at every "=".
bool isCompoundOperator(QStringView token)
{
    if (token.size() != 1)
        return false;
    switch (token[0].unicode()) {
    case u'+': case u'-': case u'*': case u'/': case u'%': case u'|': case u'&': case u'^': return true;
    default: return false;
    }
}

// Calls whose string arguments the program reads rather than shows.
QString constructOfCall(QStringView name)
{
    if (is(name, u"_Pragma") || is(name, u"static_assert") || is(name, u"Q_CLASSINFO") || is(name, u"Q_PLUGIN_METADATA"))
        return name.toString();
    if (is(name, u"asm") || is(name, u"__asm__") || is(name, u"__asm"))
        return QStringLiteral("asm");
    if (is(name, u"__attribute__") || is(name, u"alignas") || is(name, u"__declspec"))
        return QStringLiteral("attribute");
    return QString();
}

enum class Tok { Identifier, String, Number, Punct };
struct Token {
    Tok kind = Tok::Punct;
    QStringView text; // in the text read
};

enum class Kind {
    Call,      // a call's or a constructor's arguments
    Group,     // brackets that name nothing: their strings belong to what encloses them
    Subscript, // x[...]
    Attribute, // [[...]]
    Scope,     // a namespace's or a class's body (name: the class)
    Body,      // a function's body (name: the function)
    Block,     // any other braces: statements
};

struct Open {
    QChar close;
    Kind kind;
    QString name;             // a Scope's or a Body's
    QStringView called;       // a Call: what is called, as written ("QMessageBox::information", "QLabel")
    QStringView named;        // a Call: the name right before its bracket, for a function's name
    bool lambda = false;      // a Group: a lambda's captures or parameters
    bool control = false;     // a Group: if/for/while/switch/catch
    bool compared = false;    // a Group that wraps a string (QLatin1String(…)) right after == or !=
    bool latin1 = false;      // reads its string as Latin-1: a wrapping Group (QLatin1String(…)), a Call declaring one (QLatin1String s(…))
    QList<qsizetype> rows;    // a wrapping Group: the rows it holds
    QString table;            // a Group of values given to a name (`names[] = {…}`): the name
    bool debugStream = false; // a qDebug() << … statement runs at this level
    int argument = 0;         // a Call: the argument being read, from 0
    QStringView receiver;     // a Call on an object: the object's variable or getter
    QStringView declared;     // `Type name(…)`, `Type name{…}`: the variable made
    QStringView comparedWith; // a compared wrapper's other side
    int body = -1;            // a Body: its number among the file's functions
};

// The brackets open at a point, innermost last: a vector, as it changes at every
// bracket of the code and a QList would check for sharing on each look at its end.
// An Open is large and one opens and closes at every bracket: each is made in its
// place and dropped there, never moved in or out.
struct OpenStack : std::vector<Open> {
    qsizetype size() const { return qsizetype(std::vector<Open>::size()); }
    Open &last() { return back(); }
    const Open &last() const { return back(); }
    Open &open(QChar close, Kind kind)
    {
        Open &made = emplace_back();
        made.close = close;
        made.kind = kind;
        return made;
    }
};

// The getters whose result a person sees: a literal compared with one is that text.
// By length first: this runs at every call that closes in an assignment.
bool isShownGetter(QStringView name)
{
    switch (name.size()) {
    case 4: return is(name, u"text");
    case 5: return is(name, u"title");
    case 7: return is(name, u"toolTip") || is(name, u"tabText");
    case 8: return is(name, u"itemText") || is(name, u"iconText");
    case 9: return is(name, u"statusTip") || is(name, u"whatsThis") || is(name, u"labelText");
    case 11: return is(name, u"currentText") || is(name, u"windowTitle");
    case 15: return is(name, u"placeholderText");
    default: return false;
    }
}

// What follows the last "::" of a name, or all of it. A walk back over the few
// characters of a name: QStringView::lastIndexOf costs more on names this short.
QStringView lastPart(QStringView name)
{
    for (qsizetype i = name.size() - 2; i >= 0; --i) {
        if (name[i] == u':' && name[i + 1] == u':')
            return name.sliced(i + 2);
    }
    return name;
}

// The key's value and'ed with `value`, `value` where it had none; the key's value then.
template <typename Key> bool andInto(QHash<Key, bool> &hash, const Key &key, bool value)
{
    const auto found = hash.find(key);
    if (found == hash.end()) {
        hash.insert(key, value);
        return value;
    }
    *found = *found && value;
    return *found;
}

bool inList(QStringView call, const QSet<QStringView> &calls);
const QSet<QStringView> &dataCalls();
bool passesOn(QStringView name);

// The argument a translation takes its text from; its others are a context or a disambiguation.
int translatedArgument(QStringView name)
{
    const QStringView last = lastPart(name);
    if (is(last, u"tr") || is(last, u"QT_TR_NOOP") || is(last, u"qtTrId") || is(last, u"QT_TRID_NOOP") || is(last, u"trUtf8"))
        return 0;
    if (is(last, u"translate") || is(last, u"QT_TRANSLATE_NOOP") || is(last, u"QT_TRANSLATE_NOOP3"))
        return 1;
    return -1;
}

// Logging and standard streams.
bool logs(QStringView name)
{
    return is(name, u"qDebug") || is(name, u"qInfo") || is(name, u"qWarning") || is(name, u"qCritical") || is(name, u"qFatal")
        || is(name, u"qCDebug") || is(name, u"qCInfo") || is(name, u"qCWarning") || is(name, u"qCCritical") || is(name, u"cout")
        || is(name, u"cerr") || is(name, u"clog") || is(name, u"printf") || is(name, u"fprintf") || is(name, u"QMessageLogger")
        || is(name, u"QDebug") || is(name, u"QNoDebug")
        || is(name, u"noquote") || is(name, u"nospace");
}

// The two-character tokens the reading tells apart: "::", "->", "==", "!=", "<<", "&&".
// By the first character: this runs at every punctuation of the code.
bool isPair(QChar c, QChar next)
{
    switch (c.unicode()) {
    case u':': return next == u':';
    case u'-': return next == u'>';
    case u'=': case u'!': return next == u'=';
    case u'<': return next == u'<';
    case u'&': return next == u'&';
    default: return false;
    }
}

// Capitals, digits and underscores only: how macros and constants are named.
bool inCapitals(QStringView name)
{
    return std::all_of(name.begin(), name.end(), [](QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_'; });
}

// A macro's name, all capitals (REGISTER_BOARD), but none of Qt's that mark a text to translate.
bool isMacroName(QStringView name)
{
    if (name.size() < 2 || name.startsWith(u"QT_TR") || name.startsWith(u"QT_TRANSLATE"))
        return false;
    return inCapitals(name) && name.contains(u'_');
}

// A type whose parameter the function writes a file through.
bool isFileType(QStringView word)
{
    return word.size() >= 5 && word[0] == u'Q'
        && (is(word, u"QFile") || is(word, u"QSaveFile") || is(word, u"QIODevice") || is(word, u"QTextStream")
            || is(word, u"QDataStream") || is(word, u"QTemporaryFile"));
}

// A constant's name as a #define gives it: capitals and digits, with underscores or not ("SETTING_FPS", "PENCIL2D").
bool isConstantName(QStringView name)
{
    return name.size() > 3 && !name.startsWith(u"QT_TR") && !name.startsWith(u"QT_TRANSLATE") && inCapitals(name);
}

// From `at` (1 or more) on, where the next "tr" in either case ("TR", "Tr"…) or
// "18" ends, or -1. Every comment of the code passes here: eight places a compare
// where SSE2 is there.
qsizetype nextMarkEnd(QStringView text, qsizetype at)
{
    const char16_t *c = text.utf16();
    const qsizetype size = text.size();
#ifdef __SSE2__
    const __m128i lower = _mm_set1_epi16(0x20), t = _mm_set1_epi16(u't'), r = _mm_set1_epi16(u'r');
    const __m128i one = _mm_set1_epi16(u'1'), eight = _mm_set1_epi16(u'8');
    for (; at + 8 <= size; at += 8) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(c + at));
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i *>(c + at - 1));
        const __m128i tr = _mm_and_si128(_mm_cmpeq_epi16(_mm_or_si128(before, lower), t), _mm_cmpeq_epi16(_mm_or_si128(here, lower), r));
        const __m128i eighteen = _mm_and_si128(_mm_cmpeq_epi16(before, one), _mm_cmpeq_epi16(here, eight));
        if (const unsigned mask = unsigned(_mm_movemask_epi8(_mm_or_si128(tr, eighteen))))
            return at + __builtin_ctz(mask) / 2;
    }
#endif
    for (; at < size; ++at) {
        if (((c[at - 1] | 0x20) == u't' && (c[at] | 0x20) == u'r') || (c[at - 1] == u'1' && c[at] == u'8'))
            return at;
    }
    return -1;
}

// A comment that asks for its line's strings to be left as they are: "no-tr",
// "notr", "NOTR", "no_tr" or "i18n-ignore" as a word: looked for only where a
// "tr", "TR" or "18" ends.
bool marksNoTranslation(QStringView comment)
{
    const auto wordAt = [&](qsizetype at, QStringView word) {
        const qsizetype end = at + word.size();
        return at >= 0 && end <= comment.size() && comment.sliced(at, word.size()) == word
            && (at == 0 || !comment[at - 1].isLetterOrNumber()) && (end == comment.size() || !comment[end].isLetterOrNumber());
    };
    for (qsizetype at = nextMarkEnd(comment, 1); at > 0; at = nextMarkEnd(comment, at + 1)) {
        if (comment[at] == u'8' ? wordAt(at - 2, u"i18n-ignore")
                                : wordAt(at - 4, u"no-tr") || wordAt(at - 3, u"notr") || wordAt(at - 4, u"no_tr") || wordAt(at - 3, u"NOTR"))
            return true;
    }
    return false;
}

class UseReader
{
public:
    UseReader(QStringView text, const QList<LiteralSpan> &rows, const QList<CodeRegion> &regions)
        : t(text), n(text.size()), m_rows(rows), m_regions(regions.isEmpty() ? ScanCodeRegions(text) : regions)
    {
        m_uses.resize(rows.size());
        m_stack.open(QChar(), Kind::Scope);
    }

    UseReading run()
    {
        qsizetype i = 0;
        while (i < n) {
            if (m_directiveEnd >= 0 && i >= m_directiveEnd)
                endDirective();
            while (m_region < m_regions.size() && m_regions[m_region].end <= i)
                ++m_region;
            if (m_region < m_regions.size() && m_regions[m_region].start <= i) {
                i = region(m_regions[m_region]);
                continue;
            }
            // Code up to the next comment, string or end of directive, read without looking for them.
            qsizetype stop = m_region < m_regions.size() ? m_regions[m_region].start : n;
            if (m_directiveEnd >= 0)
                stop = qMin(stop, m_directiveEnd);
            while (i < stop) {
                const QChar c = t[i];
                const CharClass kind = classOf(c);
                if (kind == Blank) {
                    do
                        ++i;
                    while (i < stop && classOf(t[i]) == Blank);
                } else if (kind == Letter) {
                    i = identifier(i);
                } else if (kind == Digit) {
                    i = number(i);
                } else if (c == u'#' && atLineStart(i)) {
                    i = directive(i);
                    break; // its end bounds the code that follows
                } else if (c.isSpace() || c.unicode() == 0xFEFF) {
                    ++i;
                } else {
                    i = punctuation(i);
                }
            }
        }
        markLines();
        for (auto result = m_results.cbegin(); result != m_results.cend(); ++result)
            m_flows.results.insert(result.key().toString(), result.value());
        return {std::move(m_uses), std::move(m_flows)};
    }

private:
    // Rows on a line whose comment says not to translate it.
    void markLines()
    {
        qsizetype row = 0;
        for (const CodeRegion &region : m_regions) {
            if (region.place != CodePlace::Comment || !marksNoTranslation(t.sliced(region.start, region.end - region.start)))
                continue;
            const qsizetype lineStart = t.lastIndexOf(u'\n', region.start) + 1;
            while (row < m_rows.size() && m_rows[row].start < lineStart)
                ++row;
            qsizetype lineEnd = t.indexOf(u'\n', region.end);
            if (lineEnd < 0)
                lineEnd = n;
            for (qsizetype r = row; r < m_rows.size() && m_rows[r].start < lineEnd; ++r)
                m_uses[r].marked = true;
        }
    }

    // ---- tokens ----
    const Token &prev(int back = 1) const
    {
        // A slot not written yet holds a default Token, which is None: no count to check first.
        static const Token None;
        return back <= TokensKept ? m_tokens[(m_tokenCount - back) & (TokensKept - 1)] : None;
    }
    template <qsizetype N> Q_ALWAYS_INLINE bool prevIs(const char16_t (&text)[N], int back = 1) const { return is(prev(back).text, text); }
    void push(Tok kind, QStringView text) { m_tokens[m_tokenCount++ & (TokensKept - 1)] = {kind, text}; }

    // `"…"_L1`: Qt's literal operator for a Latin-1 string.
    bool latin1Suffix(qsizetype end) const
    {
        return end + 3 <= n && t.sliced(end, 3) == u"_L1" && (end + 3 == n || !isIdentifierPart(t[end + 3]));
    }

    // `tr("…") + "…"`: the ")" before the "+" closed a translation.
    bool translationBefore() const
    {
        return prevIs(u"+") && prevIs(u")", 2) && m_lastClosed.kind == Kind::Call && translatedArgument(m_lastClosed.named) >= 0;
    }

    // Where a "+" after `end` joins what follows (not ++ or +=), where that begins; else -1.
    qsizetype plusAfter(qsizetype end) const
    {
        qsizetype i = end;
        while (i < n && t[i].isSpace())
            ++i;
        if (i >= n || t[i] != u'+' || (i + 1 < n && (t[i + 1] == u'+' || t[i + 1] == u'=')))
            return -1;
        ++i;
        while (i < n && t[i].isSpace())
            ++i;
        return i;
    }

    // `QDir::separator() + "…"` before the string, or `"…" + QDir::separator()` after `end`.
    bool separatorBeside(qsizetype end) const
    {
        if (prevIs(u"+") && prevIs(u")", 2) && m_lastClosed.kind == Kind::Call && lastPart(m_lastClosed.named) == u"separator")
            return true;
        const qsizetype i = plusAfter(end);
        return i >= 0 && t.sliced(i, qMin<qsizetype>(17, n - i)) == u"QDir::separator()";
    }

    // `"…" + tr(…)`, `"…" + QObject::tr(…)` after `end`.
    bool translationAfter(qsizetype end) const
    {
        qsizetype i = plusAfter(end);
        if (i < 0)
            return false;
        const qsizetype start = i;
        while (i < n && (isIdentifierPart(t[i]) || t[i] == u':'))
            ++i;
        return i < n && t[i] == u'(' && translatedArgument(t.sliced(start, i - start)) >= 0;
    }

    bool atLineStart(qsizetype i) const
    {
        while (i > 0 && (t[i - 1] == u' ' || t[i - 1] == u'\t'))
            --i;
        return i == 0 || t[i - 1] == u'\n' || (i == 1 && t[0].unicode() == 0xFEFF);
    }

    // ---- what the scanner found ----
    qsizetype region(const CodeRegion &region)
    {
        if (region.place == CodePlace::String) {
            string(region);
            push(Tok::String, {});
            m_lastString = t.sliced(region.start, region.end - region.start);
        } else if (region.place == CodePlace::Code) {
            push(Tok::Number, {}); // a character literal is a value like a number
        }
        return region.end;
    }

    void string(const CodeRegion &region)
    {
        while (m_row < m_rows.size() && m_rows[m_row].start < region.start)
            ++m_row;
        if (m_row >= m_rows.size() || m_rows[m_row].start >= region.end)
            return; // no span asked for in this literal
        StringUse &use = m_uses[m_row];
        use.function = currentFunction();
        use.body = currentBody();
        if (m_stack.last().kind == Kind::Group)
            m_stack.last().rows.append(m_row); // a wrapper's: compared, perhaps, once it closes
        use.latin1 = m_stack.last().latin1 || latin1Suffix(region.end);
        use.besideTranslation = translationBefore() || translationAfter(region.end);
        use.joined = prevIs(u"+") || plusAfter(region.end) >= 0;
        if (!m_directive.isEmpty()) {
            use.construct = QLatin1Char('#') + m_directive;
            return;
        }
        if (prevIs(u"extern")) {
            use.construct = QStringLiteral("extern");
            return;
        }
        for (qsizetype k = m_stack.size() - 1; k >= 0 && m_stack[k].close != u'}'; --k) {
            if (m_stack[k].kind == Kind::Attribute) { // [[deprecated("…")]]: all of it
                use.construct = QStringLiteral("attribute");
                return;
            }
        }
        for (qsizetype k = m_stack.size() - 1; k >= 0; --k) {
            const Open &open = m_stack[k];
            if (open.kind == Kind::Group && !open.table.isEmpty() && use.holder == Holder::None) {
                use.holder = Holder::Table;
                use.holderName = open.table;
            }
            if (open.kind == Kind::Group)
                continue;
            if (use.holder != Holder::None)
                break;
            if (open.kind == Kind::Call && k > 0 && m_stack[k - 1].kind == Kind::Scope && m_assignDepth == k + 1) {
                use.holder = Holder::DefaultArgument; // `void f(QString s = "…")`
                use.holderName = qualified(written(open.named));
            } else if (open.kind == Kind::Attribute)
                use.construct = QStringLiteral("attribute");
            else if (open.kind == Kind::Subscript)
                use.construct = QStringLiteral("subscript");
            else if (open.kind == Kind::Call && constructOfCall(open.called).isEmpty())
                use.call = written(open.called);
            else if (open.kind == Kind::Call)
                use.construct = constructOfCall(open.called);
            break;
        }
        if (!use.construct.isEmpty())
            return;
        // What the string is compared with or streamed to says more than the call around it.
        if (prevIs(u"==") || prevIs(u"!=")) {
            use.construct = QStringLiteral("comparison");
            use.compared = sideBefore(2).toString();
        } else if (comparedAfter(region.end)) {
            use.construct = QStringLiteral("comparison");
            use.compared = sideAfter(region.end).toString();
        } else if (prevIs(u"<<") && m_stack.last().debugStream) {
            use.construct = QStringLiteral("qDebug");
        } else if (use.joined && separatorBeside(region.end)) {
            use.construct = QStringLiteral("path"); // `home + QDir::separator() + "Library"`
        }
        if (!use.construct.isEmpty()) {
            use.call.clear();
            return;
        }
        if (use.holder != Holder::DefaultArgument) {
            use.calls = callsHere();
            use.variable = m_target.toString();
            use.stream = m_stream.toString();
        }
        if (use.call.isEmpty() && use.holder == Holder::None)
            holderOf(use);
    }

    // Each call around the place being read, innermost first, up to its statement, while `visit` returns true.
    template <typename Visit> void visitCallsHere(Visit visit) const
    {
        for (qsizetype k = m_stack.size() - 1; k > 0; --k) {
            const Open &open = m_stack[k];
            if (open.kind == Kind::Group && !open.control)
                continue;
            if (open.kind != Kind::Call || !visit(open))
                return;
        }
    }

    // The calls around the place being read, innermost first, up to its statement.
    QList<CallHop> callsHere() const
    {
        QList<CallHop> calls;
        visitCallsHere([&](const Open &open) {
            calls.append({written(open.called), open.argument, open.receiver.toString(), open.declared.toString()});
            return true;
        });
        calls.squeeze(); // one list a place: kept for the whole tree's judgement
        return calls;
    }

    // One side of a comparison, `back` tokens back: a variable, or the getter whose "()"
    // closed there, with its brackets ("text()"): a variable named `text` is no getter.
    QStringView sideBefore(int back) const
    {
        const Token &side = prev(back);
        if (side.kind == Tok::Identifier)
            return side.text;
        if (is(side.text, u")") && m_lastClosed.kind == Kind::Call) {
            const QChar *start = lastPart(m_lastClosed.named).data();
            if (start && start < side.text.data()) // the call closed by that ")"
                return QStringView(start, side.text.data() + 1);
        }
        return {};
    }

    // The other side of "== …" after `i`: the last name of `a->b()` or `x`.
    QStringView sideAfter(qsizetype i) const
    {
        i = t.indexOf(u'=', i) + 1;
        QStringView last;
        while (i < n) {
            while (i < n && t[i].isSpace())
                ++i;
            if (i < n && isIdentifierStart(t[i])) {
                qsizetype e = i;
                while (e < n && isIdentifierPart(t[e]))
                    ++e;
                const bool called = t.sliced(e).startsWith(u"()");
                last = t.sliced(i, e - i + (called ? 2 : 0)); // a getter with its brackets
                i = called ? e + 2 : e;
            } else if (t.sliced(i).startsWith(u"->") || t.sliced(i).startsWith(u"::") || t.sliced(i).startsWith(u"()")) {
                i += 2;
            } else if (i < n && t[i] == u'.') {
                ++i;
            } else {
                break;
            }
        }
        return last;
    }

    // What takes a string that no call or construct takes: a return, an assignment, a macro.
    void holderOf(StringUse &use) const
    {
        const auto onlyGroupsFrom = [this](qsizetype depth) {
            return depth >= 0 && depth <= m_stack.size()
                && std::all_of(m_stack.begin() + depth, m_stack.end(), [](const Open &open) { return open.kind == Kind::Group; });
        };
        if (onlyGroupsFrom(m_returnDepth) && !use.function.isEmpty()) {
            use.holder = Holder::Return;
            use.holderName = use.function;
        } else if (onlyGroupsFrom(m_assignDepth) && !m_assignee.isEmpty()) {
            use.holder = Holder::Assignment;
            use.holderName = m_assignee.toString();
        } else if (m_defineDepth >= 0 && !m_defineName.isEmpty()) {
            use.holder = Holder::Macro;
            use.holderName = m_defineName;
        }
    }

    bool comparedAfter(qsizetype i) const
    {
        qsizetype r = m_region;
        for (;;) {
            while (i < n && t[i].isSpace())
                ++i;
            while (r < m_regions.size() && m_regions[r].end <= i)
                ++r;
            if (r < m_regions.size() && m_regions[r].start == i && m_regions[r].place == CodePlace::Comment) {
                i = m_regions[r].end;
                continue;
            }
            const QStringView next = t.sliced(i, qMin<qsizetype>(2, n - i));
            return is(next, u"==") || is(next, u"!=");
        }
    }

    // ---- preprocessor ----
    qsizetype directive(qsizetype hash)
    {
        qsizetype k = hash + 1;
        while (k < n && (t[k] == u' ' || t[k] == u'\t'))
            ++k;
        qsizetype e = k;
        while (e < n && isIdentifierPart(t[e]))
            ++e;
        const QString name = t.sliced(k, e - k).toString();
        m_directiveEnd = LogicalLineEnd(t, e);
        branch(name);
        m_directiveDepth = m_stack.size(); // brackets its line leaves open are forgotten at its end
        if (is(name, u"define")) {
            m_defineDepth = m_stack.size(); // its body is read as code
            while (e < n && (t[e] == u' ' || t[e] == u'\t'))
                ++e;
            const qsizetype nameStart = e;
            while (e < n && isIdentifierPart(t[e]))
                ++e;
            m_defineName = t.sliced(nameStart, e - nameStart).toString();
            const QStringView macro = t.sliced(nameStart, e - nameStart);
            if (e < n && t[e] == u'(') { // the macro's parameters
                const qsizetype close = t.indexOf(u')', e);
                e = close < 0 ? m_directiveEnd : close + 1;
            }
            if (!macro.isEmpty()) {
                // A log or a data call in any branch of an #if makes the macro one: `#define qLog(l) while (false)
                // QNoDebug()`, `#define MZ_FREOPEN(f, m, s) freopen(f, m, s)` beside `#define MZ_FREOPEN mz_freopen`.
                QString &body = m_flows.macros[macro.toString()];
                if (!logs(body) && !inList(body, dataCalls())) {
                    const QStringView log = firstName(e, m_directiveEnd, logs);
                    body = (log.isEmpty() ? firstName(e, m_directiveEnd) : log).toString();
                }
            }
            return e;
        }
        m_directive = name; // strings of any other directive are its own
        return e;
    }

    // The first name from `i` to `end` that `wanted` takes.
    template <typename Wanted> QStringView firstName(qsizetype i, qsizetype end, Wanted wanted) const
    {
        while (i < end) {
            if (!isIdentifierStart(t[i])) {
                ++i;
                continue;
            }
            qsizetype e = i;
            while (e < end && isIdentifierPart(t[e]))
                ++e;
            const QStringView name = t.sliced(i, e - i);
            if (wanted(name))
                return name;
            i = e;
        }
        return {};
    }

    // What a macro's body starts with, past a `std::` or a `do`.
    QStringView firstName(qsizetype i, qsizetype end) const
    {
        return firstName(i, end, [](QStringView name) { return !is(name, u"std") && !is(name, u"do"); });
    }

    void endDirective()
    {
        m_directiveEnd = -1;
        m_directive.clear();
        m_stack.resize(qMax<qsizetype>(1, qMin(m_stack.size(), m_directiveDepth)));
        m_defineDepth = -1;
        m_defineName.clear();
        startStatement();
        push(Tok::Punct, {}); // a name on the line before is no type of what follows
    }

    // What the braces and names read so far leave open: the reading goes on from
    // it at each branch of an #if, so that every branch is read from the same
    // place and the code after the #endif from where the first branch left it,
    // as a compiler reads one branch.
    struct Reading {
        OpenStack stack;
        QString candidate;
        bool initList = false;
        bool trailing = false;
    };
    struct Conditional {
        Reading atStart;
        std::optional<Reading> afterFirst;
    };
    Reading reading() const { return {m_stack, m_candidate, m_initList, m_trailing}; }
    void resume(const Reading &at)
    {
        m_stack = at.stack;
        m_candidate = at.candidate;
        m_initList = at.initList;
        m_trailing = at.trailing;
    }

    void branch(QStringView directive)
    {
        if (is(directive, u"if") || is(directive, u"ifdef") || is(directive, u"ifndef")) {
            m_conditionals.append({reading(), std::nullopt});
        } else if (m_conditionals.isEmpty()) {
            return;
        } else if (is(directive, u"elif") || is(directive, u"else") || is(directive, u"elifdef") || is(directive, u"elifndef")) {
            Conditional &conditional = m_conditionals.last();
            if (!conditional.afterFirst)
                conditional.afterFirst = reading();
            resume(conditional.atStart);
        } else if (is(directive, u"endif")) {
            const Conditional conditional = m_conditionals.takeLast();
            if (conditional.afterFirst)
                resume(*conditional.afterFirst);
        }
    }

    // ---- code ----
    qsizetype identifier(qsizetype i)
    {
        qsizetype e = i;
        while (e < n && isIdentifierPart(t[e]))
            ++e;
        const bool prefix = m_region < m_regions.size() && m_regions[m_region].start == e
            && m_regions[m_region].place == CodePlace::String;
        if (prefix)
            return e; // u8"…", L"…", R"(…)": part of the string
        const QStringView word = t.sliced(i, e - i);
        const QChar first = word[0];
        const qsizetype size = word.size();
        if (first == u'q' && size >= 5 && size <= 9
            && (is(word, u"qDebug") || is(word, u"qInfo") || is(word, u"qWarning") || is(word, u"qCritical")))
            m_stack.last().debugStream = true;
        if (first == u'r' && is(word, u"return"))
            m_returnDepth = m_stack.size();
        if (!m_headDefaulted && m_stack.size() == m_headDepth) {
            m_headLastName = word; // a parameter's name, perhaps
            m_headFileType = m_headFileType || isFileType(word);
        }
        if ((m_nameMarks & nameMark(word)) == nameMark(word) && m_names.contains(word) && m_directiveEnd < 0 && currentBody() >= 0) {
            passed(word, e);
            if (markupNameAt(e))
                m_flows.bodies[currentBody()].markupNames.insert(word.toString());
        }
        else if (size > 3 && first >= u'A' && first <= u'Z' && m_directiveEnd < 0 && currentBody() >= 0 && isConstantName(word))
            passed(word, e); // a constant of the program's (`settings.value(SETTING_FPS)`): where it goes, its #define's string goes
        const bool scope = size >= 4 && size <= 9 && (first == u'c' || first == u's' || first == u'u' || first == u'n' || first == u'e')
            && (is(word, u"class") || is(word, u"struct") || is(word, u"union") || is(word, u"namespace") || is(word, u"enum"));
        if (scope && !prevIs(u"enum")) {
            m_scopeKeyword = word.toString();
            m_scopeName.clear();
        } else if (!m_scopeKeyword.isEmpty() && m_scopeName.isEmpty() && !isKeyword(word) && !is(word, u"class")) {
            m_scopeName = word.toString();
        } else if (!m_scopeKeyword.isEmpty() && !isKeyword(word) && !is(word, u"virtual")) {
            if ((prevIs(u":") || prevIs(u"public") || prevIs(u"protected") || prevIs(u"private")) && !m_flows.bases.contains(m_scopeName))
                m_flows.bases.insert(m_scopeName, word.toString()); // `class Settings : public QSettings`, its first base
            else if (prev().kind == Tok::Identifier && prev().text == m_scopeName && isMacroName(m_scopeName))
                m_scopeName = word.toString(); // `class APP_EXPORT Settings`: the name follows its export macro
        }
        push(Tok::Identifier, word);
        return e;
    }

    qsizetype number(qsizetype i)
    {
        qsizetype e = i + 1;
        while (e < n && (isIdentifierPart(t[e]) || t[e] == u'.'))
            ++e;
        push(Tok::Number, {});
        return e;
    }

    // The name written right before a bracket: "A::B::f", "~A", a member's "f", as
    // a stretch of the text (blanks and all); `called` is what the bracket calls.
    struct Callee {
        QStringView named;  // as written, qualified
        QStringView called; // the type of `Type name(…)`, a member's own name, else named
        bool comparedBefore = false; // == or != stands right before it
        QStringView receiver; // a member's object: `x.f(` "x", `a->text().f(` "text()"
        QStringView declared; // `Type name(` "name"
        QStringView comparedWith; // == or !=: what stands before it
    };
    // How many tokens back a call's name stands: 1, or past its template's arguments
    // (`findChild<QLabel *>(`, `qRegisterMetaType<QList<int>>(`); 0 when none is there.
    int nameBack() const
    {
        if (!prevIs(u">"))
            return 1;
        int depth = 0;
        for (int back = 1; back < TokensKept; ++back) {
            const Token &token = prev(back);
            if (is(token.text, u">"))
                ++depth;
            else if (is(token.text, u"<") && --depth == 0)
                return back + 1;
            else if (token.kind == Tok::String || is(token.text, u";") || is(token.text, u"{") || is(token.text, u"}")
                     || is(token.text, u"&&") || is(token.text, u"|"))
                return 0; // a comparison, not a template
        }
        return 0;
    }

    Callee calleeBefore() const
    {
        Callee found;
        const int first = nameBack();
        if (first == 0 || prev(first).kind != Tok::Identifier || isKeyword(prev(first).text))
            return found;
        const QChar *end = prev(first).text.data() + prev(first).text.size();
        const QChar *start = prev(first).text.data();
        int back = first;
        bool qualified = false;
        for (;;) {
            if (prevIs(u"~", back + 1)) {
                start = prev(back + 1).text.data();
                ++back;
            }
            if (!prevIs(u"::", back + 1) || prev(back + 2).kind != Tok::Identifier)
                break;
            start = prev(back + 2).text.data();
            qualified = true;
            back += 2;
        }
        found.named = QStringView(start, end);
        found.called = found.named;
        const Token &before = prev(back + 1);
        if (is(before.text, u"->") || is(before.text, u".")) {
            found.called = prev(first).text;
            found.receiver = sideBefore(back + 2);
        } else if (before.kind == Tok::Identifier && !isKeyword(before.text) && !qualified && constructOfCall(prev(first).text).isEmpty()) {
            found.called = before.text; // `QLabel label(…)`: the constructor of its type
            found.declared = prev(first).text;
        }
        found.comparedBefore = is(before.text, u"==") || is(before.text, u"!=");
        if (found.comparedBefore)
            found.comparedWith = sideBefore(back + 2);
        return found;
    }

    // A name as written, without the blanks it may hold ("A :: f").
    static QString written(QStringView name)
    {
        QString plain = name.toString();
        plain.remove(u' ');
        return plain;
    }

    int currentBody() const
    {
        for (qsizetype k = m_stack.size() - 1; k >= 0; --k)
            if (m_stack[k].kind == Kind::Body)
                return m_stack[k].body;
        return -1;
    }

    QString currentFunction() const
    {
        for (qsizetype k = m_stack.size() - 1; k >= 0; --k)
            if (m_stack[k].kind == Kind::Body)
                return m_stack[k].name;
        return m_initList ? m_candidate : QString();
    }

    // Inside a function's body or any other braces; a constructor's initializers are not its body yet.
    bool inFunction() const
    {
        const bool inBody = std::any_of(m_stack.begin(), m_stack.end(), [](const Open &open) { return open.kind == Kind::Body; });
        return inBody || m_stack.last().kind != Kind::Scope;
    }

    QString qualified(const QString &name) const
    {
        if (name.contains(u':'))
            return name;
        for (qsizetype k = m_stack.size() - 1; k >= 0; --k)
            if (m_stack[k].kind == Kind::Scope && !m_stack[k].name.isEmpty())
                return m_stack[k].name + QStringLiteral("::") + name;
        return name;
    }

    void open(QChar close, Kind kind) { m_stack.open(close, kind); } // most brackets name nothing: no name to copy
    void open(QChar close, Kind kind, const QString &name) { m_stack.open(close, kind).name = name; }

    void openParen()
    {
        const Callee callee = calleeBefore();
        const bool atScope = m_stack.last().kind == Kind::Scope;
        Open &group = m_stack.open(u')', Kind::Group);
        if (prevIs(u"]"))
            group.lambda = true;
        else if (prev().kind == Tok::Identifier && isControl(prev().text))
            group.control = true;
        else if (isWrapper(callee.named) || (callee.comparedBefore && (is(callee.named, u"QString") || is(callee.named, u"QByteArray")))) {
            group.latin1 = readsLatin1(callee.named); // `x == QString("avfoundation")` compares as the string itself
            group.compared = callee.comparedBefore;
            group.comparedWith = callee.comparedWith;
        } else if (!callee.named.isEmpty()) {
            group.kind = Kind::Call;
            group.called = callee.called;
            group.named = callee.named;
            group.receiver = callee.receiver;
            group.declared = callee.declared;
            group.latin1 = readsLatin1(callee.called); // `const QLatin1String name("…")`
            if (atScope) { // a function's head, perhaps: its parameters' names
                m_headDepth = m_stack.size();
                m_headParameters.clear();
                m_headFiles.clear();
                m_headLastName = {};
                m_headDefaulted = false;
                m_headFileType = false;
            }
        }
    }

    void closeParen(qsizetype i)
    {
        if (m_stack.size() <= 1 || m_stack.last().close != u')')
            return;
        m_lastClosed = std::move(m_stack.last());
        m_stack.pop_back();
        const Open &closed = m_lastClosed;
        if (m_assignDepth > m_stack.size())
            endStatement(); // `(x = …)`, a head's `f(int wait = 30)`: what was given a value ends here
        if (!closed.rows.isEmpty() && (closed.compared || comparedAfter(i + 1))) {
            const QString side = (closed.compared ? closed.comparedWith : sideAfter(i + 1)).toString();
            for (const qsizetype row : closed.rows) { // QLatin1String("…") == x
                StringUse &use = m_uses[row];
                use.construct = QStringLiteral("comparison");
                use.compared = side;
                use.call.clear();
                use.calls.clear();
                use.variable.clear();
                use.stream.clear();
            }
        }
        const bool atScope = m_stack.last().kind == Kind::Scope;
        if (atScope && !m_initList && !m_trailing && m_assignDepth < 0 && m_directive.isEmpty() && closed.kind == Kind::Call) {
            m_candidate = qualified(written(closed.named)); // a function's body may follow
            if (m_stack.size() + 1 == m_headDepth) {
                endHeadParameter();
                m_candidateParameters = std::move(m_headParameters);
                m_candidateFiles = std::move(m_headFiles);
            }
        }
        if (m_stack.size() + 1 == m_headDepth)
            m_headDepth = -1;
        if (closed.kind == Kind::Call && !closed.declared.isEmpty())
            noteFile(closed, i);
        else if (closed.kind == Kind::Call && (closed.receiver.isEmpty() || is(closed.receiver, u"this")))
            noteResult(closed.named);
        // `t = ui->btn->text();`: t holds a text a person sees.
        if (closed.kind == Kind::Call && !m_target.isEmpty() && m_stack.size() == m_statementDepth && isShownGetter(closed.called)) {
            const int body = currentBody();
            if (body >= 0)
                m_flows.bodies[body].shown.insert(m_target.toString());
        }
    }

    // `s.setValue(toSettingKey(type), …)`: whether a function's result goes straight to the program's
    // data, for the strings it returns. Anything else (kept, returned, shown) counts against it.
    // Qt's classes (`QString(…)`, `QStringLiteral(…)`) and tr() need no such note.
    void noteResult(QStringView named)
    {
        if (currentBody() < 0 || m_directiveEnd >= 0)
            return;
        const QStringView name = lastPart(named);
        if (name.isEmpty() || (name.size() > 1 && name[0] == u'Q' && name[1].isUpper()) || translatedArgument(name) >= 0)
            return;
        const bool data = resultIsData();
        // The same function called line after line (`total += compute(…)`): the hash is gone to
        // only when its value for the name would change.
        if (name != m_lastResult || (m_lastResultData && !data)) {
            m_lastResultData = andInto(m_results, name, data);
            m_lastResult = name;
        }
    }

    // Whether the innermost call around here that does more than hand its argument on is one of
    // the program's data, or the statement streams into a log.
    bool resultIsData() const
    {
        std::optional<bool> data;
        visitCallsHere([&](const Open &open) {
            if (passesOn(lastPart(open.called)))
                return true;
            data = inList(open.called, dataCalls());
            return false;
        });
        return data ? *data : !m_stream.isEmpty() && logs(m_stream);
    }

    // `QFile file(path)`, and `QTextStream out(&file)` onto it: what is written there is the program's data.
    void noteFile(const Open &made, qsizetype close)
    {
        const int body = currentBody();
        if (body < 0)
            return;
        QSet<QString> &files = m_flows.bodies[body].files;
        const QStringView type = lastPart(made.called);
        if (is(type, u"QFile") || is(type, u"QSaveFile") || is(type, u"QTemporaryFile")) {
            files.insert(made.declared.toString());
        } else if (is(type, u"QTextStream") || is(type, u"QDataStream")) {
            const qsizetype open = t.indexOf(u'(', made.named.data() - t.data());
            QStringView onto = t.sliced(open + 1, close - open - 1).trimmed();
            if (onto.startsWith(u'&'))
                onto = onto.sliced(1).trimmed();
            if (files.contains(onto.toString()))
                files.insert(made.declared.toString());
        }
    }

    // The array declared right before a "{": `languages[][3]` "languages"; not a lambda's `[=]`.
    QStringView arrayBefore() const
    {
        int back = 1;
        while (prevIs(u"]", back)) {
            int open = back + 1;
            while (open < TokensKept && !prevIs(u"[", open) && !prevIs(u"]", open))
                ++open;
            if (!prevIs(u"[", open))
                return {};
            back = open + 1;
        }
        const Token &name = prev(back);
        return back > 1 && name.kind == Tok::Identifier && !isKeyword(name.text) ? name.text : QStringView();
    }

    // A parameter of a function's head read to its end: its name, and whether it is a file or a stream.
    void endHeadParameter()
    {
        if (!m_headLastName.isEmpty()) {
            m_headParameters.append(m_headLastName.toString());
            if (m_headFileType)
                m_headFiles.append(m_headLastName.toString());
        }
        m_headLastName = {};
        m_headDefaulted = false;
        m_headFileType = false;
    }

    // Right after a function's or a lambda's parameters and what may follow them.
    bool afterParameters() const
    {
        return prevIs(u")") || prevIs(u"const") || prevIs(u"override") || prevIs(u"final") || prevIs(u"noexcept")
            || prevIs(u"mutable") || prevIs(u"volatile") || prevIs(u"&") || prevIs(u"&&");
    }

    void openBrace()
    {
        const bool atScope = m_stack.last().kind == Kind::Scope;
        if (m_initList && atScope && prev().kind == Tok::Identifier) { // a member's initializer: `m_b{…}`
            Open &call = m_stack.open(u'}', Kind::Call);
            call.called = call.named = prev().text;
            return;
        }
        const bool afterParen = afterParameters() || m_trailing || (m_initList && prevIs(u"}"));
        if (!m_scopeKeyword.isEmpty()) {
            open(u'}', Kind::Scope, is(m_scopeKeyword, u"namespace") ? QString() : qualified(m_scopeName));
        } else if (afterParen && m_lastClosed.lambda) {
            open(u'}', Kind::Block);
        } else if (afterParen && !m_lastClosed.control && !m_candidate.isEmpty() && !inFunction()) {
            open(u'}', Kind::Body, m_candidate);
            m_stack.last().body = int(m_flows.bodies.size());
            m_flows.bodies.append({m_candidate, m_candidateParameters, {}, {}, {}, QSet<QString>(m_candidateFiles.begin(), m_candidateFiles.end())});
            m_names.clear();
            m_nameMarks = 0;
            m_lastName = {};
            for (const QString &parameter : std::as_const(m_flows.bodies.last().parameters))
                addName(parameter);
        } else if (const QStringView array = arrayBefore(); !array.isEmpty()) {
            open(u'}', Kind::Group); // `QString languages[][3] {…}`: a table, as with "="
            m_stack.last().table = array.toString();
        } else if (prevIs(u"]")) {
            open(u'}', Kind::Block); // a lambda without parameters
        } else if (prev().kind == Tok::Identifier && prevIs(u">", 2)) {
            open(u'}', Kind::Group); // `QMap<QString, QString> formats {…}`: a table, as with "="
            m_stack.last().table = prev().text.toString();
        } else if (prev().kind == Tok::Identifier && !isKeyword(prev().text)) {
            const Callee callee = calleeBefore(); // `QLabel{…}`, `QStringList list{…}`
            Open &call = m_stack.open(u'}', Kind::Call);
            call.called = callee.called;
            call.declared = callee.declared;
            call.latin1 = readsLatin1(callee.called);
        } else if (prevIs(u"=") || prevIs(u",") || prevIs(u"(") || prevIs(u"{") || prevIs(u"return")) {
            open(u'}', Kind::Group); // a list of values
            if (prevIs(u"="))
                m_stack.last().table = m_assignee.toString();
        } else {
            open(u'}', Kind::Block);
        }
        m_scopeKeyword.clear();
        m_candidate.clear();
        m_candidateParameters.clear();
        m_candidateFiles.clear();
        m_initList = false;
        m_trailing = false;
        m_lastClosed = Open{};
        if (m_stack.last().kind != Kind::Call && m_stack.last().kind != Kind::Group)
            startStatement(); // `x = {…}` and `T x{…}` go on
    }

    void setTarget(QStringView name)
    {
        m_target = name;
        if (currentBody() >= 0)
            addName(name);
    }

    // A cheap first look before the names' hash: their lengths and first letters.
    static quint64 nameMark(QStringView name)
    {
        return (quint64(1) << (name.size() & 31)) | (quint64(1) << (32 + (name[0].unicode() & 31)));
    }
    void addName(QStringView name)
    {
        if (name == m_lastName)
            return; // `total += …` line after line: hashed once
        m_lastName = name;
        m_names.insert(name);
        m_nameMarks |= nameMark(name);
    }

    // A parameter or variable of the function read: where it goes.
    void passed(QStringView name, qsizetype end)
    {
        while (end < n && (t[end] == u' ' || t[end] == u'\t'))
            ++end;
        const bool converted = end < n && t[end] == u'.' && convertedAt(end + 1);
        if (!converted && end < n && (t[end] == u'(' || t[end] == u'.' || t[end] == u'[' || (t[end] == u'-' && end + 1 < n && t[end + 1] == u'>')))
            return; // called, or its member used
        if (prevIs(u".") || prevIs(u"->") || prevIs(u"::") || m_stack.last().lambda)
            return; // a member of something else, or a lambda's capture or parameter
        FunctionFlows &flows = m_flows.bodies[currentBody()];
        QList<CallHop> calls = callsHere();
        if (m_stack.last().kind == Kind::Subscript)
            calls = {CallHop{QStringLiteral("operator[]"), 0, {}, {}}}; // `m_tags[tag] = …`: a key
        if (!calls.isEmpty() || !m_stream.isEmpty())
            flows.passes.append({name.toString(), std::move(calls), m_stream.toString()});
        else if (!m_target.isEmpty() && m_target != name)
            flows.into.append({name.toString(), m_target.toString()});
    }

    // Whether the name read up to `end` stands where markup names an element or an
    // attribute: `"<" + s`, `"</" + s`, `at + "=\""`. A text shown between tags is not one.
    bool markupNameAt(qsizetype end) const
    {
        if (prevIs(u"+") && prev(2).kind == Tok::String && (m_lastString.endsWith(u"<\"") || m_lastString.endsWith(u"</\"")))
            return true;
        const qsizetype after = plusAfter(end);
        if (after < 0 || after >= n || t[after] != u'"')
            return false; // most names are followed by no string
        const QStringView next = t.sliced(after, qMin<qsizetype>(4, n - after));
        return next.startsWith(u"\"=\\\"") || next.startsWith(u"\"='");
    }

    // `data.toLatin1()`, `.toUtf8()`, `.toLocal8Bit()`: the same text as bytes.
    bool convertedAt(qsizetype i) const
    {
        const QStringView rest = t.sliced(i, qMin<qsizetype>(12, n - i));
        return rest.startsWith(u"toLatin1(") || rest.startsWith(u"toUtf8(") || rest.startsWith(u"toLocal8Bit(");
    }

    void startStatement()
    {
        m_statementDepth = m_stack.size();
        m_target = {};
        m_stream = {};
    }

    void closeBrace()
    {
        Kind closed = Kind::Block;
        while (m_stack.size() > 1) {
            const bool brace = m_stack.last().close == u'}';
            if (brace)
                closed = m_stack.last().kind;
            m_stack.pop_back();
            if (brace)
                break;
        }
        m_stack.last().debugStream = false;
        if (m_assignDepth > m_stack.size())
            endStatement();
        m_returnDepth = m_returnDepth > m_stack.size() ? -1 : m_returnDepth;
        if (closed != Kind::Call && closed != Kind::Group)
            startStatement();
    }

    void endStatement()
    {
        m_assignDepth = m_returnDepth = -1;
        m_assignee = {};
    }

    // The name a "=" gives a value to: `x =`, `names[] =`, `m_a +=`; none for <=, >=, ==.
    QStringView assigneeBefore() const
    {
        int back = 1;
        if (isCompoundOperator(prev().text))
            ++back;
        while (prevIs(u"]", back)) { // an array: its name is before the brackets
            while (back < TokensKept && !prevIs(u"[", back))
                ++back;
            ++back;
        }
        const Token &name = prev(back);
        return name.kind == Tok::Identifier && !isKeyword(name.text) ? name.text : QStringView();
    }

    void openBracket(qsizetype i)
    {
        if (i + 1 < n && t[i + 1] == u'[') {
            open(u']', Kind::Attribute);
            return;
        }
        const bool indexes = prev().kind == Tok::Identifier ? !isKeyword(prev().text)
                                                          : prevIs(u")") || prevIs(u"]") || prev().kind == Tok::String;
        if (indexes)
            open(u']', Kind::Subscript);
        else
            m_stack.open(u']', Kind::Group).lambda = true; // a lambda's captures
    }

    qsizetype closeBracket(qsizetype i)
    {
        if (m_stack.size() <= 1 || m_stack.last().close != u']')
            return i + 1;
        if (m_stack.last().kind == Kind::Attribute && i + 1 < n && t[i + 1] == u']') {
            m_stack.pop_back();
            return i + 2;
        }
        m_lastClosed = std::move(m_stack.last());
        m_stack.pop_back();
        return i + 1;
    }

    qsizetype punctuation(qsizetype i)
    {
        const QChar c = t[i];
        const QChar next = i + 1 < n ? t[i + 1] : QChar();
        if (isPair(c, next)) {
            if (c == u'-' && next == u'>' && afterParameters())
                m_trailing = true; // `auto f() -> T {`: the body follows the type
            if (c == u'<' && m_stack.size() == m_statementDepth && m_target.isEmpty() && m_stream.isEmpty()) {
                if (prev().kind == Tok::Identifier)
                    setTarget(prev().text); // `args << …`, `std::cout << …`
                else if (prevIs(u")") && m_lastClosed.kind == Kind::Call)
                    m_stream = lastPart(m_lastClosed.named); // `qDebug() << …`, `dbg() << …`
            }
            push(Tok::Punct, t.sliced(i, 2));
            return i + 2;
        }
        switch (c.unicode()) {
        case u'(': openParen(); break;
        case u')': closeParen(i); break;
        case u'{': openBrace(); break;
        case u'}': closeBrace(); break;
        case u'[': openBracket(i); break;
        case u']': {
            const qsizetype after = closeBracket(i);
            push(Tok::Punct, t.sliced(i, 1));
            return after;
        }
        case u';':
            m_candidate.clear();
            m_initList = false;
            m_trailing = false;
            m_scopeKeyword.clear();
            m_stack.last().debugStream = false;
            endStatement();
            startStatement();
            break;
        case u',':
            if (m_assignDepth == m_stack.size()) // `int a = 1, b = …`, `f(int a = 1, …)`
                endStatement();
            if (m_stack.last().kind == Kind::Call)
                ++m_stack.last().argument;
            if (m_stack.size() == m_headDepth)
                endHeadParameter();
            break;
        case u':':
            if (prevIs(u")") && !m_candidate.isEmpty() && m_stack.last().kind == Kind::Scope)
                m_initList = true; // a constructor's initializers: its body follows
            break;
        case u'=':
            if (m_stack.last().kind == Kind::Scope)
                m_candidate.clear();
            if (m_stack.size() == m_headDepth)
                m_headDefaulted = true;
            if (m_stack.size() == m_statementDepth && m_target.isEmpty()) {
                if (prev().kind == Tok::Identifier)
                    setTarget(prev().text); // `x = …`
                else if (prevIs(u"+") && prev(2).kind == Tok::Identifier)
                    setTarget(prev(2).text); // `x += …`
            }
            if (!prevIs(u"<") && !prevIs(u">") && !prevIs(u"!") && !prevIs(u"=")) {
                m_assignee = assigneeBefore();
                m_assignDepth = m_stack.size();
            }
            break;
        default: break;
        }
        push(Tok::Punct, t.sliced(i, 1));
        return i + 1;
    }

    QStringView t;
    qsizetype n;
    const QList<LiteralSpan> &m_rows;
    const QList<CodeRegion> m_regions;
    qsizetype m_region = 0;
    qsizetype m_row = 0;
    QList<StringUse> m_uses;
    OpenStack m_stack;
    static constexpr qsizetype TokensKept = 16; // a power of two
    Token m_tokens[TokensKept]; // the last tokens read; default (None) where none was read yet
    qsizetype m_tokenCount = 0;
    Open m_lastClosed{};
    QString m_candidate;    // a function whose ")" closed where its body may follow
    QStringList m_candidateParameters;
    FileFlows m_flows;
    QSet<QStringView> m_names; // the current function's parameters and the variables it gives values to
    quint64 m_nameMarks = 0;   // nameMark() of each
    QStringView m_lastName;    // the last one added
    qsizetype m_headDepth = -1; // the depth inside a call at namespace or class level: a function's head, perhaps
    QStringList m_headParameters;
    QStringList m_headFiles;      // its parameters that are files or streams (`QFile &file`, `QTextStream &out`)
    QStringList m_candidateFiles;
    bool m_headFileType = false;
    QStringView m_headLastName;
    bool m_headDefaulted = false;
    qsizetype m_statementDepth = 1; // the brackets open where the statement being read began
    QStringView m_lastString; // the last string literal read, as written
    QHash<QStringView, bool> m_results; // functions called by name: whether each result went to the program's data
    QStringView m_lastResult;     // the last name noted there,
    bool m_lastResultData = false; // and its value there since
    QStringView m_target;   // the variable the statement gives a value to
    QStringView m_stream;   // the call the statement streams into
    bool m_initList = false;
    QString m_scopeKeyword; // class, struct, union, enum or namespace, until its "{" or ";"
    QString m_scopeName;
    QString m_directive;    // the directive whose line is read, but for #define
    qsizetype m_directiveEnd = -1;
    qsizetype m_directiveDepth = 1;
    qsizetype m_defineDepth = -1;
    QString m_defineName;
    bool m_trailing = false;      // a function's "->" read: its return type, then its body
    QStringView m_assignee;       // the name the statement's "=" gives a value to: a view, as most are never asked for
    qsizetype m_assignDepth = -1; // the brackets open at that "=", or -1
    qsizetype m_returnDepth = -1; // the brackets open at the statement's "return", or -1
    QList<Conditional> m_conditionals; // the #if blocks read into
};

bool inList(QStringView call, const QSet<QStringView> &calls)
{
    const QStringView last = lastPart(call);
    return calls.contains(call) || (last.size() < call.size() && calls.contains(last));
}

const QSet<QStringView> &textCalls()
{
    static const QSet<QStringView> Calls{
        u"setText", u"setWindowTitle", u"setToolTip", u"setStatusTip", u"setWhatsThis", u"setPlaceholderText", u"setTitle",
        u"setLabelText", u"setTabText", u"addTab", u"insertTab", u"setItemText", u"addItem", u"addItems", u"insertItem",
        u"insertItems", u"setHeaderLabels", u"setHorizontalHeaderLabels", u"setVerticalHeaderLabels", u"showMessage",
        u"setSuffix", u"setPrefix", u"setSpecialValueText", u"setInformativeText", u"setDetailedText", u"setButtonText",
        u"setPlainText", u"setHtml", u"appendPlainText", u"insertPlainText", u"setApplicationDescription", u"addPositionalArgument",
        u"QMessageBox", u"information", u"warning", u"critical", u"question", u"about", u"QInputDialog", u"getText", u"getItem",
        u"getInt", u"getDouble", u"QFileDialog", u"getOpenFileName", u"getOpenFileNames", u"getSaveFileName",
        u"getExistingDirectory", u"QAction", u"addAction", u"addMenu", u"QMenu", u"QLabel", u"QPushButton", u"QToolButton",
        u"QCheckBox", u"QRadioButton", u"QGroupBox", u"QTreeWidgetItem", u"QListWidgetItem", u"QTableWidgetItem",
        u"QStandardItem"};
    return Calls;
}

const QSet<QStringView> &dataCalls()
{
    static const QSet<QStringView> Calls{
        u"setObjectName", u"objectName", u"findChild", u"findChildren", u"setProperty", u"property", u"inherits",
        u"QMetaObject::invokeMethod", u"invokeMethod", u"SIGNAL", u"SLOT", u"Q_ARG", u"Q_RETURN_ARG", u"qRegisterMetaType",
        u"QSettings", u"value", u"setValue", u"contains", u"remove", u"beginGroup", u"beginReadArray", u"beginWriteArray",
        u"QFile", u"QDir", u"QFileInfo", u"QUrl", u"QIcon", u"QPixmap", u"QImage", u"QMovie", u"QLibrary", u"QPluginLoader",
        u"QFontDatabase::addApplicationFont", u"addApplicationFont", u"QProcess", u"start", u"startDetached", u"execute",
        u"setStyleSheet", u"QStyleFactory::create", u"setStyle", u"QColor", u"setNamedColor", u"codecForName",
        u"QTextCodec::codecForName", u"setCodecForLocale", u"QStringDecoder", u"QStringEncoder",
        u"QSqlDatabase::addDatabase", u"addDatabase", u"QSqlQuery", u"exec", u"prepare", u"bindValue", u"setTable",
        u"setFilter", u"QRegularExpression", u"QRegExp", u"setPattern", u"QHostAddress", u"connectToHost", u"setRawHeader",
        u"QJsonObject", u"insert", u"QKeySequence", u"QFont", u"setFamily", u"setDateFormat", u"writeAttribute",
        u"writeTextElement", u"writeStartElement", u"writeEmptyElement", u"attribute", u"hasAttribute", u"split", u"replace",
        u"indexOf", u"lastIndexOf", u"startsWith", u"endsWith", u"compare", u"removeAll", u"removeOne", u"strcmp", u"qstrcmp", u"strncmp", u"strcasecmp",
        u"memcmp", u"system", u"fopen", u"freopen", u"fdopen", u"popen", u"_wfopen", u"fopen_s", u"qDebug", u"qInfo", u"qWarning", u"qCritical", u"qFatal", u"save", u"load",
        u"toString", u"fromString", u"setDisplayFormat", u"setCodec", u"setFileName", u"setPath", u"mkpath", u"mkdir", u"cd", u"rmdir", u"rmpath",
        u"exists", u"setProgram", u"setArguments", u"findExecutable", u"QSaveFile", u"filePath", u"absoluteFilePath",
        u"cleanPath", u"toNativeSeparators", u"fromNativeSeparators", u"addLibraryPath", u"setLibraryPaths", u"assert",
        u"setNameFilters", u"entryList", u"entryInfoList", u"QDirIterator", u"setOrganizationName", u"setOrganizationDomain",
        u"setApplicationName", u"setDesktopFileName", u"qgetenv", u"qputenv", u"qunsetenv", u"qEnvironmentVariable",
        u"qEnvironmentVariableIsSet", u"qEnvironmentVariableIsEmpty", u"qEnvironmentVariableIntValue", u"getenv", u"setenv",
        u"anchoredPattern", u"wildcardToRegularExpression", u"fromTheme", u"hasThemeIcon", u"QUrlQuery", u"addQueryItem",
        u"queryItemValue", u"hasQueryItem", u"setScheme", u"setHost", u"setQuery", u"QJsonValue", u"QJsonDocument", u"QVariantMap",
        u"QSqlDatabase", u"setDatabaseName", u"QImageReader", u"QImageWriter", u"setFormat", u"QT_MESSAGELOGCONTEXT", u"qCDebug",
        u"qCInfo", u"qCWarning", u"qCCritical", u"Q_LOGGING_CATEGORY", u"Q_DECLARE_LOGGING_CATEGORY", u"QLoggingCategory",
        u"printf", u"fprintf", u"syslog", u"QCommandLineOption", u"addOption", u"isSet", u"QLocalServer",
        u"QLocalSocket", u"listen", u"setServerName", u"setMimeData", u"hasFormat", u"mimeData", u"QMimeDatabase",
        u"mimeTypeForName", u"setEnvironment", u"setWorkingDirectory", u"QLockFile", u"QTemporaryFile", u"QTemporaryDir",
        u"setObjectName", u"Q_PROPERTY", u"connect", u"disconnect", u"QDBusInterface", u"QDBusMessage::createMethodCall",
        u"createMethodCall", u"setHeader", u"QNetworkRequest", u"QByteArray::fromHex", u"fromBase64", u"write", u"operator[]",
        u"QPropertyAnimation", u"setPropertyName", u"newRow", u"Q_ASSERT", u"Q_ASSERT_X", u"Q_STATIC_ASSERT_X", u"setAttribute",
        u"createElement", u"createTextNode", u"createAttribute", u"removeAttribute", u"firstChildElement", u"lastChildElement",
        u"nextSiblingElement", u"previousSiblingElement", u"elementsByTagName", u"namedItem", u"setTagName", u"QDomDocument",
        u"createProcessingInstruction"};
    return Calls;
}

// No letter of any script once placeholders are taken out: translating it changes nothing.
bool hasNoWords(QStringView text)
{
    const auto isLetter = [](QChar c) { return c.isLetter(); };
    if (std::none_of(text.begin(), text.end(), isLetter))
        return true;
    if (!text.contains(u'%'))
        return false; // most texts: no placeholder to look past
    qsizetype from = 0;
    for (const Placeholder &placeholder : FindPlaceholders(text)) {
        if (std::any_of(text.begin() + from, text.begin() + placeholder.start, isLetter))
            return false;
        from = placeholder.end;
    }
    return std::none_of(text.begin() + from, text.end(), isLetter);
}

// A file pattern ("*.png;", " (*.xml *.gpl);;"), or a long run of capitals and digits (a table, a key, hex digits).
bool looksLikeCode(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.startsWith(u"(*") && (trimmed.endsWith(u')') || trimmed.endsWith(u";;")))
        return true; // a filter's patterns: " (*.xml *.gpl);;"
    if (text.contains(u' '))
        return false;
    if (text.startsWith(u"*.") || text.endsWith(u'*'))
        return true; // a file pattern: "*.png;", "mpv*"
    if (text.size() < 16)
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'); });
}

// One token of code rather than a word: a letter alone or two characters with a sign
// ("w", "+N"), capitals and signs ("O-O"), names joined by commas ("Rank,Name,Games").
bool looksLikeNotation(QStringView text)
{
    const QStringView word = text.trimmed();
    const auto plain = [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'); };
    const auto sign = [](QChar c) { return c > u' ' && c < QChar(127) && !c.isLetterOrNumber(); };
    const bool ascii = std::all_of(word.begin(), word.end(), [](QChar c) { return c > u' ' && c < QChar(127); });
    if (word.isEmpty() || !ascii)
        return false; // several words, or a script of its own
    if (word.size() == 1 || (word.size() == 2 && (sign(word[0]) || sign(word[1]))))
        return true;
    const auto lower = [](QChar c) { return c >= u'a' && c <= u'z'; };
    if (!word.endsWith(u':') && !word.contains(u'&') && std::none_of(word.begin(), word.end(), lower) && std::any_of(word.begin(), word.end(), sign))
        return true;
    return word.contains(u',') && std::all_of(word.begin(), word.end(), [&](QChar c) { return plain(c) || c == u',' || c == u'_' || c == u'-'; });
}

// Code of several words: a line of paths, a style sheet rule, or markup alone.
bool looksLikeNotationLine(QStringView text)
{
    const QStringView word = text.trimmed();
    if (word.first(qMax<qsizetype>(0, word.indexOf(u' '))).count(u'/') >= 3)
        return true;
    if (word.contains(u'{') && word.contains(u'}') && word.contains(u':') && word.contains(u';'))
        return true;
    if (word.startsWith(u'<') && word.endsWith(u'>')) {
        QString words;
        for (qsizetype i = 0, open = -1; i < word.size(); ++i) {
            if (word[i] == u'<')
                open = i;
            else if (word[i] == u'>')
                open = -1;
            else if (open < 0)
                words += word[i];
        }
        return words.trimmed().isEmpty();
    }
    return false;
}

// One word of small letters ("amazon", "round-robin"): a name the program keeps,
// where it is returned, a default or an element of a table without a call that shows it.
bool looksLikeAKeyword(QStringView text)
{
    const auto opens = [](QChar c) { return c == u'(' || c == u'[' || c == u'{' || c == u'<'; };
    const auto closes = [](QChar c) { return c == u')' || c == u']' || c == u'}' || c == u'>'; };
    if (text.size() > 2 && opens(text.front()) && closes(text.back()))
        text = text.sliced(1, text.size() - 2); // a piece of code: "(ans)", "<br>"
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-';
    });
}

// One word in capitals and digits ("PCLX", "TIF", "H264"): a format's, a kind's or a key's name where it is kept.
bool looksLikeCapitalsWord(QStringView text)
{
    return text.size() >= 2 && std::any_of(text.begin(), text.end(), [](QChar c) { return c >= u'A' && c <= u'Z'; }) && inCapitals(text);
}

// One word that reads as a name, key or path: "input.port1", "btnConnect", "KB0::Up", "image/png", ".txt".
bool looksLikeAName(QStringView text)
{
    if (text.size() > 2 && text.front() == u'[' && text.back() == u']')
        text = text.sliced(1, text.size() - 2); // a log's tag: "[DirectoryWatcher]"
    if (text.isEmpty() || text.endsWith(u':') || text.endsWith(u"..."))
        return false;
    bool marked = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'%' && i + 1 < text.size() && text[i + 1].isDigit()) { // a name made with arg(): "_%1.csv"
            ++i;
            continue;
        }
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        if (!plain && !QStringView(u"_.-/:#@").contains(c))
            return false;
        if (c == u'_' || c == u'#' || c == u'@' || (c == u':' && i + 1 < text.size() && text[i + 1] == u':'))
            marked = true;
        if (c == u'/' && (i == 0 || i > 2 || text.indexOf(u'/', i + 1) > 0 || text.contains(u'.'))) // "image/png", not a unit: "g/mol", "km/h"
            marked = true;
        if (c == u'.' && i + 1 < text.size() && (i > 0 || text[1].isLetter()))
            marked = true; // "input.port1", or a file's suffix: ".txt", ".gpg-id"
        if (c >= u'a' && c <= u'z' && i + 1 < text.size() && text[i + 1] >= u'A' && text[i + 1] <= u'Z' && text.size() > 3)
            marked = true; // "btnConnect"; not a unit: "MiB"
    }
    // Small-letter words joined by hyphens ("cursor-autohide", "time-pos"): an option's or a property's name.
    return marked || (text.contains(u'-') && !text.startsWith(u'-') && !text.endsWith(u'-') && looksLikeAKeyword(text));
}

} // namespace

UseReading ReadStringUses(QStringView text, const QList<LiteralSpan> &rows, const QList<CodeRegion> &regions)
{
    return UseReader(text, rows, regions).run();
}

QList<StringUse> StringUses(QStringView text, const QList<LiteralSpan> &rows, const QList<CodeRegion> &regions)
{
    return UseReader(text, rows, regions).run().uses;
}

namespace {

// Calls that hand on what they are given: the string goes where their result goes.
bool passesOn(QStringView name)
{
    return is(name, u"QString") || is(name, u"QStringList") || is(name, u"QList") || is(name, u"QVector") || is(name, u"QVariant")
        || is(name, u"QVariantList") || is(name, u"QByteArray") || is(name, u"QSet") || is(name, u"QPair") || is(name, u"qMakePair")
        || is(name, u"make_pair") || is(name, u"pair") || is(name, u"arg") || is(name, u"QStringView") || is(name, u"QAnyStringView")
        || is(name, u"QLatin1Char") || is(name, u"QChar") || is(name, u"QString::number");
}

// Calls that put what they are given into their object.
bool putsInto(QStringView name)
{
    return is(name, u"append") || is(name, u"prepend") || is(name, u"push_back") || is(name, u"push_front") || is(name, u"insert")
        || is(name, u"operator<<") || is(name, u"emplace_back");
}

// A string search on an object: it compares its argument with the object.
bool compares(QStringView name)
{
    return is(name, u"startsWith") || is(name, u"endsWith") || is(name, u"contains") || is(name, u"compare") || is(name, u"indexOf")
        || is(name, u"lastIndexOf");
}

// Qt's file dialog, made or asked (`QFileDialog::getOpenFileName(…)`, `dialog.getSaveFileName(…)`),
// not a function of the program's own by the same name (`FileDialog::getOpenFileName(type, …)`).
bool isFileDialog(const CallHop &hop)
{
    const QStringView name = hop.name;
    if (is(name, u"QFileDialog"))
        return true;
    const QStringView last = lastPart(name);
    const bool asked = is(last, u"getOpenFileName") || is(last, u"getOpenFileNames") || is(last, u"getSaveFileName")
        || is(last, u"getExistingDirectory");
    return asked && (name.startsWith(u"QFileDialog::") || (last.size() == name.size() && !hop.receiver.isEmpty()));
}

// A string put straight into a variable's object (`s.append("…")`, `s.prepend(QString("…").arg(x))`):
// a piece of the text that variable is building.
bool appendedPiece(const StringUse &use)
{
    const auto into = std::find_if(use.calls.begin(), use.calls.end(), [](const CallHop &hop) { return !passesOn(lastPart(hop.name)); });
    return into != use.calls.end() && putsInto(lastPart(into->name)) && !into->receiver.isEmpty();
}

// What a place is when one of several ways it goes is seen: a text a person sees wins.
UseKind either(UseKind a, UseKind b)
{
    if (a == UseKind::Text || b == UseKind::Text)
        return UseKind::Text;
    return a == UseKind::Data || b == UseKind::Data ? UseKind::Data : UseKind::Unknown;
}

// SQL, or a piece of it: "SELECT ", " AND ", "INSERT INTO t VALUES(?)" (its first word a statement's
// or, with `clauses`, a clause's, in capitals).
// A condition only SQL writes: a column given a bound value ("display_name=?", "id > ?"; not the
// markup of "<strong>changes</strong>?"), a
// table's column matched ("text_messages.message REGEXP '%1'", "LOWER(t.message) LIKE '%1'") or
// given to a function in capitals ("REGEXPSENSITIVE(t.message, '%1')").
bool looksLikeSqlCondition(QStringView text)
{
    static const QRegularExpression condition(QStringLiteral(
        "[A-Za-z_][A-Za-z0-9_.]*\\s*=\\s*\\?|[A-Za-z_][A-Za-z0-9_.]* (?:<>|!=|<=|>=|<|>) \\?|[a-z_]+\\.[a-z_]+\\)? (?:REGEXP|LIKE|GLOB|MATCH) "
        "|[A-Z]{3,}\\([a-z_]+\\.[a-z_]+"));
    // One pass for what a form needs before the expression is asked: a "?", one of those words
    // in capitals after a space, or a word in capitals right before a bracket.
    bool maybe = false;
    for (qsizetype i = 1; i < text.size() && !maybe; ++i) {
        const char16_t c = text[i].unicode();
        maybe = c == u'?' || (text[i - 1] == u' ' && (c == u'R' || c == u'L' || c == u'G' || c == u'M') && i + 1 < text.size() && text[i + 1].isUpper())
            || (c == u'(' && text[i - 1].isUpper());
    }
    return maybe && condition.match(text).hasMatch();
}

bool looksLikeSql(QStringView text, bool clauses = true)
{
    static const QSet<QStringView> Statements{u"SELECT", u"INSERT", u"UPDATE", u"DELETE", u"CREATE", u"DROP", u"ALTER",
                                              u"PRAGMA", u"ATTACH", u"DETACH", u"REPLACE", u"WITH", u"VACUUM"};
    static const QSet<QStringView> Clauses{u"CONSTRAINT", u"AND", u"OR", u"WHERE", u"FROM", u"JOIN", u"ORDER", u"GROUP",
                                           u"LIMIT", u"VALUES", u"SET"};
    text = text.trimmed();
    if (looksLikeSqlCondition(text))
        return true;
    qsizetype end = 0;
    while (end < text.size() && text[end] >= u'A' && text[end] <= u'Z')
        ++end;
    if (end < 2 || (end < text.size() && text[end] != u' ' && text[end] != u'('))
        return false;
    const QStringView word = text.first(end);
    return Statements.contains(word) ? clauses || end < text.size() : clauses && Clauses.contains(word);
}

// A call in code that is built as text: a name of small letters right before its "(" ("upper(",
// "substr(hex(", "printf('%d', "); not a plural's "file(s)".
bool looksLikeACall(QStringView text)
{
    static const QRegularExpression call(QStringLiteral("(?:^|[^A-Za-z0-9_])[a-z_][A-Za-z0-9_]*\\((?!s\\))"));
    return text.contains(u'(') && call.match(text).hasMatch();
}

// A regular expression by what no sentence holds: a group that looks around or takes no
// capture ("(?<!", "(?:", "(?i)"), or a class escape ("\b", "\s") beside alternatives or repeats.
bool looksLikeARegex(QStringView text)
{
    static const QRegularExpression regex(QStringLiteral("\\(\\?(?:<?[!=]|:|i\\))|\\\\[bBsSdDwW](?=.*[|*+?]|.*\\\\[bBsSdDwW])"));
    return (text.contains(u'(') || text.contains(u'\\')) && regex.match(text).hasMatch();
}

// A path from the home folder ("~/.kde/share/emoticons") or with Windows' backslashes, a registry
// key too ("Software\\Microsoft\\Windows\\CurrentVersion\\Run"): no space, and no sign a sentence has.
bool looksLikeHomeOrWindowsPath(QStringView text)
{
    if (text.contains(u' ') || text.size() < 3)
        return false;
    if (text.startsWith(u"~/"))
        return true;
    if (text.size() > 3 && text[0].isLetter() && text[1] == u':' && text[2] == u'\\')
        return true; // "C:\\Windows"
    const qsizetype backslash = text.indexOf(u'\\'); // between two words of two letters at least, not "a\\b"
    return backslash > 1 && backslash + 2 < text.size() && text[backslash - 2].isLetterOrNumber() && text[backslash - 1].isLetterOrNumber()
        && text[backslash + 1].isLetter() && text[backslash + 2].isLetterOrNumber();
}

// A word of small letters and a colon, nothing after it: a URI's scheme ("tox:", "magnet:").
bool looksLikeBareScheme(QStringView text)
{
    return text.size() >= 4 && text.back() == u':' && text.front() >= u'a' && text.front() <= u'z'
        && std::all_of(text.begin(), text.end() - 1, [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'+' || c == u'.' || c == u'-'; });
}

// A MIME type: "image/png", "application/x-vym", "text/uri-list".
bool looksLikeMimeType(QStringView text)
{
    const qsizetype slash = text.indexOf(u'/');
    if (slash < 4 || slash + 1 >= text.size() || text.contains(u' ') || text.indexOf(u'/', slash + 1) >= 0)
        return false;
    static const QSet<QStringView> Types{u"application", u"text", u"image", u"audio", u"video", u"font", u"multipart", u"message", u"model", u"inode"};
    return Types.contains(text.first(slash)) && looksLikeAName(text);
}

// A URL, or the scheme it begins with: "file:", "file:%1", "mailto:", "https://%1/view?id=%2".
bool looksLikeUrlScheme(QStringView text)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon < 3 || text.contains(u' '))
        return false;
    static const QSet<QStringView> Schemes{u"file", u"http", u"https", u"ftp", u"sftp", u"mailto", u"qrc", u"data", u"tel", u"smb", u"ssh", u"irc", u"magnet"};
    return Schemes.contains(text.first(colon));
}

UseKind kindByShape(QStringView text)
{
    return hasNoWords(text) || text == u"true" || text == u"false" || looksLikeAName(text) || looksLikeCode(text) || looksLikeNotation(text) || looksLikeNotationLine(text)
            || looksLikeSql(text) || looksLikeACall(text) || looksLikeARegex(text) || looksLikeUrlScheme(text)
        ? UseKind::Data : UseKind::Unknown;
}

// Punctuation between the pieces of a sentence, which a language may write its own way (": " as "："),
// not a path's or a name's separator.
bool isSentencePunctuation(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return QStringView(u":;,!?()[]—–…").contains(c); });
}

// A C library's function, named in small letters and underscores (`mpv_set_option_string`,
// `sqlite3_exec`, `mpv::qt::get_property`), not the standard library's (`std::make_pair`), nor one
// that names a message or a text.
bool isCLibraryCall(QStringView name)
{
    if (name.startsWith(u"std::") || !name.contains(u'_'))
        return false;
    const QStringView last = lastPart(name);
    for (const QStringView shows : {u"error", u"message", u"text", u"title", u"label", u"notif", u"print"})
        if (last.contains(shows))
            return false; // `sqlite3_result_error(ctx, "invalid operand", -1)`: a message, for someone to read
    if (last.startsWith(u"m_") || last.startsWith(u"d_") || last.startsWith(u"s_") || last.endsWith(u'_'))
        return false; // a member given its value: `m_title{"…"}`
    return !last.startsWith(u'_') && !last.startsWith(u"make_") && !last.startsWith(u"emplace") && !last.startsWith(u"push_")
        && std::all_of(last.begin(), last.end(), [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_'; });
}

// The key of `map.insert(key, value)`.
bool isMapKey(const StringUse &use)
{
    const auto into = std::find_if(use.calls.begin(), use.calls.end(), [](const CallHop &hop) { return !passesOn(lastPart(hop.name)); });
    return into != use.calls.end() && into->argument == 0 && is(lastPart(into->name), u"insert");
}

// Words as people write them: a letter of a script beyond ASCII ("Русский"), or words
// with spaces between them ("Bahasa Indonesia") that no name has.
bool readsAsWords(QStringView text)
{
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 128 && c.isLetter(); }))
        return true;
    const qsizetype space = text.trimmed().indexOf(u' ');
    return space > 0 && !looksLikeAName(text) && !looksLikeSql(text) && !looksLikeNotationLine(text);
}

// A program's own log function by its usual names (CopyQ's `log(text, LogError)`), called
// without an object: its way to the log file may be too long to follow. `ui->log->append(…)`
// is a widget's.
bool isLogFunction(const CallHop &hop)
{
    const QStringView name = hop.name;
    return hop.receiver.isEmpty() && name.startsWith(u"log")
        && (is(name, u"log") || is(name, u"logDebug") || is(name, u"logInfo") || is(name, u"logWarning") || is(name, u"logError")
            || is(name, u"logTrace") || is(name, u"logNote") || is(name, u"logCritical"));
}

// A library's logging macro by its name: GST_DEBUG_OBJECT, LOG_WARNING, TRACE.
bool isLoggingMacroName(QStringView name)
{
    if (!isMacroName(name) && !is(name, u"TRACE"))
        return false;
    for (const QStringView part : name.tokenize(u'_'))
        if (is(part, u"LOG") || is(part, u"DEBUG") || is(part, u"TRACE") || is(part, u"WARNING") || is(part, u"WARN"))
            return true;
    return false;
}

// By its shape and by what holds it: a small-letter word returned, defaulted, kept
// in a table, a constant (`constexpr char kPort[] = "port"`, `QLatin1String trueString("true")`,
// `#define ICON_NAME "copyq"`) or as a map's value, given to a macro (REGISTER_BOARD(X, "atomic")) or
// written into a stream or a variable (`out << "null"`), is a name the program keeps.
UseKind kindByShape(const StringUse &use, QStringView text)
{
    const bool keyword = looksLikeAKeyword(text);
    if (!keyword && !looksLikeCapitalsWord(text)) // most texts: what holds them need not be looked at
        return kindByShape(text);
    const auto isMapValue = [](const CallHop &hop) { return is(lastPart(hop.name), u"insert") && hop.argument > 0; };
    if (!keyword) // `#define EXTENSION "PCLX"`, `{ "tif", "TIF" }`, `format = "PNG"`, `types.append("JPG")`: a format's or a kind's name
        return use.holder == StringUse::Holder::Macro || use.holder == StringUse::Holder::Table
                || use.holder == StringUse::Holder::Assignment || !use.variable.isEmpty() || appendedPiece(use)
                || std::any_of(use.calls.begin(), use.calls.end(), isMapValue)
            ? UseKind::Data : kindByShape(text);
    const bool kept = use.holder == StringUse::Holder::Return || use.holder == StringUse::Holder::DefaultArgument
        || use.holder == StringUse::Holder::Table || use.holder == StringUse::Holder::Assignment || use.holder == StringUse::Holder::Macro
        || isMacroName(use.call) || !use.stream.isEmpty() || !use.variable.isEmpty()
        || std::any_of(use.calls.begin(), use.calls.end(), [&](const CallHop &hop) { return isMapValue(hop) || !hop.declared.isEmpty(); })
        || appendedPiece(use);
    return kept ? UseKind::Data : kindByShape(text);
}

constexpr int Deepest = 4; // calls followed through the program's own functions

} // namespace

int ProgramFlows::add(FileFlows flows)
{
    m_firstOfFile.append(m_functions.size());
    for (FunctionFlows &body : flows.bodies) {
        for (qsizetype p = 0; p < body.passes.size(); ++p)
            if (isConstantName(body.passes[p].name))
                m_constantPasses[body.passes[p].name].append({m_functions.size(), p});
        m_byName[lastPart(body.name).toString()].append(m_functions.size());
        const qsizetype parameters = body.parameters.size();
        m_functions.append({std::move(body), QList<UseKind>(parameters, UseKind::Unknown)});
    }
    m_macros.insert(flows.macros);
    m_bases.insert(flows.bases);
    for (auto result = flows.results.cbegin(); result != flows.results.cend(); ++result)
        andInto(m_results, result.key(), result.value());
    return int(m_firstOfFile.size() - 1);
}

void ProgramFlows::resolve()
{
    // Each round follows one more level of the program's calls.
    for (int round = 0; round < Deepest; ++round) {
        bool changed = false;
        for (Function &function : m_functions) {
            for (qsizetype k = 0; k < function.parameters.size(); ++k) {
                const UseKind kind = kindOfName(function, function.flows.parameters[k], true, 0);
                changed = changed || kind != function.parameters[k];
                function.parameters[k] = kind;
            }
        }
        if (!changed)
            break;
    }
}

bool ProgramFlows::isDataMacro(const QString &name, int depth) const
{
    if (m_macros.isEmpty())
        return false;
    const auto body = m_macros.constFind(name);
    if (body == m_macros.cend() || depth > Deepest)
        return false;
    return logs(*body) || inList(*body, dataCalls()) || isDataMacro(*body, depth + 1);
}

// Where the program takes a constant its #define names (`#define SETTING_FPS "Fps"`,
// `settings.value(SETTING_FPS)`): a text a person sees in one place wins.
UseKind ProgramFlows::kindOfConstant(const QString &name) const
{
    UseKind kind = UseKind::Unknown;
    const auto found = m_constantPasses.constFind(name);
    if (found == m_constantPasses.cend())
        return kind;
    for (const auto &[function, pass] : *found) {
        const Function &in = m_functions[function];
        const FunctionFlows::Pass &taken = in.flows.passes[pass];
        kind = either(kind, kindOfCalls(taken.calls, taken.stream, &in, false, 1));
    }
    return kind;
}

// Data where every call of the function hands its result to the program's data (`s.value(toSettingKey(t))`);
// else Unknown: a result kept in a variable or returned on may be shown.
UseKind ProgramFlows::kindOfResult(const QString &function) const
{
    return m_results.value(function, false) ? UseKind::Data : UseKind::Unknown;
}

// A class of the program made as Qt's class it derives from: `Settings s("org", "app")` over QSettings,
// `ClickableLabel(text)` over QLabel.
UseKind ProgramFlows::kindOfBase(const QString &type, int depth) const
{
    const auto base = m_bases.constFind(type);
    if (base == m_bases.cend() || depth > Deepest)
        return UseKind::Unknown;
    if (inList(*base, dataCalls()))
        return UseKind::Data;
    if (inList(*base, textCalls()))
        return UseKind::Text;
    return kindOfBase(*base, depth + 1);
}

bool ProgramFlows::isShown(const Function *in, const QString &compared) const
{
    const qsizetype bracket = compared.indexOf(u'(');
    if (bracket >= 0) // a getter called: `b->text()`
        return isShownGetter(QStringView(compared).first(bracket).trimmed());
    return in && in->flows.shown.contains(compared); // a variable given one
}

UseKind ProgramFlows::kindOfParameter(const QString &function, int argument, const Function *caller) const
{
    UseKind kind = UseKind::Unknown;
    const auto found = m_byName.constFind(function);
    if (found == m_byName.cend())
        return kind;
    // A call without an object, in a member function, calls its own class's member when there is one.
    const qsizetype colons = caller ? caller->flows.name.lastIndexOf(u"::") : -1;
    const QStringView ownClass = colons > 0 ? QStringView(caller->flows.name).first(colons + 2) : QStringView();
    const auto ofOwnClass = [&](qsizetype f) {
        const QString &name = m_functions[f].flows.name;
        return !ownClass.isEmpty() && name.size() == ownClass.size() + function.size() && name.startsWith(ownClass);
    };
    const bool own = std::any_of(found->begin(), found->end(), ofOwnClass);
    for (const qsizetype f : *found)
        if (!own || ofOwnClass(f))
            kind = either(kind, m_functions[f].parameters.value(argument, UseKind::Unknown));
    return kind;
}

UseKind ProgramFlows::kindOfName(const Function &in, const QString &name, bool forParameter, int depth, int hops) const
{
    if (logs(name) || in.flows.markupNames.contains(name))
        return UseKind::Data; // std::cout << …; `"<" + element + ">"`
    UseKind kind = UseKind::Unknown;
    for (const FunctionFlows::Pass &pass : in.flows.passes)
        if (pass.name == name)
            kind = either(kind, kindOfCalls(pass.calls, pass.stream, &in, forParameter, depth + 1));
    if (hops < Deepest)
        for (const auto &[from, into] : in.flows.into)
            if (from == name && into != name)
                kind = either(kind, kindOfName(in, into, forParameter, depth, hops + 1));
    return kind;
}

// Where the calls around a place take it, from the inside out; Unknown where a call
// neither shows nor reads it, or the way ends without saying.
UseKind ProgramFlows::kindOfCalls(const QList<CallHop> &calls, const QString &stream, const Function *in, bool forParameter, int depth) const
{
    if (depth > Deepest)
        return UseKind::Unknown;
    bool translated = false, intoASentence = false;
    // Where the program's own variables and functions take a translation decides nothing against it:
    // a message kept in a member may be logged in one place and shown in another.
    const auto unlessTranslated = [&](UseKind kind) { return translated && kind == UseKind::Data ? UseKind::Text : kind; };
    for (qsizetype h = 0; h < calls.size(); ++h) {
        const CallHop &hop = calls[h];
        const QStringView last = lastPart(hop.name);
        const int text = translatedArgument(hop.name);
        if (text >= 0) {
            if (h == 0 && hop.argument != text)
                return UseKind::Data; // a context or a disambiguation
            translated = true;
            continue;
        }
        if (passesOn(last) || (isWrapper(hop.name) && !hop.declared.isEmpty())) { // `QLatin1String name("…")` too
            intoASentence = intoASentence || is(last, u"arg");
            if (!hop.declared.isEmpty() && in) {
                const UseKind kind = kindOfName(*in, hop.declared, forParameter, depth);
                if (kind != UseKind::Unknown)
                    return unlessTranslated(kind);
            }
            continue;
        }
        if (putsInto(last) && !hop.receiver.isEmpty() && in) {
            const UseKind kind = kindOfName(*in, hop.receiver, forParameter, depth);
            if (kind != UseKind::Unknown)
                return unlessTranslated(kind);
        }
        if (compares(last) && isShown(in, hop.receiver))
            return UseKind::Text;
        if (translated && (compares(last) || is(last, u"QKeySequence")))
            return UseKind::Text; // a translation searched for in a translation, or a shortcut's translated keys
        if (is(last, u"QCommandLineOption") && (hop.argument == 1 || hop.argument == 2))
            return UseKind::Text; // an option's description and its value's name, shown by --help; not its names
        if (hop.argument >= 2 && isFileDialog(hop))
            return hop.argument == 2 ? UseKind::Data : UseKind::Unknown; // a folder; a filter's words are shown, a bare pattern is not
        if (inList(hop.name, textCalls()))
            return forParameter && intoASentence ? UseKind::Unknown : UseKind::Text;
        const QString lastName = last.size() == hop.name.size() ? hop.name : last.toString(); // shared, not copied, when unqualified
        if (is(last, u"insert") && (hop.argument > 0 || translated)) // `m_headers.insert(key, "Rank")`: its key is data, its value
            return translated ? UseKind::Text : UseKind::Unknown;                // tells nothing; a key the program translates is shown
        if (translated && is(last, u"value") && hop.argument == 1)
            return UseKind::Text; // `settings.value("user", tr("unknown user"))`: a default handed back to be shown, not written
        if (inList(hop.name, dataCalls()) || logs(last) || isDataMacro(lastName) || isLoggingMacroName(last) || isLogFunction(hop))
            return UseKind::Data;
        // `list.append(…)` is the list's own: not the program's DkRecentDir::append by the same name.
        const bool containers = putsInto(last) && !hop.receiver.isEmpty();
        const UseKind kind = containers ? UseKind::Unknown : kindOfParameter(lastName, hop.argument, hop.receiver.isEmpty() ? in : nullptr);
        if (kind == UseKind::Text && forParameter && intoASentence)
            return UseKind::Unknown;
        if (kind != UseKind::Unknown)
            return unlessTranslated(kind);
        if (const UseKind inherited = kindOfBase(lastName); inherited != UseKind::Unknown)
            return inherited == UseKind::Text && forParameter && intoASentence ? UseKind::Unknown : unlessTranslated(inherited);
        if (!translated && isCLibraryCall(hop.name) && !m_byName.contains(lastName))
            return UseKind::Data; // `mpv_observe_property(h, 0, "pause", …)`: a library's names for its own things
        return translated ? UseKind::Text : UseKind::Unknown; // a call that tells nothing
    }
    if (!stream.isEmpty() && (logs(stream) || isDataMacro(stream)))
        return UseKind::Data;
    return translated ? UseKind::Text : UseKind::Unknown;
}

UseKind ProgramFlows::kindOf(const StringUse &use, QStringView text, int file) const
{
    if (use.marked || text.trimmed().isEmpty())
        return UseKind::Data; // marked so, or only spaces: a separator, whatever shows it
    const Function *in = file >= 0 && use.body >= 0 && m_firstOfFile[file] + use.body < m_functions.size()
        ? &m_functions[m_firstOfFile[file] + use.body] : nullptr;
    if (use.construct == u"comparison")
        return isShown(in, use.compared) && !looksLikeAName(text) && !looksLikeUrlScheme(text) ? UseKind::Text : UseKind::Data;
    if (!use.construct.isEmpty() || text.startsWith(u":/") || text.startsWith(u"qrc:/"))
        return UseKind::Data;
    if (text == u"/" || (text.startsWith(u'/') && looksLikeAName(text)) || looksLikeMimeType(text) || looksLikeHomeOrWindowsPath(text))
        return UseKind::Data; // `dir + "/" + name`, `path + "/flags"`: a path's piece, even in a path a message shows
    if (looksLikeSql(text, false))
        return UseKind::Data; // a statement, whatever shows it or is given it: "SELECT %1 FROM %2"
    const bool noWords = hasNoWords(text); // asked again below: once is enough
    if ((noWords || looksLikeAName(text) || looksLikeUrlScheme(text)) && !use.calls.isEmpty() && compares(lastPart(use.calls[0].name)))
        return UseKind::Data; // `name.lastIndexOf(".")`, `url.endsWith(".vym")`: a sign or a name searched for, even in a text a person sees
    if ((noWords || looksLikeAKeyword(text)) && appendedPiece(use))
        return UseKind::Data; // `expr.append("(ans)")`, `vars.append(QString("%1=%2").arg(…))`: code, whatever shows the whole
    UseKind kind = kindOfCalls(use.calls, use.stream, in, false, 0);
    const bool handedOn = std::all_of(use.calls.begin(), use.calls.end(), [](const CallHop &hop) {
        return passesOn(lastPart(hop.name)) || translatedArgument(hop.name) >= 0;
    });
    if (kind == UseKind::Unknown && handedOn && !use.variable.isEmpty() && in) {
        const UseKind held = kindOfName(*in, use.variable, false, 0);
        if (held != UseKind::Unknown)
            kind = held;
    }
    if (kind == UseKind::Unknown && use.holder == StringUse::Holder::Macro)
        kind = kindOfConstant(use.holderName);
    if (kind == UseKind::Unknown && use.holder == StringUse::Holder::Return)
        kind = kindOfResult(lastPart(use.holderName).toString());
    if (kind == UseKind::Unknown && handedOn && in && in->flows.files.contains(use.variable))
        return UseKind::Data; // `out << "Name="` onto a file the program writes; a translation put there is meant to be read
    if (kind == UseKind::Data && isMapKey(use) && readsAsWords(text))
        kind = UseKind::Unknown; // `languages.insert("Bahasa Indonesia", "id")`: a list a person picks from, as its shape says
    if (kind == UseKind::Text && use.joined && looksLikeAName(text))
        return UseKind::Data; // `templateDir + "content-template.xml"`: a name within what is shown
    if (kind == UseKind::Unknown && use.besideTranslation && (noWords ? isSentencePunctuation(text)
            : !looksLikeAName(text) && !looksLikeCode(text) && !looksLikeNotationLine(text)))
        return UseKind::Text; // `tr("power") + " (W)"`, `name + ": " + tr("not found")`: a piece of the translation shown
    if (kind == UseKind::Unknown && use.joined && looksLikeBareScheme(text))
        return UseKind::Data; // `"tox:" + id`: a scheme of the program's own links
    return kind == UseKind::Unknown ? kindByShape(use, text) : kind;
}

UseKind KindOfUse(const StringUse &use, QStringView text)
{
    static const ProgramFlows None;
    return None.kindOf(use, text, -1);
}

namespace {

// A construct as a translator reads it: the code's own word where it has one.
QString constructWords(const QString &construct)
{
    if (construct == u"comparison")
        return QStringLiteral("比较（== 或 !=）");
    if (construct == u"subscript")
        return QStringLiteral("下标 []");
    if (construct == u"attribute")
        return QStringLiteral("属性 [[…]]");
    if (construct == u"qDebug")
        return QStringLiteral("qDebug() 输出");
    if (construct == u"path")
        return QStringLiteral("路径的一段（QDir::separator()）");
    return construct;
}

} // namespace

namespace {

QString holderWords(const StringUse &use)
{
    switch (use.holder) {
    case Holder::None: return QString();
    case Holder::Table: return QStringLiteral("表 %1 的元素").arg(use.holderName);
    case Holder::Return: return QStringLiteral("%1 的返回值").arg(use.holderName);
    case Holder::Assignment: return QStringLiteral("赋给 %1").arg(use.holderName);
    case Holder::DefaultArgument: return QStringLiteral("%1 的默认参数").arg(use.holderName);
    case Holder::Macro: return QStringLiteral("宏 %1").arg(use.holderName);
    }
    return QString();
}

} // namespace

QString DescribeUse(const StringUse &use)
{
    if (use.holder == Holder::Return)
        return holderWords(use); // it names the function
    const QString by = !use.construct.isEmpty() ? constructWords(use.construct) : !use.call.isEmpty() ? use.call : holderWords(use);
    if (by.isEmpty())
        return use.function;
    // With %, each is made at its full size at once: every string of the tree is described.
    if (use.function.isEmpty())
        return QStringLiteral("→ ") % by;
    return use.function % QStringLiteral(" → ") % by;
}
