#include "engine/scan/FormStrings.h"

#include "engine/files/ErrorText.h"
#include "engine/files/FileError.h"

#include <QXmlStreamReader>


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
