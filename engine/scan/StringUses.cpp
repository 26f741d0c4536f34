#include "engine/scan/StringUses.h"

#include "engine/scan/CodeStrings.h"
#include "engine/scan/CppEscapes.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <optional>
#include <array>
#include <vector>

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
// measure the literal at run time, on every identifier and bracket.
template <qsizetype N> bool is(QStringView word, const char16_t (&text)[N])
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
        || is(name, u"QString::fromLocal8Bit") || is(name, u"QStringView") || is(name, u"QT_STRINGIFY");
}

bool isControl(QStringView word)
{
    if (word.size() < 2 || word.size() > 6 || !QStringView(u"ifwsc").contains(word[0]))
        return false;
    return is(word, u"if") || is(word, u"for") || is(word, u"while") || is(word, u"switch") || is(word, u"catch");
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
    QList<qsizetype> rows;    // a wrapping Group: the rows it holds
    QString table;            // a Group of values given to a name (`names[] = {…}`): the name
    bool debugStream = false; // a qDebug() << … statement runs at this level
};

class UseReader
{
public:
    UseReader(QStringView text, const QList<LiteralSpan> &rows, const QList<CodeRegion> &regions)
        : t(text), n(text.size()), m_rows(rows), m_regions(regions.isEmpty() ? ScanCodeRegions(text) : regions)
    {
        m_uses.resize(rows.size());
        m_stack.append({QChar(), Kind::Scope, QString()});
    }

    QList<StringUse> run()
    {
        qsizetype i = 0;
        const qsizetype lastRowEnd = m_rows.isEmpty() ? 0 : m_rows.last().start + m_rows.last().length;
        while (i < n) {
            if (i > lastRowEnd && !waitingForAWrapper())
                break; // what follows the last string tells nothing more about it
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
        return m_uses;
    }

private:
    // A wrapper around a string is open: what follows its ")" may compare it.
    bool waitingForAWrapper() const
    {
        return std::any_of(m_stack.begin(), m_stack.end(), [](const Open &open) { return !open.rows.isEmpty(); });
    }

    // ---- tokens ----
    const Token &prev(int back = 1) const
    {
        static const Token None;
        return back <= m_tokenCount && back <= TokensKept ? m_tokens[(m_tokenCount - back) & (TokensKept - 1)] : None;
    }
    template <qsizetype N> bool prevIs(const char16_t (&text)[N], int back = 1) const { return is(prev(back).text, text); }
    void push(Tok kind, QStringView text) { m_tokens[m_tokenCount++ & (TokensKept - 1)] = {kind, text}; }

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
        if (m_stack.last().kind == Kind::Group)
            m_stack.last().rows.append(m_row); // a wrapper's: compared, perhaps, once it closes
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
        if (prevIs(u"==") || prevIs(u"!=") || comparedAfter(region.end))
            use.construct = QStringLiteral("comparison");
        else if (prevIs(u"<<") && m_stack.last().debugStream)
            use.construct = QStringLiteral("qDebug");
        if (!use.construct.isEmpty())
            use.call.clear();
        if (use.call.isEmpty() && use.construct.isEmpty() && use.holder == Holder::None)
            holderOf(use);
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
            use.holderName = m_assignee;
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
            if (e < n && t[e] == u'(') { // the macro's parameters
                const qsizetype close = t.indexOf(u')', e);
                e = close < 0 ? m_directiveEnd : close + 1;
            }
            return e;
        }
        m_directive = name; // strings of any other directive are its own
        return e;
    }

    void endDirective()
    {
        m_directiveEnd = -1;
        m_directive.clear();
        m_stack.resize(qMax<qsizetype>(1, qMin(m_stack.size(), m_directiveDepth)));
        m_defineDepth = -1;
        m_defineName.clear();
        push(Tok::Punct, {}); // a name on the line before is no type of what follows
    }

    // What the braces and names read so far leave open: the reading goes on from
    // it at each branch of an #if, so that every branch is read from the same
    // place and the code after the #endif from where the first branch left it,
    // as a compiler reads one branch.
    struct Reading {
        QList<Open> stack;
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
        const bool scope = size >= 4 && size <= 9 && (first == u'c' || first == u's' || first == u'u' || first == u'n' || first == u'e')
            && (is(word, u"class") || is(word, u"struct") || is(word, u"union") || is(word, u"namespace") || is(word, u"enum"));
        if (scope && !prevIs(u"enum")) {
            m_scopeKeyword = word.toString();
            m_scopeName.clear();
        } else if (!m_scopeKeyword.isEmpty() && m_scopeName.isEmpty() && !isKeyword(word) && !is(word, u"class")) {
            m_scopeName = word.toString();
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
    };
    Callee calleeBefore() const
    {
        Callee found;
        if (prev().kind != Tok::Identifier || isKeyword(prev().text))
            return found;
        const QChar *end = prev().text.data() + prev().text.size();
        const QChar *start = prev().text.data();
        int back = 1;
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
        if (is(before.text, u"->") || is(before.text, u"."))
            found.called = prev().text;
        else if (before.kind == Tok::Identifier && !isKeyword(before.text) && !qualified)
            found.called = before.text; // `QLabel label(…)`: the constructor of its type
        found.comparedBefore = is(before.text, u"==") || is(before.text, u"!=");
        return found;
    }

    // A name as written, without the blanks it may hold ("A :: f").
    static QString written(QStringView name)
    {
        QString plain = name.toString();
        plain.remove(u' ');
        return plain;
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

    void open(QChar close, Kind kind, const QString &name = QString())
    {
        m_stack.append({close, kind, name});
    }

    void openParen()
    {
        const Callee callee = calleeBefore();
        Open group{u')', Kind::Group, QString()};
        if (prevIs(u"]"))
            group.lambda = true;
        else if (prev().kind == Tok::Identifier && isControl(prev().text))
            group.control = true;
        else if (isWrapper(callee.named))
            group.compared = callee.comparedBefore;
        else if (!callee.named.isEmpty()) {
            group.kind = Kind::Call;
            group.called = callee.called;
            group.named = callee.named;
        }
        m_stack.append(std::move(group));
    }

    void closeParen(qsizetype i)
    {
        if (m_stack.size() <= 1 || m_stack.last().close != u')')
            return;
        Open closed = m_stack.takeLast();
        if (!closed.rows.isEmpty() && (closed.compared || comparedAfter(i + 1))) {
            for (const qsizetype row : closed.rows) { // QLatin1String("…") == x
                m_uses[row].construct = QStringLiteral("comparison");
                m_uses[row].call.clear();
            }
        }
        const bool atScope = m_stack.last().kind == Kind::Scope;
        if (atScope && !m_initList && !m_trailing && m_assignDepth < 0 && m_directive.isEmpty() && closed.kind == Kind::Call)
            m_candidate = qualified(written(closed.named)); // a function's body may follow
        m_lastClosed = std::move(closed);
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
            Open call{u'}', Kind::Call, QString()};
            call.called = call.named = prev().text;
            m_stack.append(std::move(call));
            return;
        }
        const bool afterParen = afterParameters() || m_trailing || (m_initList && prevIs(u"}"));
        if (!m_scopeKeyword.isEmpty()) {
            open(u'}', Kind::Scope, is(m_scopeKeyword, u"namespace") ? QString() : qualified(m_scopeName));
        } else if (afterParen && m_lastClosed.lambda) {
            open(u'}', Kind::Block);
        } else if (afterParen && !m_lastClosed.control && !m_candidate.isEmpty() && !inFunction()) {
            open(u'}', Kind::Body, m_candidate);
        } else if (prevIs(u"]")) {
            open(u'}', Kind::Block); // a lambda without parameters
        } else if (prev().kind == Tok::Identifier && !isKeyword(prev().text)) {
            Open call{u'}', Kind::Call, QString()}; // `QLabel{…}`, `QStringList list{…}`
            call.called = calleeBefore().called;
            m_stack.append(std::move(call));
        } else if (prevIs(u"=") || prevIs(u",") || prevIs(u"(") || prevIs(u"{") || prevIs(u"return")) {
            open(u'}', Kind::Group); // a list of values
            if (prevIs(u"="))
                m_stack.last().table = m_assignee;
        } else {
            open(u'}', Kind::Block);
        }
        m_scopeKeyword.clear();
        m_candidate.clear();
        m_initList = false;
        m_trailing = false;
        m_lastClosed = Open{};
    }

    void closeBrace()
    {
        while (m_stack.size() > 1) {
            const QChar close = m_stack.takeLast().close;
            if (close == u'}')
                break;
        }
        m_stack.last().debugStream = false;
        if (m_assignDepth > m_stack.size())
            endStatement();
        m_returnDepth = m_returnDepth > m_stack.size() ? -1 : m_returnDepth;
    }

    void endStatement()
    {
        m_assignDepth = m_returnDepth = -1;
        m_assignee.clear();
    }

    // The name a "=" gives a value to: `x =`, `names[] =`, `m_a +=`; none for <=, >=, ==.
    QString assigneeBefore() const
    {
        int back = 1;
        if (prev().text.size() == 1 && QStringView(u"+-*/%|&^").contains(prev().text[0]))
            ++back; // a compound assignment
        while (prevIs(u"]", back)) { // an array: its name is before the brackets
            while (back < TokensKept && !prevIs(u"[", back))
                ++back;
            ++back;
        }
        const Token &name = prev(back);
        return name.kind == Tok::Identifier && !isKeyword(name.text) ? name.text.toString() : QString();
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
        {
            Open captures{u']', Kind::Group, QString()}; // a lambda's captures
            captures.lambda = true;
            m_stack.append(std::move(captures));
        }
    }

    qsizetype closeBracket(qsizetype i)
    {
        if (m_stack.size() <= 1 || m_stack.last().close != u']')
            return i + 1;
        Open closed = m_stack.takeLast();
        if (closed.kind == Kind::Attribute && i + 1 < n && t[i + 1] == u']')
            return i + 2;
        m_lastClosed = std::move(closed);
        return i + 1;
    }

    qsizetype punctuation(qsizetype i)
    {
        const QChar c = t[i];
        const QChar next = i + 1 < n ? t[i + 1] : QChar();
        const bool pair = (c == u':' && next == u':') || (c == u'-' && next == u'>') || (c == u'=' && next == u'=')
            || (c == u'!' && next == u'=') || (c == u'<' && next == u'<') || (c == u'&' && next == u'&');
        if (pair) {
            if (c == u'-' && next == u'>' && afterParameters())
                m_trailing = true; // `auto f() -> T {`: the body follows the type
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
            break;
        case u',':
            if (m_assignDepth == m_stack.size()) // `int a = 1, b = …`, `f(int a = 1, …)`
                endStatement();
            break;
        case u':':
            if (prevIs(u")") && !m_candidate.isEmpty() && m_stack.last().kind == Kind::Scope)
                m_initList = true; // a constructor's initializers: its body follows
            break;
        case u'=':
            if (m_stack.last().kind == Kind::Scope)
                m_candidate.clear();
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
    QList<Open> m_stack;
    static constexpr qsizetype TokensKept = 16; // a power of two
    Token m_tokens[TokensKept]; // the last tokens read
    qsizetype m_tokenCount = 0;
    Open m_lastClosed{};
    QString m_candidate;    // a function whose ")" closed where its body may follow
    bool m_initList = false;
    QString m_scopeKeyword; // class, struct, union, enum or namespace, until its "{" or ";"
    QString m_scopeName;
    QString m_directive;    // the directive whose line is read, but for #define
    qsizetype m_directiveEnd = -1;
    qsizetype m_directiveDepth = 1;
    qsizetype m_defineDepth = -1;
    QString m_defineName;
    bool m_trailing = false;      // a function's "->" read: its return type, then its body
    QString m_assignee;           // the name the statement's "=" gives a value to
    qsizetype m_assignDepth = -1; // the brackets open at that "=", or -1
    qsizetype m_returnDepth = -1; // the brackets open at the statement's "return", or -1
    QList<Conditional> m_conditionals; // the #if blocks read into
};

bool inList(QStringView call, const QSet<QStringView> &calls)
{
    const qsizetype last = call.lastIndexOf(u"::");
    return calls.contains(call) || (last >= 0 && calls.contains(call.sliced(last + 2)));
}

const QSet<QStringView> &textCalls()
{
    static const QSet<QStringView> Calls{
        u"tr", u"QObject::tr", u"translate", u"QCoreApplication::translate", u"QT_TR_NOOP", u"QT_TRANSLATE_NOOP",
        u"setText", u"setWindowTitle", u"setToolTip", u"setStatusTip", u"setWhatsThis", u"setPlaceholderText", u"setTitle",
        u"setLabelText", u"setTabText", u"addTab", u"insertTab", u"setItemText", u"addItem", u"addItems", u"insertItem",
        u"insertItems", u"setHeaderLabels", u"setHorizontalHeaderLabels", u"setVerticalHeaderLabels", u"showMessage",
        u"setSuffix", u"setPrefix", u"setSpecialValueText", u"setInformativeText", u"setDetailedText", u"setButtonText",
        u"setNameFilter", u"setNameFilters", u"setPlainText", u"setHtml", u"append", u"appendPlainText", u"insertPlainText",
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
        u"indexOf", u"lastIndexOf", u"startsWith", u"endsWith", u"compare", u"strcmp", u"qstrcmp", u"strncmp", u"strcasecmp",
        u"memcmp", u"system", u"fopen", u"qDebug", u"qInfo", u"qWarning", u"qCritical", u"qFatal", u"save", u"load",
        u"toString", u"fromString", u"setDisplayFormat", u"setCodec", u"setFileName", u"setPath", u"mkpath", u"mkdir",
        u"exists"};
    return Calls;
}

// No letter of any script once placeholders are taken out: translating it changes nothing.
bool hasNoWords(QStringView text)
{
    const bool letters = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
    if (!letters || !text.contains(u'%'))
        return !letters; // most texts: no placeholder to look past
    static const QRegularExpression Placeholders(QStringLiteral(R"(%(?:L?\d+|[-+ #0]*\d*(?:\.\d+)?(?:hh|h|ll|l|L|q|j|z|t)?[diouxXeEfFgGaAcspn]))"));
    QString rest = text.toString();
    rest.remove(Placeholders);
    for (const QChar c : rest)
        if (c.isLetter())
            return false;
    return true;
}

// A file pattern ("*.png;"), or a long run of capitals and digits (a table, a key, hex digits).
bool looksLikeCode(QStringView text)
{
    if (text.contains(u' '))
        return false;
    if (text.startsWith(u"*."))
        return true;
    if (text.size() < 16)
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'); });
}

// One word that reads as a name, key or path: "input.port1", "btnConnect", "KB0::Up", "image/png".
bool looksLikeAName(QStringView text)
{
    if (text.isEmpty() || text.endsWith(u':') || text.endsWith(u"..."))
        return false;
    bool marked = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        if (!plain && !QStringView(u"_.-/:#@").contains(c))
            return false;
        if (c == u'_' || c == u'/' || c == u'#' || c == u'@' || (c == u':' && i + 1 < text.size() && text[i + 1] == u':'))
            marked = true;
        if (c == u'.' && i > 0 && i + 1 < text.size())
            marked = true;
        if (c >= u'a' && c <= u'z' && i + 1 < text.size() && text[i + 1] >= u'A' && text[i + 1] <= u'Z')
            marked = true;
    }
    return marked;
}

} // namespace

QList<StringUse> StringUses(QStringView text, const QList<LiteralSpan> &rows, const QList<CodeRegion> &regions)
{
    return UseReader(text, rows, regions).run();
}

UseKind KindOfUse(const StringUse &use, QStringView text)
{
    if (!use.construct.isEmpty() || text.startsWith(u":/") || text.startsWith(u"qrc:/"))
        return UseKind::Data;
    if (!use.call.isEmpty() && inList(use.call, textCalls()))
        return UseKind::Text;
    if (!use.call.isEmpty() && inList(use.call, dataCalls()))
        return UseKind::Data;
    if (hasNoWords(text) || looksLikeAName(text) || looksLikeCode(text))
        return UseKind::Data;
    return UseKind::Unknown;
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
    return use.function.isEmpty() ? QStringLiteral("→ ") + by : use.function + QStringLiteral(" → ") + by;
}
