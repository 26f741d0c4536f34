#pragma once

#include "engine/Landing.h"
#include "engine/ScanLiterals.h"

#include <QObject>
#include <QStringList>
#include <QThreadPool>

#include <vector>

// The lines of a text, to name and show a place in it.
class SourceLines
{
public:
    SourceLines() = default;
    explicit SourceLines(const QString &text);

    int lineOf(qsizetype position) const; // 1-based
    QString show(int line) const;         // the line trimmed, cut to about 80 characters

private:
    QString m_text;
    std::vector<qsizetype> m_starts; // of each line
};

// Where each row's stored edit will land when "替换文件" is pressed, and the
// words that say so: what the lists show as tooltips and List2 as a warning
// icon. The landings are worked out on a copy of the rows away from the
// user-interface thread; a result that a newer update has made stale is
// dropped, and marksChanged() follows each result that is kept.
class LandingMarks : public QObject
{
    Q_OBJECT
public:
    explicit LandingMarks(QObject *parent = nullptr);
    ~LandingMarks() override; // waits for a computation still running

    // The text the window holds, after a load or a replace.
    void setText(const QString &text);
    // Works the landings out again for the text and these rows; nothing is
    // marked until the result is in.
    void update(const QStringList &found, const QStringList &replacements);

    bool marked(int row) const;
    QString sourceTip(int row) const;  // the line of the row's own literal
    QString landingTip(int row) const; // that, and where the row's edit lands

signals:
    void marksChanged();

private:
    struct Plan
    {
        QStringList found, replacements;
        QList<Landing> landings;
    };
    void startPending();
    void finished(int generation, const Plan &plan);
    const Landing *landingOf(int row) const;
    QString landingNote(int row) const;
    QString placeOf(int row, qsizetype position) const;

    QString m_text;
    SourceLines m_lines;
    QList<LiteralSpan> m_spans;
    Plan m_plan;            // the latest result
    Plan m_pending;         // rows waiting for the running computation to end
    bool m_hasPending = false;
    bool m_running = false;
    int m_generation = 0;   // of the latest update
    QThreadPool m_pool;
};
