#pragma once

#include <QString>

// The family every window of the program names. It does not exist on Linux.
inline QString UiFontFamily() { return QStringLiteral("微软雅黑"); }

// Lets "微软雅黑" resolve to an installed simplified-Chinese sans-serif
// (Noto Sans CJK SC, WenQuanYi Micro Hei, Source Han Sans SC) instead of a
// Latin-only fallback. Call once after the application object exists.
void RegisterFontSubstitutes();
