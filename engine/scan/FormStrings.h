#pragma once

#include "engine/scan/CodeStrings.h"

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
