#include "engine/scan/XmlText.h"

#include <QXmlStreamReader>

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

bool XmlHolds(char32_t c)
{
    return c == u'\t' || c == u'\n' || c == u'\r' || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

namespace {

// The escape of a character that has one here; empty for one that stands for itself.
QLatin1StringView escapeOf(char16_t c, bool quote, bool attribute)
{
    switch (c) {
    case u'&': return QLatin1StringView("&amp;");
    case u'<': return QLatin1StringView("&lt;");
    case u'>': return QLatin1StringView("&gt;");
    case u'"': return quote ? QLatin1StringView("&quot;") : QLatin1StringView();
    case u'\r': return attribute ? QLatin1StringView("&#13;") : QLatin1StringView("&#xd;");
    case u'\n': return attribute ? QLatin1StringView("&#10;") : QLatin1StringView();
    case u'\t': return attribute ? QLatin1StringView("&#9;") : QLatin1StringView();
    default: return QLatin1StringView();
    }
}

// The runs of characters that stand for themselves are appended whole.
bool appendEscaped(QString &out, QStringView text, bool quote, bool attribute, const XmlUnheld &unheld)
{
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u >= 0x20 && u < 0xD800 && u != u'&' && u != u'<' && u != u'>' && u != u'"')
            continue; // the common case, decided at once
        const bool pair = QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(u, text[i + 1].unicode()) : u;
        const QLatin1StringView escape = escapeOf(u, quote, attribute);
        if (escape.isEmpty() && XmlHolds(c)) {
            i += pair;
            continue;
        }
        out.append(text.mid(from, i - from));
        from = i + 1;
        if (!escape.isEmpty())
            out.append(escape);
        else if (unheld)
            unheld(out, c);
        else
            return false;
    }
    out.append(text.mid(from));
    return true;
}

// Content of characters that stand for themselves, or for the five named
// entities ("&amp;File"), decoded without a reader; std::nullopt for anything a reader has to judge.
std::optional<QString> decodeNamedEntities(QStringView written)
{
    const auto plain = [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x20 && u != u'<' && u < 0xD800) || (u >= 0xE000 && u <= 0xFFFD) || u == u'\t' || u == u'\n';
    };
    if (!std::all_of(written.begin(), written.end(), plain) || written.contains(u"]]>"))
        return std::nullopt;
    static const struct {
        QStringView name;
        QChar stands;
    } Named[] = {{u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&apos;", u'\''}};
    QString text;
    text.reserve(written.size());
    for (qsizetype from = 0;;) {
        const qsizetype at = written.indexOf(u'&', from);
        text += written.mid(from, at < 0 ? -1 : at - from);
        if (at < 0)
            return text;
        const auto named = std::find_if(std::begin(Named), std::end(Named), [&](const auto &entity) { return written.mid(at).startsWith(entity.name); });
        if (named == std::end(Named))
            return std::nullopt;
        text += named->stands;
        from = at + named->name.size();
    }
}

} // namespace

bool AppendXmlContent(QString &out, QStringView text, bool quote, const XmlUnheld &unheld)
{
    return appendEscaped(out, text, quote, false, unheld);
}

void AppendXmlAttribute(QString &out, QStringView text)
{
    out.append(u'"');
    // A character XML cannot hold is left as it is, as Qt's writer leaves it.
    appendEscaped(out, text, true, true, [](QString &to, char32_t c) { to.append(QChar(char16_t(c))); });
    out.append(u'"');
}

bool AppendXmlUtf8(QByteArray &out, QStringView text, bool quote, bool attribute)
{
    const qsizetype before = out.size();
    out.resize(before + 6 * text.size()); // room for the longest a character is written as: "&quot;"
    char *const start = out.data() + before;
    char *to = start;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
#ifdef __SSE2__
        // Eight characters at a time while they stand for themselves in ASCII: most of a catalog.
        for (; i + 8 <= n; i += 8) {
            const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text.utf16() + i));
            const __m128i odd = _mm_or_si128( // below 0x20 (and past 0x7FFF, read as signed), past 0x7F, or markup
                _mm_or_si128(_mm_cmplt_epi16(eight, _mm_set1_epi16(0x20)), _mm_cmpgt_epi16(eight, _mm_set1_epi16(0x7F))),
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(eight, _mm_set1_epi16('&')), _mm_cmpeq_epi16(eight, _mm_set1_epi16('<'))),
                             _mm_or_si128(_mm_cmpeq_epi16(eight, _mm_set1_epi16('>')), _mm_cmpeq_epi16(eight, _mm_set1_epi16('"')))));
            if (_mm_movemask_epi8(odd))
                break;
            _mm_storel_epi64(reinterpret_cast<__m128i *>(to), _mm_packus_epi16(eight, eight));
            to += 8;
        }
        if (i == n)
            break;
#endif
        const char16_t u = text[i].unicode();
        if (u >= 0x20 && u < 0x80 && u != u'&' && u != u'<' && u != u'>' && u != u'"') {
            *to++ = char(u); // the common case, decided at once
            continue;
        }
        const QLatin1StringView escape = escapeOf(u, quote, attribute);
        const bool pair = QChar::isHighSurrogate(u) && i + 1 < n && text[i + 1].isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(u, text[i + 1].unicode()) : u;
        if (escape.isEmpty() && !XmlHolds(c)) { // a lone surrogate too
            out.resize(before);
            return false;
        }
        i += pair;
        if (!escape.isEmpty()) {
            std::memcpy(to, escape.data(), size_t(escape.size()));
            to += escape.size();
        } else if (c < 0x80) {
            *to++ = char(c);
        } else if (c < 0x800) {
            *to++ = char(0xC0 | (c >> 6));
            *to++ = char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *to++ = char(0xE0 | (c >> 12));
            *to++ = char(0x80 | ((c >> 6) & 0x3F));
            *to++ = char(0x80 | (c & 0x3F));
        } else {
            *to++ = char(0xF0 | (c >> 18));
            *to++ = char(0x80 | ((c >> 12) & 0x3F));
            *to++ = char(0x80 | ((c >> 6) & 0x3F));
            *to++ = char(0x80 | (c & 0x3F));
        }
    }
    out.resize(before + (to - start));
    return true;
}

std::optional<QString> EncodeXmlText(QStringView text, const std::function<bool(char32_t)> &encodable)
{
    QString written;
    written.reserve(text.size());
    if (!AppendXmlContent(written, text, false))
        return std::nullopt;
    if (!encodable)
        return written;
    QString referenced;
    for (const char32_t c : written.toUcs4()) // valid UTF-16 now: no lone surrogate
        if (encodable(c))
            referenced += QStringView(QChar::fromUcs4(c));
        else
            referenced += QLatin1String("&#x") + QString::number(uint(c), 16).toUpper() + u';';
    return referenced;
}

std::optional<QString> DecodeXmlText(QStringView written)
{
    if (std::optional<QString> text = decodeNamedEntities(written))
        return text;
    if (written.startsWith(QChar(0xFEFF))) { // Qt's reader drops one that opens an element's text
        const std::optional<QString> rest = DecodeXmlText(written.mid(1));
        return rest ? std::optional<QString>(QChar(0xFEFF) + *rest) : std::nullopt;
    }
    QXmlStreamReader xml(QStringLiteral("<x>") + written.toString() + QStringLiteral("</x>"));
    xml.readNextStartElement();
    const QString text = xml.readElementText();
    // An end tag inside the content ("a</x>b") would end the element early: the rest must be the end.
    while (!xml.atEnd() && !xml.hasError())
        xml.readNext();
    if (xml.hasError())
        return std::nullopt;
    return text;
}
