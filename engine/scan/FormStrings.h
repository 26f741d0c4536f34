#pragma once

#include "engine/scan/CodeStrings.h"

#include <QByteArray>
#include <QString>
#include <QStringView>


// True for a Qt Designer form (*.ui, in any case).
bool IsFormPath(const QString &path);

// The texts of a Qt Designer form as lupdate takes them: every <string> element
// with content that is not marked notr="true", nor stands in a <stringlist> so
// marked. Each row's span is the element's content as the form's text holds it
// (escapes and all); its context is the element's `comment`, its note its
// `extracomment`, its use the widget's name and the property ("btnConnect text").
// Throws FileError naming the line and column when the form is no well-formed XML.
TextRows ScanFormStrings(QStringView text, const QString &path);

// A form's bytes as text, in the encoding its XML declaration names (UTF-8 when
// it names none; a byte-order mark kept as U+FEFF), whose name goes to
// `encoding` (empty for UTF-8). Throws FileError naming the form when that
// encoding is unknown here, or its bytes do not read back as they are.
QString DecodeForm(const QByteArray &bytes, const QString &path, QByteArray *encoding);

// Whether a form's encoding (empty: UTF-8) holds the character.
bool FormEncodingHolds(const QByteArray &encoding, char32_t c);

// The form's text in its encoding; throws FileError naming the form when that
// encoding cannot hold one of its characters.
QByteArray EncodeForm(const QString &text, const QByteArray &encoding, const QString &path);
