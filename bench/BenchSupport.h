#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace Bench {

// Median wall time in milliseconds of `runs` runs of `measured`; `prepare`
// runs before each one, outside the timing.
double MedianMs(int runs, const std::function<void()> &measured, const std::function<void()> &prepare = {});

// The middle of the times (the upper one of an even count).
double Median(std::vector<double> times);

// Medians of two passes run by turns, so that each starts where the other
// left the caches, as in a program that does other work between them.
std::pair<double, double> AlternatingMedianMs(int runs, const std::function<void()> &first,
                                              const std::function<void()> &second,
                                              const std::function<void()> &prepare = {});

// C++-like source with the given number of literals, about charsPerLiteral
// characters of code per literal, some literal texts repeated as in real files.
QString GeneratedSource(qsizetype literals, qsizetype charsPerLiteral, quint32 seed = 1);

// A translation of a literal: a different text of about the same length.
QString Translated(const QString &literal);

// Every row translated, or only every `stride`-th row (the rest left as found).
QStringList Translations(const QStringList &found, qsizetype stride = 1);

// About `bytes` bytes of C++ headers found on this machine (whole files, valid
// UTF-8 only), concatenated in a fixed order.
QByteArray InstalledCppSource(qsizetype bytes);

// Counts the quotation marks of the bytes with memchr: the floor for a scan.
qsizetype CountQuotes(const QByteArray &bytes);

double MegabytesPerSecond(qsizetype bytes, double ms);
QString Ms(double value); // "12.3 ms"

// Writes the whole file or stops the program.
void WriteFile(const QString &path, const QByteArray &bytes);

// One line of the figures table.
void PrintRow(const QString &what, const QString &input, const QString &figure,
              const QString &baseline, const QString &target);
void PrintHeader(const char *title, int runs);

} // namespace Bench
