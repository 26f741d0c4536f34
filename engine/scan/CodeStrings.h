#pragma once

// scan/: reading a text. The quote pairing (ScanLiterals) and the C++ reading
// (CodeStrings) find the rows; CppEscapes says what a literal stands for;
// FormStrings reads a Designer form's texts; StringUses what each code string
// is given to; FindText and SourceLines find characters and lines.

#include "engine/scan/ScanLiterals.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// A string literal token of a C++ text.
struct CodeString {
    LiteralSpan span;     // the row's text, trimmed as ScanLiteralSpans trims it
    QString rawDelimiter; // R"d( ... )d": "d" (empty for R"(...)"); a null QString for an ordinary literal
};
Q_DECLARE_TYPEINFO(CodeString, Q_RELOCATABLE_TYPE); // a growing list moves its rows by memory copy

// What ends a raw string with this delimiter: )d"
QString RawStringClosing(const QString &delimiter);

// A whole string literal token, as the catalog takes it: all of its content,
// spaces and TABs included, and whether the compiler joins it to the one before.
struct CodeLiteral {
    LiteralSpan content;  // between the quotes (a raw string's parentheses), untrimmed
    QString rawDelimiter; // as CodeString's
    bool joinsPrevious = false; // only blanks, spliced lines and comments since the literal before: one string
    qsizetype row = -1;   // its row (an index into TextRows::spans), or -1 when it gives none
    bool malformed = false; // a raw string's prefix with no "(" after its delimiter: no compiler reads it
};
Q_DECLARE_TYPEINFO(CodeLiteral, Q_RELOCATABLE_TYPE);

// The string literal tokens of a C++ text, in order, as a compiler reads them:
// comments, character literals, numbers with digit separators and the header
// names of #include / #include_next / #import lines are skipped, raw strings
// are read whole. The same row rules as ScanLiteralSpans: trimmed of U+0020 at
// both ends; no row when nothing is left or a TAB remains.
QList<CodeString> ScanCodeStrings(QStringView text);

// What a span of the text is, read as a compiler reads it.
enum class CodePlace {
    String,       // exactly the row of a string literal token
    InsideString, // starts inside a string literal token but is not its row
    Comment,      // starts inside a comment
    HeaderName,   // starts inside the "name" of an #include line
    Code,         // starts anywhere else: code between two literals
};

// A stretch of a C++ text that is no plain code, as the scanner read it.
struct CodeRegion {
    qsizetype start = 0;
    qsizetype end = 0;
    CodePlace place = CodePlace::Code; // String, Comment, HeaderName, or Code for a character literal
    LiteralSpan row{-1, 0};            // String: its row, start -1 when it gives none
};
QList<CodeRegion> ScanCodeRegions(QStringView text);

// The place of each span; `spans` ordered by start, as ScanLiteralSpans gives them.
QList<CodePlace> PlaceSpans(QStringView text, const QList<LiteralSpan> &spans);

// The rows of a text by either reading: where each stands, and each row's raw
// string delimiter (a null QString for an ordinary literal, and for every row
// of the quote pairing). A form's rows are XML content, with what the form
// says of each.
struct TextRows {
    QList<LiteralSpan> spans;
    QStringList rawDelimiters;
    bool xml = false;     // the rows are a form's: their text is XML element content
    QByteArray encoding;  // a form's, as its XML declaration names it; empty for UTF-8
    QStringList contexts; // a form's: each row's disambiguation
    QStringList notes;    // a form's: each row's note for the translator
    QStringList uses;     // a form's: each row's widget and property
    QString formClass;    // a form's: the class it makes (its <class>)
    QList<CodeRegion> regions; // the C++ reading's: what its scan found, for a second look without a second scan
    QList<CodeLiteral> literals; // the C++ reading's: every terminated string literal token
};
TextRows ScanRows(QStringView text, bool codeStrings);
