#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// A backslash at `at` that ends its line (before LF or CR LF) splices the line
// to the next, before anything else reads the text: the length of the
// backslash and its line break, else 0.
qsizetype SpliceLength(QStringView text, qsizetype at);

// Where the line holding `from` ends once spliced lines are joined: the index
// of its LF, or the text's size.
qsizetype LogicalLineEnd(QStringView text, qsizetype from);

// The characters an ordinary literal's text stands for: \n \t \r \a \b \f \v \\ \" \' \? decoded,
// octal (1-3 digits), \x (all hex digits that follow), \u (4) and \U (8) escapes decoded, a
// backslash before a line break dropped. std::nullopt when an octal or \x escape above 0x7F
// stands for a byte rather than a character, or an escape is malformed (\x without a digit,
// \u with fewer than 4, a surrogate or a value above 0x10FFFF, an unknown letter, a
// backslash at the end, a quote without its backslash).
std::optional<QString> DecodeCppEscapes(QStringView written);

// How text is written inside an ordinary literal: \ as \\, " as \", LF as \n, CR as \r, TAB as \t,
// every other character below U+0020 and U+007F as a three-digit octal escape; all else as it is.
// DecodeCppEscapes(EncodeCppEscapes(t)) == t for every t.
QString EncodeCppEscapes(QStringView text);
