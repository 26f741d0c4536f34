#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// The lines of a text, to name and show a place in it.
class SourceLines
{
public:
    SourceLines() = default;
    explicit SourceLines(const QString &text);

    int lineOf(qsizetype position) const; // 1-based
    int count() const;                    // a break at the very end starts no line
    QStringView line(int line) const;     // 1-based, with its line break
    // About 80 characters of the line around [position, position + length),
    // that stretch set off in 【】, cut ends shown as "…".
    QString excerpt(qsizetype position, qsizetype length) const;

private:
    QString m_text;
    std::vector<qsizetype> m_starts; // of each line
};
