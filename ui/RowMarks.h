#pragma once

#include "engine/scan/CodeStrings.h"
#include "engine/replace/Landing.h"
#include "engine/replace/RowAnalysis.h"
#include "engine/replace/ReplacementChecks.h"
#include "engine/scan/ScanLiterals.h"
#include "engine/scan/SourceLines.h"
#include "engine/scan/StringUses.h"

#include <QObject>
#include <QStringList>
#include <QThreadPool>

#include <vector>

// The rows as the window holds them.
struct Rows
{
    QStringList found;        // List1
    QStringList replacements; // List2
    QStringList written;      // each row's replacement as the last replace left it; its found text before one
    bool operator==(const Rows &other) const
    {
        return found == other.found && replacements == other.replacements && written == other.written;
    }
};

// What the marks read of a text and its rows by one reading: worked out once,
// on any thread, and kept while the text stays the same.
struct MarksReading
{
    SourceLines lines;
    QList<LiteralSpan> spans;
    QStringList rawDelimiters;
    QList<CodePlace> places; // of the quote pairing's rows; empty for the C++ reading
    QList<StringUse> uses;   // of the C++ reading's rows; empty for the quote pairing
    QList<bool> data;        // which of them look like the program's data

    // `codeStrings`: the rows are the C++ reading's; else the quote pairing's,
    // whose rows that are no strings of the code are marked.
    static MarksReading Of(const QString &text, const TextRows &rows, bool codeStrings);
};

// What each row's stored edit will do when "替换文件" is pressed, and what is
// wrong with it: the warning icons and tooltips of the lists. A row is marked
// when its edit lands anywhere but on its own literal, or when its replacement
// would break the literal, its placeholders or its access keys. The work is
// done on a copy of the rows away from the user-interface thread; a result that
// a newer update has made stale is dropped, and marksChanged() follows each
// result that is kept.
class RowMarks : public QObject
{
    Q_OBJECT
public:
    explicit RowMarks(QObject *parent = nullptr);
    ~RowMarks() override; // waits for a computation still running

    // The text the window holds, where each row's literal stands in it and
    // which reading listed the rows (`codeStrings`: the C++ reading; else the
    // quote pairing, whose rows that are no strings of the code are marked).
    void setText(const QString &text, const TextRows &rows, bool codeStrings);
    // The same, read already.
    void setText(const QString &text, const MarksReading &reading);
    // Each changed row over its own literal instead of the first occurrence of its text.
    void setOwnLiterals(bool own);
    // Works the marks out again for these rows; nothing is marked until the result is in.
    void update(const Rows &rows);

    // The latest update's result is in: a computation still running is waited for.
    void settle();
    // The result is in, for these rows and the mode last set.
    bool isFor(const Rows &rows) const { return !m_running && !m_hasPending && m_plan.rows == rows && m_plan.own == m_own; }
    bool busy() const { return m_running || m_hasPending; }
    const QList<Landing> &landings() const { return m_plan.landings; }
    // Which rows the next press changes.
    const PressRows &pressed() const { return m_plan.pressed; }

    bool marked(int row) const;
    bool looksLikeData(int row) const; // the C++ reading's row that only the program reads
    bool readAsLatin1(int row) const;  // the C++ reading's row in QLatin1String("…") and the like
    int markedCount() const { return m_plan.markedCount; }
    QString sourceTip(int row) const;  // the row's own literal in its line
    QString landingTip(int row) const; // that, where the row's edit lands, and what is wrong with it

signals:
    void marksChanged();

private:
    struct Plan : RowAnalysis
    {
        Rows rows;
        bool own = false;
        PressRows pressed;
    };
    static void work(Plan &plan, const QString &text, const QList<LiteralSpan> &spans, const QStringList &rawDelimiters);
    void startPending();
    void finished(int generation, const Plan &plan);
    bool changes(int row) const;
    bool pressAgain(int row) const;
    QString landingNote(int row) const;
    QString firstOccurrenceNote(int row) const;
    QString ownLiteralNote(int row) const;
    QString restoredNote(int row) const;
    QString problemNote(int row) const;
    QString readingNote(int row) const;
    QString useNote(int row) const;
    bool placeMarked(int row) const;
    bool pastLatin1(int row) const;
    QString latin1Note(int row) const;
    QString placeOf(int row, qsizetype position) const;

    QString m_text;
    MarksReading m_reading; // of m_text
    bool m_own = false;
    Plan m_plan;            // the latest result
    Plan m_pending;         // rows waiting for the running computation to end
    bool m_hasPending = false;
    bool m_running = false;
    int m_generation = 0;   // of the latest update
    QThreadPool m_pool;
};
