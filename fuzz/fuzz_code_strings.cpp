// The C++ reading must list exactly the strings the plain character-by-character rules list,
// the line breaks must be counted right, the escapes must read back what they wrote,
// every string gets one use, read without a step outside the text, a form's
// text decodes as XML's rules read it, and each whole string (adjacent
// literals joined) given a translation reads back as exactly that translation.
#include "Reference.h"

#include "engine/catalog/CatalogFormats.h"
#include "engine/replace/OwnLiterals.h"

#include "engine/scan/CodeStrings.h"
#include "engine/scan/CppEscapes.h"
#include "engine/scan/FindText.h"
#include "engine/scan/XmlText.h"
#include "engine/scan/StringUses.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Pieces of C++ that the rules treat apart; a byte picks one.
const char16_t *const Pieces[] = {
    u"\"", u"'", u"\\", u"/", u"*", u"R", u"u8R", u"LR", u"u8", u"(", u")", u"d", u"1", u"0x1", u"e", u"+",
    u".", u"_", u"#", u"include", u"import", u" ", u"\t", u"\n", u"\r\n", u"a", u"中", u"\U0001F600", u"\uFEFF",
    u"\v", u"x", u"//", u"/*", u"*/", u"\"\\\"\"", u"'\"'", u"R\"(", u")\"", u"R\"d(", u")d\"",
    u"{", u"}", u"[", u"]", u"::", u"==", u"<<", u"f", u"class", u";", u":", u"define", u"pragma", u"qDebug",
    u"&amp;", u"&lt;", u"&gt;", u"&quot;", u"&apos;", u"&#x41;", u"&", u"<", u">", u"]]>", u"&am", u"\r",
    u"<![CDATA[", u"&#0;", u"&#xD800;", u"&#x1F600;", u"&#65;", u"&#xFFFE;", u"&#X41;",
};

QString described(const QList<CodeString> &strings)
{
    QString out;
    for (const CodeString &s : strings)
        out += QStringLiteral("%1,%2,%3%4 ").arg(s.span.start).arg(s.span.length).arg(s.rawDelimiter.isNull()).arg(s.rawDelimiter);
    return out;
}

[[noreturn]] void fail(const char *what, const QString &text)
{
    std::fprintf(stderr, "%s on: %s\n", what, qPrintable(text));
    std::abort();
}

// The text of each whole string, empty where it cannot be decoded.
QStringList wholeStrings(const QString &text, const TextRows &rows, QList<qsizetype> *firsts = nullptr)
{
    QStringList texts;
    for (qsizetype i = 0; i < rows.literals.size(); i = JoinedEnd(rows.literals, i)) {
        texts << JoinedText(text, rows.literals, i, JoinedEnd(rows.literals, i)).value_or(QString());
        if (firsts)
            firsts->append(i);
    }
    return texts;
}

void checkWholeStrings(const QString &text)
{
    const TextRows rows = ScanRows(text, true);
    if (std::any_of(rows.literals.begin(), rows.literals.end(), [](const CodeLiteral &literal) { return literal.malformed; }))
        return; // a raw string's prefix with no "(": what any edit after it does to its reading is no compiler's
    Catalog catalog;
    QList<qsizetype> firsts;
    QStringList expected = wholeStrings(text, rows, &firsts);
    for (const QString &source : std::as_const(expected))
        if (!source.isEmpty())
            catalog.entries.append(CatalogEntry{source, QStringLiteral("«") + source + QStringLiteral("\\»"), true});
    const FillResult fill = FillWholeStrings(CatalogIndex(catalog), text, rows);
    QList<LiteralSpan> spans;
    bool raw = false;
    for (const CodeLiteral &literal : rows.literals) {
        spans.append(literal.content);
        raw |= !literal.rawDelimiter.isNull();
    }
    const QString written = ReplaceOwnLiterals(text, spans, fill.replacements).text;
    for (qsizetype k = 0; k < expected.size(); ++k)
        if (fill.filledRows.contains(int(firsts[k])))
            expected[k] = QStringLiteral("«") + expected[k] + QStringLiteral("\\»");
    if (wholeStrings(written, ScanRows(written, true)) != expected)
        fail("a whole string's translation does not read back as written", text);
    if (!raw && written.count(u'\n') != text.count(u'\n'))
        fail("a whole string's translation moved the lines", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString text;
    for (size_t i = 0; i < size; ++i)
        text += QStringView(Pieces[data[i] % std::size(Pieces)]);

    const QList<CodeString> strings = ScanCodeStrings(text);
    if (described(strings) != described(ReferenceCodeStrings(text)))
        fail("ScanCodeStrings differs from the plain rules", text);
    qsizetype end = 0;
    for (const CodeString &s : strings) {
        if (s.span.start < end || s.span.length <= 0 || s.span.start + s.span.length > text.size())
            fail("ScanCodeStrings gave spans out of order or outside the text", text);
        end = s.span.start + s.span.length;
    }
    // A span of the quote-pairing rows is placed as a string exactly when it is a code string's.
    const QList<LiteralSpan> spans = ScanLiteralSpans(text);
    const QList<CodePlace> places = PlaceSpans(text, spans);
    for (qsizetype i = 0; i < spans.size(); ++i) {
        bool isString = false;
        for (const CodeString &s : strings)
            isString |= s.span.start == spans[i].start && s.span.length == spans[i].length;
        if (isString != (places[i] == CodePlace::String))
            fail("PlaceSpans disagrees with ScanCodeStrings", text);
    }
    // Every string gets one use: a call, a construct or neither, never both.
    QList<LiteralSpan> rows;
    for (const CodeString &s : strings)
        rows.append(s.span);
    const QList<StringUse> uses = StringUses(text, rows);
    if (uses.size() != rows.size())
        fail("StringUses gave another number of uses than strings", text);
    for (qsizetype i = 0; i < uses.size(); ++i) {
        if (!uses[i].call.isEmpty() && !uses[i].construct.isEmpty())
            fail("StringUses gave a string both a call and a construct", text);
        (void)KindOfUse(uses[i], QStringView(text).sliced(rows[i].start, rows[i].length));
    }
    checkWholeStrings(text);
    // Line numbers come from the counted line breaks.
    if (CountChar(text, u'\n') != std::count(text.cbegin(), text.cend(), u'\n'))
        fail("CountChar counts the line breaks wrong", text);
    // The bytes as UTF-16 text of any plane, lone surrogates left out, read back
    // through the escapes; the pieces' text decoded too, for reads past the end.
    QString any;
    for (size_t i = 0; i + 1 < size; i += 2)
        any += QChar(char16_t(data[i] | data[i + 1] << 8));
    const QList<uint> points = any.toUcs4(); // lone surrogates become U+FFFD, dropped next
    any = QString::fromUcs4(reinterpret_cast<const char32_t *>(points.constData()), points.size()).remove(QChar::ReplacementCharacter);
    if (DecodeCppEscapes(EncodeCppEscapes(any)) != any)
        fail("DecodeCppEscapes does not read back what EncodeCppEscapes wrote", any);
    (void)DecodeCppEscapes(text);
    if (DecodeXmlText(text) != ReferenceXmlText(text))
        fail("DecodeXmlText differs from the rules of XML", text + QStringLiteral("\nread: ") + DecodeXmlText(text).value_or("-")
                                                                    + QStringLiteral("\nby the rules: ") + ReferenceXmlText(text).value_or("-"));
    return 0;
}
