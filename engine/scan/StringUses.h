#pragma once

#include "engine/scan/CodeStrings.h"

#include <QList>
#include <QString>
#include <QStringView>

// What a code string is given to, read from the code around it (not a parser:
// the tokens, brackets and identifiers the scanner already tells apart).
struct StringUse {
    QString call;      // the call or constructor whose arguments hold it, innermost, as written before
                       // its "(" or "{": "QMessageBox::information", "setText" (of btn->setText), "QLabel"
    QString construct; // or what else takes it: "#pragma", "_Pragma", "extern", "asm", "static_assert",
                       // "attribute", "Q_CLASSINFO", "Q_PLUGIN_METADATA", "subscript", "comparison", "qDebug"
    QString function;  // the function defined around it, "Class::method" or "method"; empty outside one
    // Where neither a call nor a construct takes it: what holds it.
    enum class Holder { None, Table, Return, Assignment, DefaultArgument, Macro };
    Holder holder = Holder::None; // an element of a table `names[] = {…}`, a `return`, `x = …`,
                                  // a default argument, a #define's body
    QString holderName;           // the table, the function, the name assigned, the function, the macro
};

// One use for each span, in order: each lies in a string literal token (a row of
// ScanCodeStrings(text), or a literal's content), at most one in each; `regions`,
// when given, are ScanCodeRegions(text), as ScanRows keeps them.
QList<StringUse> StringUses(QStringView text, const QList<LiteralSpan> &rows, const QList<CodeRegion> &regions = {});

// Whether a place's text is seen by a person or is the program's data.
enum class UseKind { Unknown, Text, Data };

// By its construct or call, then by its shape: a text with no letter once escapes and
// placeholders are taken out, or one word that looks like a name, key or path, is data.
UseKind KindOfUse(const StringUse &use, QStringView text);

// The use in a translator's words: "Class::method → setText", "→ #pragma", "Class::method".
QString DescribeUse(const StringUse &use);
