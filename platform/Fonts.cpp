#include "platform/Fonts.h"

#include <QFont>
#include <QStringList>

void RegisterFontSubstitutes()
{
    QFont::insertSubstitutions(UiFontFamily(),
                               {QStringLiteral("Noto Sans CJK SC"),
                                QStringLiteral("WenQuanYi Micro Hei"),
                                QStringLiteral("Source Han Sans SC"),
                                QStringLiteral("Noto Sans SC")});
}
