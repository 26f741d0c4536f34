#pragma once

#include <QStringView>

// Index of the first occurrence of needle (not empty) in haystack at or after
// `from`, or -1; exact code-unit comparison. Filters candidate positions by
// the needle's first and last characters several positions at a time.
qsizetype FindText(QStringView haystack, QStringView needle, qsizetype from = 0);

// Index of the first `c` in haystack at or after `from`, or -1. Reads 32
// characters per step: quicker than QStringView::indexOf on long, sparse runs.
qsizetype FindChar(QStringView haystack, char16_t c, qsizetype from = 0);

// Index of the first character at or after `from` that is one of `wanted`
// (one to four characters), or -1. Eight characters per compare where SSE2 is
// there, one at a time elsewhere.
qsizetype FindAnyOf(QStringView haystack, QStringView wanted, qsizetype from = 0);

// How many times `c` stands in haystack; eight characters per compare where SSE2 is there.
qsizetype CountChar(QStringView haystack, char16_t c);
