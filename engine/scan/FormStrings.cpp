#include "engine/scan/FormStrings.h"

#include "engine/files/ErrorText.h"
#include "engine/files/FileError.h"

#include <QXmlStreamReader>

#include <algorithm>

bool IsFormPath(const QString &path)
{
    return path.endsWith(QLatin1String(".ui"), Qt::CaseInsensitive);
}

namespace {

bool marked(const QXmlStreamAttributes &attributes)
{
    return attributes.value(QLatin1String("notr")) == QLatin1String("true");
}

// What the form says a <string> is for: the nearest widget, action or layout's
// name, and the property, attribute or item it stands in.
struct Where {
    QStringList owners; // names of the enclosing widgets, actions, layouts
    QString property;
    QString use() const
    {
        const QString owner = owners.isEmpty() ? QString() : owners.last();
        return property.isEmpty() ? owner : owner.isEmpty() ? property : owner + QLatin1Char(' ') + property;
    }
};

// A character that stands for itself in element content: no markup, no line
// end a reader would change, nothing XML cannot hold, no half of a pair.
bool plainInContent(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x20 && u != u'<' && u < 0xD800) || (u >= 0xE000 && u <= 0xFFFD) || u == u'\t' || u == u'\n';
}

// Content of plain characters whose only escapes are the five named entities
// ("&amp;File"), decoded without a reader; std::nullopt for anything a reader has to judge.
std::optional<QString> decodeNamedEntities(QStringView written)
{
    if (!std::all_of(written.begin(), written.end(), plainInContent) || written.contains(u"]]>"))
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

TextRows ScanFormStrings(QStringView text, const QString &path)
{
    TextRows rows;
    rows.xml = true;
    QXmlStreamReader xml(text.toString());
    Where where;
    QList<bool> ownerPushed; // per open element: whether it pushed an owner
    bool listMarked = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement()) {
            if (!ownerPushed.isEmpty() && ownerPushed.takeLast())
                where.owners.removeLast();
            if (xml.name() == QLatin1String("stringlist"))
                listMarked = false;
            continue;
        }
        if (!xml.isStartElement())
            continue;
        const QStringView name = xml.name();
        const QXmlStreamAttributes attributes = xml.attributes();
        const bool owner = name == QLatin1String("widget") || name == QLatin1String("action") || name == QLatin1String("layout");
        ownerPushed.append(owner && attributes.hasAttribute(QLatin1String("name")));
        if (ownerPushed.last())
            where.owners.append(attributes.value(QLatin1String("name")).toString());
        if (name == QLatin1String("property") || name == QLatin1String("attribute"))
            where.property = attributes.value(QLatin1String("name")).toString();
        else if (name == QLatin1String("item") && where.property.isEmpty())
            where.property = QStringLiteral("item");
        if (name == QLatin1String("stringlist"))
            listMarked = marked(attributes);
        if (name == QLatin1String("class") && rows.formClass.isEmpty() && where.owners.isEmpty()) {
            ownerPushed.removeLast(); // readElementText consumes the end element
            rows.formClass = xml.readElementText();
            continue;
        }
        if (name != QLatin1String("string"))
            continue;
        ownerPushed.removeLast(); // readElementText consumes the end element
        const qsizetype start = xml.characterOffset();
        const QString content = xml.readElementText();
        if (xml.hasError())
            break;
        const qsizetype end = text.lastIndexOf(QLatin1String("</"), xml.characterOffset() - 1);
        if (!content.isEmpty() && !marked(attributes) && !listMarked && end > start) {
            rows.spans.append({start, end - start});
            rows.rawDelimiters.append(QString());
            rows.contexts.append(attributes.value(QLatin1String("comment")).toString());
            rows.notes.append(attributes.value(QLatin1String("extracomment")).toString());
            rows.uses.append(where.use());
        }
        if (!listMarked)
            where.property.clear();
    }
    if (xml.hasError())
        throw MakeFileError(FileErrorKind::MalformedForm, path,
                            QStringLiteral("第 %1 行第 %2 列：%3").arg(xml.lineNumber()).arg(xml.columnNumber()).arg(xml.errorString()));
    return rows;
}

std::optional<QString> DecodeXmlText(QStringView written)
{
    if (std::optional<QString> text = decodeNamedEntities(written))
        return text;
    QXmlStreamReader xml(QStringLiteral("<x>") + written.toString() + QStringLiteral("</x>"));
    xml.readNextStartElement();
    const QString text = xml.readElementText();
    if (xml.hasError())
        return std::nullopt;
    return text;
}

std::optional<QString> EncodeXmlText(QStringView text)
{
    QString written;
    written.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'&')
            written += QLatin1String("&amp;");
        else if (u == u'<')
            written += QLatin1String("&lt;");
        else if (u == u'>')
            written += QLatin1String("&gt;");
        else if (u == u'\r')
            written += QLatin1String("&#xd;");
        else if (u == u'\t' || u == u'\n' || (u >= 0x20 && u != 0xFFFE && u != 0xFFFF))
            written += c;
        else
            return std::nullopt;
    }
    return written;
}
