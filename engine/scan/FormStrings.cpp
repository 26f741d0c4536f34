#include "engine/scan/FormStrings.h"

#include "engine/files/FileError.h"

#include "engine/files/Utf8NoBomFile.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <optional>


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
    // The reader passes over a byte-order mark without counting it: its offsets are after it.
    const qsizetype mark = text.startsWith(QChar(0xFEFF)) ? 1 : 0;
    QXmlStreamReader xml(text.mid(mark).toString());
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
        const qsizetype start = mark + xml.characterOffset();
        const QString content = xml.readElementText();
        if (xml.hasError())
            break;
        const qsizetype end = text.lastIndexOf(QLatin1String("</"), mark + xml.characterOffset() - 1);
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
        throw FileError(ProblemAt(Problem::MalformedForm, path, xml.lineNumber(), xml.columnNumber(), xml.errorString()));
    return rows;
}

namespace {

// The encoding a form's XML declaration names; empty for UTF-8, or when it names none.
QByteArray declaredEncoding(const QByteArray &bytes)
{
    const QByteArray start = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3, 200) : bytes.left(200);
    if (!start.startsWith("<?xml"))
        return QByteArray();
    static const QRegularExpression encoding(QStringLiteral(R"(^<\?xml[^>]*?\sencoding\s*=\s*["']([A-Za-z0-9._:-]+)["'])"));
    const QString name = encoding.match(QString::fromLatin1(start.left(start.indexOf("?>")))).captured(1);
    return name.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0 || name.compare(QLatin1String("UTF8"), Qt::CaseInsensitive) == 0
        ? QByteArray() : name.toLatin1();
}

} // namespace

namespace {
std::optional<QByteArray> encoded(QStringView text, const QByteArray &encoding);
}

QString DecodeForm(const QByteArray &bytes, const QString &path, QByteArray *encoding)
{
    *encoding = declaredEncoding(bytes);
    if (encoding->isEmpty())
        return Utf8NoBomFile::DecodeUtf8(bytes, path);
    QStringDecoder decoder(encoding->constData(), QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    Problem problem = ProblemAbout(Problem::UnknownFormEncoding, path);
    problem.detail = QString::fromLatin1(*encoding);
    if (!decoder.isValid())
        throw FileError(problem);
    const QString text = decoder.decode(bytes);
    problem.kind = Problem::NotInFormEncoding;
    if (decoder.hasError() || encoded(text, *encoding) != bytes)
        throw FileError(problem);
    return text;
}

namespace {

// The text in the encoding, or nothing when the encoding cannot hold it (Qt's
// encoders write "?" for a character they cannot hold: it is read back to tell).
std::optional<QByteArray> encoded(QStringView text, const QByteArray &encoding)
{
    QStringEncoder encoder(encoding.constData(), QStringConverter::Flag::Stateless);
    QStringDecoder decoder(encoding.constData(), QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QByteArray bytes = encoder.encode(text);
    const QString back = decoder.decode(bytes);
    if (!encoder.isValid() || encoder.hasError() || back != text || decoder.hasError())
        return std::nullopt;
    return bytes;
}

} // namespace

bool FormEncodingHolds(const QByteArray &encoding, char32_t c)
{
    return encoding.isEmpty() || encoded(QChar::fromUcs4(c), encoding).has_value();
}

QByteArray EncodeForm(const QString &text, const QByteArray &encoding, const QString &path)
{
    if (encoding.isEmpty())
        return Utf8NoBomFile::EncodeUtf8(text, path);
    if (std::optional<QByteArray> bytes = encoded(text, encoding))
        return *bytes;
    const QList<uint> points = text.toUcs4();
    const auto unheld = std::find_if(points.cbegin(), points.cend(), [&](uint c) { return !FormEncodingHolds(encoding, c); });
    const QString character = unheld == points.cend() ? QString() : QString::fromUcs4(reinterpret_cast<const char32_t *>(&*unheld), 1);
    Problem problem = ProblemAbout(Problem::FormEncodingCannotHold, path);
    problem.detail = QString::fromLatin1(encoding);
    problem.text = character;
    throw FileError(problem);
}
