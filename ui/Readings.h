#pragma once

#include "engine/scan/CodeStrings.h"
#include "ui/RowMarks.h"

#include <QFuture>
#include <QString>
#include <QStringList>
#include <QThreadPool>

// The rows of one text by one reading, with what the marks read of them.
struct Reading
{
    TextRows rows;
    QStringList literals; // the text at each row's span
    MarksReading marks;

    static Reading Of(const QString &text, bool codeStrings);
};

// Both readings of the loaded text, worked out away from the user-interface
// thread as soon as the text is known, so that a switch of the reading finds
// its rows ready rather than scanning 10 MB while the user waits.
class Readings
{
public:
    Readings();
    ~Readings(); // waits for a reading still being worked out

    // The text is new (a load or a write): both readings are worked out again.
    // `known` is one of them already, as ScanRows(text, codeStrings) reads it.
    void start(const QString &text);
    void start(const QString &text, bool codeStrings, const Reading &known);
    // The text's reading, waited for when it is still being worked out.
    Reading take(bool codeStrings);

private:
    QString m_text;
    QFuture<Reading> m_readings[2]; // [codeStrings]
    QThreadPool m_pool;
};
