#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace Bench {

// Median wall time in milliseconds of `runs` runs of `measured`; `prepare`
// runs before each one, outside the timing.
double MedianMs(int runs, const std::function<void()> &measured, const std::function<void()> &prepare = {});

// C++-like source with the given number of literals, about charsPerLiteral
// characters of code per literal, some literal texts repeated as in real files.
QString GeneratedSource(qsizetype literals, qsizetype charsPerLiteral, quint32 seed = 1);

// Every row translated to CJK text, or only every `stride`-th row.
QStringList Translations(const QStringList &found, qsizetype stride = 1);

// The rule as it reads: each row searches the whole text from its start.
QString StraightforwardApply(QString text, const QStringList &found, const QStringList &replacements);

QString Ms(double value); // "12.3 ms"
void WriteFile(const QString &path, const QByteArray &bytes);
void PrintTable(const char *title, const QStringList &columns);
void PrintRow(const QStringList &cells);

} // namespace Bench
