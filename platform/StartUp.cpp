#include "platform/StartUp.h"

#include "platform/Fonts.h"

void InitCommonControls()
{
    RegisterFontSubstitutes();
}
