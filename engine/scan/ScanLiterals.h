#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// Lists the double-quoted literals of a C++ text in the order they occur.
// Quotation marks pair strictly in sequence; a pair whose opening mark follows
// a backslash, an empty or all-space pair, and a pair holding a TAB give no row.
// Each row is trimmed of leading and trailing U+0020 spaces only.
// The scan by its original name; the window and the tools use the spans below.
QStringList ScanLiterals(QStringView text);

// Where each row of ScanLiterals lies in the text.
struct LiteralSpan { qsizetype start = 0; qsizetype length = 0; }; // 0-based UTF-16 index of the trimmed literal
QList<LiteralSpan> ScanLiteralSpans(QStringView text); // row i: text.mid(start, length) == ScanLiterals(text)[i]

// The text at each span: ScanLiterals(text) for the spans ScanLiteralSpans gives.
QStringList LiteralsAt(QStringView text, const QList<LiteralSpan> &spans);
