#pragma once

// XML text, one codec for the .ts catalogs and the forms: what element content
// stands for, and how a text is written as content or as an attribute's value.

#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// Whether XML 1.0 can hold the character (its Char rule): TAB, LF, CR, U+0020
// to U+D7FF, U+E000 to U+FFFD and U+10000 on.
bool XmlHolds(char32_t c);

// Appends the text as element content: & < > escaped (and " with `quote`, as
// Qt's writer does), a carriage return as &#xd; (a reader makes a bare one a
// line feed). A character XML cannot hold (a lone surrogate too) is given to
// `unheld` to append what stands for it; without one the append stops there
// and returns false.
using XmlUnheld = std::function<void(QString &out, char32_t c)>;
bool AppendXmlContent(QString &out, QStringView text, bool quote, const XmlUnheld &unheld = {});

// Appends the text as an attribute's value in double quotes: & < > " escaped,
// and TAB, LF and CR as references (a reader makes bare ones spaces).
void AppendXmlAttribute(QString &out, QStringView text);

// The same straight into UTF-8, for a writer of large files: the text as element
// content, or with `attribute` as an attribute's value (without its quotes).
// At a character XML cannot hold it returns false and leaves `out` as it was:
// the caller writes that text as it writes one in a QString.
bool AppendXmlUtf8(QByteArray &out, QStringView text, bool quote, bool attribute);

// Element content for the text, quotes left as they are; std::nullopt when it
// holds a character XML cannot hold. A character the file's encoding cannot
// hold (`encodable` says no) is written as a character reference, &#x4F60;.
std::optional<QString> EncodeXmlText(QStringView text, const std::function<bool(char32_t)> &encodable = {});

// The text that element content stands for; std::nullopt when it is no
// well-formed content (markup other than text, references and CDATA included).
std::optional<QString> DecodeXmlText(QStringView written);
