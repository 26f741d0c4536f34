#include "ui/Readings.h"

#include <QtConcurrent/QtConcurrentRun>

Reading Reading::Of(const QString &text, bool codeStrings)
{
    Reading reading;
    reading.rows = ScanRows(text, codeStrings);
    reading.literals = LiteralsAt(text, reading.rows.spans);
    reading.marks = MarksReading::Of(text, reading.rows, codeStrings);
    return reading;
}

Readings::Readings()
{
    m_pool.setMaxThreadCount(1); // the other core stays the window's
}

Readings::~Readings()
{
    m_pool.waitForDone();
}

void Readings::start(const QString &text)
{
    m_pool.clear(); // a reading of the text before that has not begun
    m_text = text;
    for (const bool codeStrings : {false, true})
        m_readings[codeStrings] = QtConcurrent::run(&m_pool, &Reading::Of, text, codeStrings);
}

void Readings::start(const QString &text, bool codeStrings, const Reading &known)
{
    m_pool.clear();
    m_text = text;
    m_readings[codeStrings] = QtFuture::makeReadyFuture(Reading(known));
    m_readings[!codeStrings] = QtConcurrent::run(&m_pool, &Reading::Of, text, !codeStrings);
}

Reading Readings::take(bool codeStrings)
{
    QFuture<Reading> &reading = m_readings[codeStrings];
    if (!reading.isValid()) // nothing started: no text loaded
        reading = QtConcurrent::run(&m_pool, &Reading::Of, m_text, codeStrings);
    return reading.result();
}
