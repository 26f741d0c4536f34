#pragma once

// catalog/: the strings handed to a translator and taken back. The model
// (this header), rows into entries (CatalogRows.cpp), one file per format
// behind a small table (CatalogFormats.h: TsFormat.cpp, PoFormat.cpp), and
// translations back into rows (CatalogFill.cpp).

#include "engine/files/Problem.h"
#include "engine/scan/CodeStrings.h"
#include "engine/scan/StringUses.h"

#include <QHash>
#include <QSet>
#include <QList>
#include <QString>
#include <QStringList>

// The strings of one or more files as a translator's tool takes them: one
// entry per distinct text, with every place it stands, and its translation.
struct CatalogPlace {
    QString file; // relative to the catalog's folder, '/' separators
    int line = 0; // 1-based
    bool data = false; // it looks like the program's data: an import leaves it as it is
};

struct CatalogEntry {
    QString source;      // what the literal stands for (escapes decoded; a raw string's text as it is)
    QString translation; // empty when there is none
    bool finished = false;
    QList<CatalogPlace> places;
    QString context;     // the disambiguation (.ts <comment>, .po msgctxt): none for a C++ literal
    QString note;        // for the translator (.ts <extracomment>, .po "#.")
    int line = 0;        // where the entry stands in the catalog it was read from
    bool data = false;   // every place of it looks like the program's data, not a text a person sees
    QString owner;       // the .ts <context> it is listed in: the class of its first place, or that place's file name
    QString comment;     // the translator's own (.ts <translatorcomment>, .po "# ")
    QString oldSource;   // a suggestion's: the earlier text its translation was made for (.ts <oldsource>, .po "#| msgid")
    bool obsolete = false; // its text is gone from the program (.ts type="vanished", .po "#~"): kept for its translation
    int dataPlaces() const;
};
Q_DECLARE_TYPEINFO(CatalogPlace, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(CatalogEntry, Q_RELOCATABLE_TYPE);

// The problem of the entry at `line` of the catalog whose text is `source`;
// `detail` names an entity or an element.
Problem MakeCatalogProblem(Problem::Kind kind, const QString &catalog, int line, const QString &source, const QString &detail = QString());

struct Catalog {
    QList<CatalogEntry> entries;
    int undecodable = 0; // rows left out: their escapes stand for bytes, or are malformed
    Problems problems; // entries read but left out
};

// A lookup key: the text, and its disambiguation where it has one.
QString CatalogKey(const QString &context, const QString &source);

// One loaded file's rows, as the window or the command line holds them.
struct CatalogSource {
    QString path;             // the file
    QString text;             // its text
    TextRows rows;            // where each row stands, raw delimiters
    QStringList replacements; // each row's current replacement; a changed one is a finished translation
    // The C++ strings as the compiler has them rather than the rows: adjacent
    // literals one text, spaces kept (the command line's catalog; replacements unused).
    bool wholeStrings = false;
};

// Entries in first-row order over the sources, places relative to `folder`.
Catalog CatalogFromRows(const QList<CatalogSource> &sources, const QString &folder);

// The same in two steps, for many files: each file's rows as their texts (one
// file at a time, on any thread), then merged in the order of the files.
struct CatalogRows {
    struct Row {
        QString source;
        QString translation; // null: none
        int line = 0;
        QString context, note;
        QString use;       // where and by what it is used: "Class::method → setText", "form.ui btnGo text"
        qsizetype reading = -1; // what the C++ reading found around it, in `readings`; none for a form's text, which is seen
        bool form = false;
        QString owner;     // the class it stands in ("Class" of "Class::method", a form's class), or its file's name
    };
    QString file;
    QList<Row> rows;
    QList<StringUse> readings; // the C++ reading of each place, as ReadStringUses gives them
    FileFlows flows; // what the file's functions do with their parameters, for the whole tree's judgement
    int undecodable = 0;
};
CatalogRows PrepareCatalogRows(const CatalogSource &source, const QString &folder);
Catalog MergeCatalogRows(const QList<CatalogRows> &files);

// The merge file by file, as each file's rows come. Once all have come, each
// place is judged over the whole tree's functions (seen or data). Each entry's
// note tells the translator where the text is used: the distinct uses, five at
// most, then how many more, and the places it has as data; an entry is data
// when all its places are.
class CatalogMerger
{
public:
    void add(CatalogRows file);
    Catalog take();

private:
    struct Judged {
        qsizetype entry, place;
        int file;          // in m_readings and in the program's flows
        qsizetype reading; // its reading there, which judges it
    };
    void addUse(qsizetype entry, const QString &use);
    static void noteUses(CatalogEntry &entry, const QStringList &uses);
    Catalog m_catalog;
    QHash<QString, qsizetype> m_entryOf; // an entry's number, counted from 1
    QList<QStringList> m_uses; // each entry's distinct uses, in the order first met
    QList<Judged> m_judged;    // the C++ places, judged at the end
    QList<QList<StringUse>> m_readings; // each file's readings of its places, kept until then
    ProgramFlows m_flows;
    QHash<qsizetype, QSet<QString>> m_manyUses; // the same as a set, for an entry of many uses
};

// The catalog without the entries that look like the program's data; how many were left out.
int LeaveOutData(Catalog &catalog);
// The places of all its entries that look like the program's data.
int DataPlaces(const Catalog &catalog);

// Which rows of a file look like the program's data, judged over the program's
// flows (`file`: the file's number in them); a form's rows are all seen.
QList<bool> DataRows(const QString &text, const TextRows &rows, const ProgramFlows &flows, int file);
// The same by the file's own functions alone.
QList<bool> DataRows(const QString &text, const TextRows &rows);
// For a C++ text's whole strings (TextRows::literals), by their first literal: which
// look like the program's data, judged as the export judges it (none without `flows`),
// and which the code reads as Latin-1.
struct LiteralKinds {
    QList<bool> data, latin1;
};
LiteralKinds JudgeLiterals(const QString &text, const TextRows &rows, const ProgramFlows *flows, int file);

// Writes a Qt Linguist .ts (a context for each entry's owner, in the order first met;
// `context` names the one of entries without an owner) or, for a path ending in .po or
// .pot or with `asPo`, a gettext .po. `language` and `sourceLanguage` may be empty. Throws FileError.
void WriteCatalog(const Catalog &catalog, const QString &path, const QString &context,
                  const QString &language = QString(), const QString &sourceLanguage = QString(), bool asPo = false);

// What an update of a catalog did with each entry.
struct CatalogUpdateCounts {
    int kept = 0;      // texts the old catalog has: their translation, state and comment kept
    int suggested = 0; // new texts given a similar old text's translation, unfinished
    int added = 0;     // new texts with nothing to go on
    int obsolete = 0;  // old translated texts that are gone, kept as obsolete
    int dropped = 0;   // the same, left out when asked
};

// The fresh catalog of a tree, updated from the catalog it replaces, as lupdate
// and msgmerge do: entries matched by text and disambiguation alone (never by
// place or file), a new text similar to an old translated one given its
// translation as an unfinished suggestion, old translated texts that are gone
// kept as obsolete unless `keepObsolete` is false.
CatalogUpdateCounts UpdateCatalog(Catalog &fresh, const Catalog &old, bool keepObsolete = true);

// How alike two texts are, from 0 to 1: twice the longest common subsequence
// of their characters over their total length.
double TextSimilarity(QStringView a, QStringView b);

// Reads a .ts, .po or .pot, by its extension. A malformed file throws FileError
// naming the file, line and column. Entries that cannot be written (see
// Problem::Kind) are left out, each a problem naming its line; a text
// translated two ways is kept both ways when `keepConflicts` (for a catalog to
// be updated, not imported).
Catalog ReadCatalog(const QString &path, bool keepConflicts = false);

struct FillCounts {
    int filled = 0;         // rows given their translation
    int alreadyChanged = 0; // rows with a translation that the user had changed: kept
    int unfinished = 0;     // rows whose text has an entry without a finished translation
    int notFound = 0;       // finished translations whose text is no row of this file, nor already written in it
    int notWritable = 0;    // rows whose text or translation cannot be written into their literal
    int leftAsData = 0;     // rows with a translation that look like the program's data: left as found
};

struct FillResult {
    QStringList replacements;
    FillCounts counts;
    QList<int> notWritableRows; // the rows counted in notWritable
    QHash<int, QString> notLatin1; // of those, strings read as Latin-1: the first character their translation cannot put there
    QSet<const CatalogEntry *> used; // the finished translations whose text is a row here
    QList<int> filledRows;           // FillWholeStrings: the first literal of each string given its translation,
    QList<const CatalogEntry *> filledEntries; // and the entry it came from
    QSet<const CatalogEntry *> written; // the finished translations that a row here already holds
    QSet<const CatalogEntry *> unfinished; // translated entries marked unfinished or fuzzy whose text is a row here
};

// A catalog's entries by their text, made once for many files; obsolete ones left out.
class CatalogIndex
{
public:
    explicit CatalogIndex(const Catalog &catalog);
    const CatalogEntry *find(const QString &key) const { return m_entries.value(key); }
    // The finished entry whose translation (and disambiguation) this is: a row already translated.
    const CatalogEntry *findTranslation(const QString &key) const { return m_translated.value(key); }
    // Entries with a finished translation different from their text.
    int translations() const { return m_translations; }

private:
    QHash<QString, const CatalogEntry *> m_entries;
    QHash<QString, const CatalogEntry *> m_translated;
    int m_translations = 0;
};

// Each row still equal to its found text whose text (and disambiguation) has a
// finished translation different from it gets that translation, written as its
// place needs it: a C++ literal escaped, a raw string as it is, a form's XML-escaped.
// Rows marked in `dataRows` are left as found; those in `latin1Rows` (read as
// Latin-1) get only a translation Latin-1 holds, past ASCII as octal escapes.
FillResult FillFromCatalog(const CatalogIndex &index, const QStringList &found, const QStringList &replacements,
                           const TextRows &rows, const QList<bool> &dataRows = {}, const QList<bool> &latin1Rows = {});
FillResult FillFromCatalog(const Catalog &catalog, const QStringList &found, const QStringList &replacements,
                           const TextRows &rows, const QList<bool> &dataRows = {}, const QList<bool> &latin1Rows = {});

// The same for a C++ text's whole strings (TextRows::literals): each string
// (adjacent literals joined, spaces kept) whose text has a finished translation
// gets it in its first literal, written as that literal needs it, and its other
// literals emptied, so that the code compiles to exactly the translation and
// keeps its lines. A single literal whose whole text has no entry but whose
// trimmed row has one (a catalog of rows) gets it over the row. The
// replacements are each literal's new content, one per literal.
// Strings whose first literal `kinds` marks as data are left as they are; one read
// as Latin-1 gets only a translation Latin-1 holds.
FillResult FillWholeStrings(const CatalogIndex &index, const QString &text, const TextRows &rows,
                            const LiteralKinds &kinds = {});
