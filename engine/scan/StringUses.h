#pragma once

// What each code string is given to, and whether a person sees it or the
// program reads it, judged place by place over the program's own functions.

#include "engine/scan/CodeStrings.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringView>

// One call around a string, from the inside out.
struct CallHop {
    QString name;     // as written before its "(" or "{": "QProcess::start", "setText", "QStringList"
    int argument = 0; // which of its arguments holds the string, from 0
    QString receiver; // a member call's object: a variable, or the getter it is called on ("text()" of x->text().startsWith)
    QString declared; // `QStringList args{…}`: the variable it makes
};

// What a code string is given to, read from the code around it (not a parser:
// the tokens, brackets and identifiers the scanner already tells apart).
struct StringUse {
    QString call;      // the call or constructor whose arguments hold it, innermost, as written before
                       // its "(" or "{": "QMessageBox::information", "setText" (of btn->setText), "QLabel"
    QString construct; // or what else takes it: "#pragma", "_Pragma", "extern", "asm", "static_assert",
                       // "attribute", "Q_CLASSINFO", "Q_PLUGIN_METADATA", "subscript", "comparison", "qDebug"
    QString function;  // the function defined around it, "Class::method" or "method"; empty outside one
    QList<CallHop> calls; // every call around it in its statement, innermost first
    QString variable;  // the variable its statement gives it to: `x = …`, `x << …`, `x += …`
    QString stream;    // what its statement streams into: `dbg() << …` "dbg", `std::cout << …` "cout"
    QString compared;  // a comparison's other side: a variable, or the getter called ("text()" of b->text() == …)
    int body = -1;     // the function body it stands in, numbered in its file from 0
    bool marked = false; // its line's comment says not to translate it (no-tr, notr, NOTR, no_tr, i18n-ignore)
    bool latin1 = false; // read as Latin-1 (QLatin1String("…"), QString::fromLatin1("…"), "…"_L1), though the file is UTF-8
    bool besideTranslation = false; // joined by + to a translation: `tr("power") + " (W)"`, a piece of what it shows
    bool joined = false;  // joined by + to anything: `dir + "/flags.xml"`, a piece of a longer string
    // Where neither a call nor a construct takes it: what holds it.
    enum class Holder { None, Table, Return, Assignment, DefaultArgument, Macro };
    Holder holder = Holder::None; // an element of a table `names[] = {…}`, a `return`, `x = …`,
                                  // a default argument, a #define's body
    QString holderName;           // the table, the function, the name assigned, the function, the macro
};

// What one function of the program does with its parameters and variables.
struct FunctionFlows {
    QString name;          // "Class::method"
    QStringList parameters;
    struct Pass {
        QString name;         // a parameter or variable
        QList<CallHop> calls; // the calls it is given to, innermost first
        QString stream;       // or the stream it is written into
    };
    QList<Pass> passes;
    QList<std::pair<QString, QString>> into; // a parameter or variable put into another variable
    QSet<QString> shown;   // variables given a text a person sees (`t = ui->btn->text()`)
    QSet<QString> files;   // files made here, and streams onto them (`QFile f(path)`, `QTextStream out(&f)`)
    QSet<QString> markupNames; // written as an element's or an attribute's name: `"<" + s`, `at + "=\""`
};

// What one file's code tells about the program as a whole.
struct FileFlows {
    QList<FunctionFlows> bodies;    // the functions defined in it, in order
    QHash<QString, QString> macros; // a macro's name, and the first name of its body
    QHash<QString, QString> bases;  // a class's name, and the first class it derives from
    QHash<QString, bool> results;   // a function called by name (`toSettingKey(type)`): whether each call gave its result to the program's data
};

struct UseReading {
    QList<StringUse> uses; // one for each row
    FileFlows flows;
};


// One use for each span, in order: each lies in a string literal token (a row of
// ScanCodeStrings(text), or a literal's content), at most one in each; `regions`,
// when given, are ScanCodeRegions(text), as ScanRows keeps them.
UseReading ReadStringUses(QStringView text, const QList<LiteralSpan> &rows, const QList<CodeRegion> &regions = {});
QList<StringUse> StringUses(QStringView text, const QList<LiteralSpan> &rows, const QList<CodeRegion> &regions = {});

// Whether a place's text is seen by a person or is the program's data.
enum class UseKind { Unknown, Text, Data };

// The program's functions and macros over all its files: which parameters of a
// function reach a text a person sees or the program's data, a few calls deep.
class ProgramFlows
{
public:
    int add(FileFlows flows); // the file's number, from 0
    void resolve();           // after the last add, before kindOf
    // A place of a file added as `file` (-1: no file's flows), by its use, then its shape.
    UseKind kindOf(const StringUse &use, QStringView text, int file) const;

private:
    struct Function {
        FunctionFlows flows;
        QList<UseKind> parameters; // what each parameter reaches
    };
    UseKind kindOfCalls(const QList<CallHop> &calls, const QString &stream, const Function *in, bool forParameter, int depth) const;
    UseKind kindOfName(const Function &in, const QString &name, bool forParameter, int depth, int hops = 0) const;
    UseKind kindOfParameter(const QString &function, int argument, const Function *caller) const;
    bool isDataMacro(const QString &name, int depth = 0) const;
    UseKind kindOfBase(const QString &type, int depth = 0) const;
    UseKind kindOfConstant(const QString &name) const;
    UseKind kindOfResult(const QString &function) const;
    bool isShown(const Function *in, const QString &compared) const;

    QList<Function> m_functions;
    QList<qsizetype> m_firstOfFile;
    QHash<QString, QList<qsizetype>> m_byName; // a function's last name part, to its definitions
    QHash<QString, QString> m_macros;
    QHash<QString, QString> m_bases;
    QHash<QString, QList<std::pair<qsizetype, qsizetype>>> m_constantPasses; // a constant's name: where it is passed (function, pass)
    QHash<QString, bool> m_results; // a function's last name: whether every call over the tree gave its result to the program's data
};

// By its construct or call alone (no other file), then by its shape: a text with
// no letter once escapes and placeholders are taken out, or one word that looks
// like a name, key or path, is data.
UseKind KindOfUse(const StringUse &use, QStringView text);

// The use in a translator's words: "Class::method → setText", "→ #pragma", "Class::method".
QString DescribeUse(const StringUse &use);
