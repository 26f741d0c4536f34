#pragma once

#include <QString>

inline QString connectedText() { return QStringLiteral("已连接"); }
