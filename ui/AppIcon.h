#pragma once

#include <QIcon>

// The program's icon, shared by both windows: the pixel-drawn 16 and 32 px images
// for title bars and task bars, the full-colour 256 px one for everything larger.
QIcon AppIcon();
