#include "platform/StartUp.h"

#include "platform/Fonts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// Qt's own dialogs and buttons ("Look in", "Cancel") in Chinese, whatever the
// locale: the program speaks Chinese throughout. Loaded once per process.
void LoadQtChinese()
{
    static QTranslator *translator = nullptr;
    if (translator || !QCoreApplication::instance())
        return;
    translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

} // namespace

void InitCommonControls()
{
    RegisterFontSubstitutes();
    LoadQtChinese();
}
