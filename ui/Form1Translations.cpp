// Handing the rows to a translator's tool and taking the translations back:
// "导出翻译…" writes the loaded file's rows as a .ts or .po; "导入翻译…" fills
// the unchanged rows from one, as stored edits that "替换文件" writes.

#include "engine/catalog/Catalog.h"
#include "engine/files/FileError.h"
#include "platform/FolderDialog.h"
#include "ui/EditBox.h"
#include "ui/RowMarks.h"
#include "ui/EventGuard.h"
#include "ui/Form1.h"

#include "app/words/ProblemWords.h"
#include "ui/ListBox.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QPushButton>

namespace {

const QString TsFilter = QStringLiteral("Qt Linguist 翻译文件 (*.ts)");
const QString PoFilter = QStringLiteral("gettext 翻译文件 (*.po *.pot)");

QString exportTitle() { return QStringLiteral("导出翻译"); }
QString importTitle() { return QStringLiteral("导入翻译"); }

} // namespace

void Form1::connectTranslations()
{
    connect(Command5, &QPushButton::clicked, this, [this] { RunEvent(this, exportTitle(), [this] { Command5_Click(); }); });
    connect(Command6, &QPushButton::clicked, this, [this] { RunEvent(this, importTitle(), [this] { Command6_Click(); }); });
}

void Form1::Command5_Click()
{
    if (Doc.path.isEmpty())
        throw FileProblem(Problem::NothingToExport, QString());
    const QFileInfo loaded(Doc.path);
    QString filter;
    QString path = AskSavePath(this, exportTitle(), loaded.path() + QLatin1Char('/') + loaded.completeBaseName() + QStringLiteral(".ts"),
                               {TsFilter, PoFilter}, &filter);
    if (path.isEmpty())
        return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != u"ts" && suffix != u"po" && suffix != u"pot")
        path += filter == PoFilter ? QStringLiteral(".po") : QStringLiteral(".ts");
    BusyCursor busy;
    // A catalog already there is updated, as the command line does: a malformed one throws, and stays as it is.
    const std::optional<Catalog> earlier = QFileInfo(path).isFile() ? std::optional(ReadCatalog(path, true)) : std::nullopt;
    const CatalogSource source{Doc.path, SourceText, Doc.rows, Doc.replacements};
    Catalog catalog = CatalogFromRows({source}, QFileInfo(path).path());
    const int data = LeaveOutData(catalog); // as the command line does unless asked
    const qsizetype entries = catalog.entries.size();
    CatalogUpdateCounts updated;
    if (earlier)
        updated = UpdateCatalog(catalog, *earlier);
    // No language named: which one the strings go into is the translator's to say, and
    // Qt Linguist and Poedit ask for it when the file has none.
    WriteCatalog(catalog, path, loaded.fileName());
    QString text = QStringLiteral("已导出 %1 条字符串到 %2。").arg(QString::number(entries), QFileInfo(path).fileName());
    if (earlier)
        text += QStringLiteral("\n更新了原有的翻译文件：保留 %1 条，建议译文 %2 条（未完成），新条目 %3 条，废弃 %4 条。")
                    .arg(updated.kept).arg(updated.suggested).arg(updated.added).arg(updated.obsolete);
    if (data > 0)
        text += QStringLiteral("\n另有 %1 条看来是程序用的数据（对象名、设置的键、路径等），没有导出。").arg(data);
    if (catalog.undecodable > 0)
        text += QStringLiteral("\n%1 行的转义序列代表字节而不是字符（或写法不对），没有导出。").arg(catalog.undecodable);
    if (!Check3->isChecked())
        text += QStringLiteral("\n勾选“只列出代码中的字符串”再导出，注释中的文字和 #include 的文件名就不会导出。");
    ShowMessageUnbusy(this, text, exportTitle(), MessageIcon::Information);
}

void Form1::Command6_Click()
{
    if (Doc.path.isEmpty())
        throw FileProblem(Problem::NothingToFill, QString());
    const QString path = AskOpenPath(this, importTitle(), QFileInfo(Doc.path).path(), {TsFilter, PoFilter});
    if (path.isEmpty())
        return;
    BusyCursor busy;
    const Catalog catalog = ReadCatalog(path); // a malformed file throws: no row changes
    QList<bool> dataRows; // grey rows keep their text, as an import from the command line does
    QList<bool> latin1Rows;
    for (int i = 0; i < List2->count(); ++i) {
        dataRows.append(Marks->looksLikeData(i));
        latin1Rows.append(Marks->readAsLatin1(i));
    }
    const FillResult fill = FillFromCatalog(catalog, Doc.found, Doc.replacements, Doc.rows, dataRows, latin1Rows);
    for (int i = 0; i < List2->count() && i < fill.replacements.size(); ++i) {
        if (Doc.replacements.at(i) == fill.replacements[i])
            continue;
        SetReplacement(i, fill.replacements[i]);
        if (i == List2->currentRow())
            Text1->setText(fill.replacements[i]); // the row's working copy follows it
    }
    UpdateMarks();
    const FillCounts &counts = fill.counts;
    QString text = QStringLiteral("从 %1 填入了 %2 行译文（还没有写入文件，按“替换文件”写入）。")
                       .arg(QFileInfo(path).fileName(), QString::number(counts.filled));
    if (counts.alreadyChanged)
        text += QStringLiteral("\n%1 行已经改过，保留了原来的修改。").arg(counts.alreadyChanged);
    if (counts.unfinished)
        text += QStringLiteral("\n%1 行的译文还没有完成，没有填入。").arg(counts.unfinished);
    if (counts.notFound)
        text += QStringLiteral("\n%1 条译文在这个文件中没有对应的行。").arg(counts.notFound);
    if (counts.leftAsData)
        text += QStringLiteral("\n%1 行看来是程序用的数据（灰色），保持原样。").arg(counts.leftAsData);
    if (const qsizetype raw = counts.notWritable - fill.notLatin1.size())
        text += QStringLiteral("\n%1 行的译文无法写进它的原始字符串，没有填入。").arg(raw);
    if (!fill.notLatin1.isEmpty())
        text += QStringLiteral("\n%1 行按 Latin-1 读（QLatin1String 之类），译文中有 Latin-1 以外的字符（%2），写进去会显示成乱码，没有填入。")
                    .arg(fill.notLatin1.size()).arg(fill.notLatin1.values().join(QString()));
    for (const Problem &problem : catalog.problems.mid(0, 5))
        text += QStringLiteral("\n") + ProblemWords(problem);
    if (catalog.problems.size() > 5)
        text += QStringLiteral("\n另有 %1 条译文因为上面这几类原因没有填入。").arg(catalog.problems.size() - 5);
    ShowMessageUnbusy(this, text, importTitle(), MessageIcon::Information);
}
