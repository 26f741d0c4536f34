#pragma once

#include <QList>
#include <QStringView>

// The placeholders a text's program fills in: Qt's %1 to %99 (%L1 with the
// locale's digits) and printf conversions (%d, %-8.3lf, %s, %n, ...); "%%" is none.
// The one rule for the replacement checks and for telling texts without words.
struct Placeholder {
    bool isPrintf = false; // a printf conversion, else a %1 / %L1 marker
    QStringView token;     // the conversion (length modifier and letter) or the marker's digits
    qsizetype start = 0;   // the '%'
    qsizetype end = 0;     // just past it
};

QList<Placeholder> FindPlaceholders(QStringView text);
