#include "app/words/ProblemWords.h"

#include <QFileDevice>
#include <QFileInfo>

#include <cstring>
#include <utility>

namespace {

QString describe(int error)
{
    switch (QFileDevice::FileError(error)) {
    case QFileDevice::ReadError: return QStringLiteral("读取时出错");
    case QFileDevice::WriteError: return QStringLiteral("写入时出错");
    case QFileDevice::FatalError: return QStringLiteral("发生严重错误");
    case QFileDevice::ResourceError: return QStringLiteral("系统资源不足");
    case QFileDevice::OpenError: return QStringLiteral("无法打开");
    case QFileDevice::AbortError: return QStringLiteral("操作被中止");
    case QFileDevice::TimeOutError: return QStringLiteral("操作超时");
    case QFileDevice::RemoveError: return QStringLiteral("无法删除");
    case QFileDevice::RenameError: return QStringLiteral("无法重命名");
    case QFileDevice::PositionError: return QStringLiteral("无法定位");
    case QFileDevice::ResizeError: return QStringLiteral("无法改变大小");
    case QFileDevice::PermissionsError: return QStringLiteral("权限不足");
    case QFileDevice::CopyError: return QStringLiteral("无法复制");
    case QFileDevice::NoError:
    case QFileDevice::UnspecifiedError: break;
    }
    return QString();
}

using Glossary = std::pair<const char *, const char16_t *>;

// The Chinese of the first phrase of the glossary the English holds; none when it holds none.
template <size_t N>
const char16_t *chineseFor(const QString &english, const Glossary (&glossary)[N], Qt::CaseSensitivity sensitivity)
{
    for (const auto &[words, chinese] : glossary) {
        if (english.contains(QLatin1String(words), sensitivity))
            return chinese;
    }
    return nullptr;
}

// The system's own words, in Chinese where they are among the common ones;
// others are kept as the system gave them.
QString systemWords(const QString &english)
{
    static const Glossary Known[] = {
        {"Permission denied", u"没有权限"},
        {"Operation not permitted", u"不允许这样操作"},
        {"No space left on device", u"磁盘空间不足"},
        {"Disk quota exceeded", u"超出磁盘配额"},
        {"No such file or directory", u"文件或文件夹不存在"},
        {"Read-only file system", u"文件系统是只读的"},
        {"Is a directory", u"这是一个文件夹"},
        {"File name too long", u"文件名太长"},
        {"Input/output error", u"输入输出错误"},
        {"file to open is a directory", u"这是一个文件夹"},
        {"File too large", u"文件超过了允许的大小"},
        {"Unknown error", u"未知错误"},
        {"Too many open files", u"打开的文件太多"},
    };
    const char16_t *chinese = chineseFor(english, Known, Qt::CaseInsensitive);
    return chinese ? QString::fromUtf16(chinese) : english;
}

// Why a file operation failed: what Qt says went wrong, with the system's words.
QString systemReason(const Problem &problem)
{
    QString words = problem.reason;
    if ((words.isEmpty() || words == QLatin1String("Unknown error")) && problem.systemError != 0)
        words = QString::fromLocal8Bit(std::strerror(problem.systemError));
    const QString what = describe(problem.deviceError);
    if (words.isEmpty())
        return what.isEmpty() ? QStringLiteral("未知错误") : what;
    if (what.isEmpty())
        return systemWords(words);
    return what + QStringLiteral("（") + systemWords(words) + QStringLiteral("）");
}

// A parser's own words (libgettextpo's, Qt's XML reader's), in Chinese where
// they are among the common ones, the original kept after them.
QString parserWords(const QString &english)
{
    static const Glossary Known[] = {
        {"end-of-line within string", u"字符串没有结束就换了行"},
        {"missing 'msgstr' section", u"缺少 msgstr"},
        {"missing 'msgid_plural' section", u"缺少 msgid_plural"},
        {"duplicate message definition", u"同一条消息定义了两次"},
        {"unknown", u"不认识的关键字"},
        {"invalid control sequence", u"无效的转义序列"},
        {"end-of-file within string", u"字符串没有结束文件就结束了"},
        {"syntax error", u"语法错误"},
        {"Premature end of document", u"文档提前结束"},
        {"Opening and ending tag mismatch", u"开始标签和结束标签不一致"},
        {"Extra content at end of document", u"文档结束后还有内容"},
        {"Start tag expected", u"这里应当是开始标签"},
        {"Unexpected", u"出现了不该出现的内容"},
        {"Invalid XML character", u"含有 XML 不允许的字符"},
        {"Encountered incorrectly encoded content", u"内容的编码不对"},
    };
    const char16_t *chinese = chineseFor(english, Known, Qt::CaseSensitive);
    return chinese ? QString::fromUtf16(chinese) + QStringLiteral("（") + english + QStringLiteral("）") : english;
}

// A parser's reason, with the line and column it names.
QString parserReason(const Problem &problem)
{
    const QString reason = parserWords(problem.reason);
    if (problem.line <= 0)
        return reason;
    if (problem.column <= 0)
        return QStringLiteral("第 %1 行：%2").arg(problem.line).arg(reason);
    return QStringLiteral("第 %1 行第 %2 列：%3").arg(problem.line).arg(problem.column).arg(reason);
}

QString natureWords(Problem::FileNature nature)
{
    switch (nature) {
    case Problem::Missing: return QStringLiteral("不存在");
    case Problem::Link: return QStringLiteral("是一个链接");
    case Problem::Folder: return QStringLiteral("是一个文件夹");
    case Problem::Special: return QStringLiteral("不是普通文件");
    case Problem::HardLinked: return QStringLiteral("还有别的名字（硬链接）");
    case Problem::OrdinaryFile: break;
    }
    return QString();
}

QString markWords(const Problem &p)
{
    const QString start = QStringLiteral("%1 旁边有上一次写入时留下的标记 %2，").arg(p.file, p.other);
    const QString partly = start + QStringLiteral("文件只写入了一部分（%1 字节，共 %2 字节），").arg(p.size).arg(p.total);
    switch (p.kind) {
    case Problem::MarkUnfit: return start + QStringLiteral("但它%1，不是 Zelvane 的写入标记：没有处理。").arg(natureWords(p.nature));
    case Problem::MarkUnreadable: return start + QStringLiteral("但无法读懂它的内容：没有处理。");
    case Problem::MarkWhole: return start + QStringLiteral("文件是完整的（%1 字节）。").arg(p.size);
    case Problem::ChangedSinceMark:
        return start + QStringLiteral("但文件在那之后又被修改过（现在 %1 字节）：没有用备份恢复，标记保留。备份 %2 保存着那次写入之前的内容；"
                                      "确认文件无误后，请删除 %3。").arg(QString::number(p.size), p.detail, p.other);
    case Problem::PartWrittenBackupUnfit: return partly + QStringLiteral("而备份 %1 %2：没有恢复。").arg(p.detail, natureWords(p.nature));
    case Problem::PartWrittenBackupUnreadable:
        return partly + QStringLiteral("而备份无法读取：无法读取文件 %1：%2").arg(p.detail, systemReason(p));
    case Problem::PartWrittenBackupOther: return partly + QStringLiteral("而备份 %1 已经不是那次写入时的备份：没有恢复。").arg(p.detail);
    case Problem::PartWritten: return partly + QStringLiteral("备份 %1 保存着写入之前的完整内容（%2 字节）。").arg(p.detail).arg(p.offset);
    default: return QString();
    }
}

QString catalogEntryWords(const Problem &p)
{
    QString what;
    switch (p.kind) {
    case Problem::CatalogPlural: what = QStringLiteral("是复数形式的条目"); break;
    case Problem::CatalogNul: what = QStringLiteral("的译文含有 NUL 字符"); break;
    case Problem::CatalogEntity: what = QStringLiteral("含有无法展开的实体 &%1;").arg(p.detail); break;
    case Problem::CatalogVariants: what = QStringLiteral("的译文分成了几种长度（variants）"); break;
    case Problem::CatalogMarkup: what = QStringLiteral("含有元素 <%1>").arg(p.detail); break;
    case Problem::CatalogBadCharacter: what = QStringLiteral("含有无法编码的字符（孤立的代理项，或字符集无法解码的字节）"); break;
    case Problem::CatalogConflict:
        return QStringLiteral("%1 第 %2 行和第 %3 行把“%4”译成了不同的文字（“%5”和“%6”），都没有写入。")
            .arg(p.file).arg(p.line).arg(p.otherLine).arg(ShortText(p.text), ShortText(p.detail), ShortText(p.otherDetail));
    default: break;
    }
    return QStringLiteral("%1 第 %2 行：“%3”%4，没有写入。").arg(p.file, QString::number(p.line), ShortText(p.text), what);
}

} // namespace

QString ProblemWords(const Problem &p)
{
    if (p.isCatalogEntry())
        return catalogEntryWords(p);
    switch (p.kind) {
    case Problem::CannotRead: return QStringLiteral("无法读取文件 %1：%2").arg(p.file, systemReason(p));
    case Problem::TooLarge: return QStringLiteral("无法读取文件 %1：文件过大（超过 1 GB）").arg(p.file);
    case Problem::NotUtf8:
        return QStringLiteral("文件 %1 不是有效的 UTF-8 编码（第 %2 行第 %3 列，第 %4 个字节处出错）。为避免替换时损坏文件内容，已拒绝载入。")
            .arg(p.file).arg(p.line).arg(p.column).arg(p.offset + 1);
    case Problem::CannotWrite: return QStringLiteral("无法写入文件 %1：%2\n文件没有被修改。").arg(p.file, systemReason(p));
    case Problem::PartlyWritten: return QStringLiteral("无法写入文件 %1：%2\n文件可能只写入了一部分。").arg(p.file, systemReason(p));
    case Problem::CannotEncode: return QStringLiteral("无法写入文件 %1：文本含有无法编码的字符（孤立的代理项）\n文件没有被修改。").arg(p.file);
    case Problem::CannotReadCatalog: return QStringLiteral("无法读取翻译文件 %1：%2").arg(p.file, systemReason(p));
    case Problem::CatalogMissing: return QStringLiteral("无法读取翻译文件 %1：文件不存在").arg(p.file);
    case Problem::MalformedCatalog:
        return QStringLiteral("无法读取翻译文件 %1：%2\n文件格式不对，什么也没有导入。").arg(p.file, parserReason(p));
    case Problem::UnknownCharset:
        return QStringLiteral("无法读取翻译文件 %1：它的字符集 %2 无法识别\n文件格式不对，什么也没有导入。").arg(p.file, p.detail);
    case Problem::CannotWriteCatalog:
        return QStringLiteral("无法写入翻译文件 %1：%2").arg(p.file, p.line > 0 ? parserReason(p) : systemReason(p));
    case Problem::CannotWriteOutput: return QStringLiteral("无法写入标准输出：%1").arg(systemReason(p));
    case Problem::MalformedForm:
        return QStringLiteral("无法读取界面文件 %1：%2\n它不是格式正确的 XML，没有改动。").arg(p.file, parserReason(p));
    case Problem::UnknownFormEncoding: return QStringLiteral("无法读取界面文件 %1：它声明的编码 %2 无法识别").arg(p.file, p.detail);
    case Problem::NotInFormEncoding: return QStringLiteral("无法读取界面文件 %1：它不是它声明的编码 %2").arg(p.file, p.detail);
    case Problem::FormEncodingCannotHold:
        return QStringLiteral("无法写入文件 %1：界面文件声明的编码 %2 容纳不了字符“%3”\n文件没有被修改。").arg(p.file, p.detail, p.text);
    case Problem::LeftUnchanged: return QStringLiteral("文件没有被修改。");
    case Problem::LeftEmptied: return QStringLiteral("文件 %1 已被清空。").arg(p.file);
    case Problem::OldTextKeptInBackup: return QStringLiteral("替换前的文件完整地保存在 %1 中。").arg(p.other);
    case Problem::OlderBackupKept: return QStringLiteral("上一次的备份保存在 %1 中。").arg(p.other);
    case Problem::NothingLoaded: return QStringLiteral("还没有载入文件，没有可以写入的修改。");
    case Problem::NothingToExport: return QStringLiteral("还没有载入文件。请先在文件列表中双击一个 .cpp 文件。");
    case Problem::NothingToFill: return QStringLiteral("还没有载入文件，没有可以填入译文的行。请先在文件列表中双击一个 .cpp 文件。");
    case Problem::FileGone: return QStringLiteral("文件 %1 已不存在，无法替换。").arg(p.file);
    case Problem::NotAFile: return QStringLiteral("%1 不是一个文件，无法替换。").arg(p.file);
    case Problem::BackupNameTaken: return QStringLiteral("备份文件名 %1 已被一个文件夹或隐藏文件占用，无法备份。").arg(p.other);
    case Problem::OldBackupStuck: return QStringLiteral("无法删除旧的备份文件 %1：%2").arg(p.file, systemReason(p));
    case Problem::ChangedOnDisk: return QStringLiteral("文件 %1 在载入（或上一次替换）之后被修改过，磁盘上的内容已经和载入时不同。").arg(p.file);
    case Problem::ReadOnly: return QStringLiteral("%1 是只读文件。").arg(QFileInfo(p.file).fileName());
    case Problem::FolderBusy:
        return p.size > 0 ? QStringLiteral("另一个 Zelvane 正在写入 %1 所在的文件夹，等了 %2 秒仍没有结束。这个文件没有被修改，请稍后再试。").arg(p.file).arg(p.size)
                          : QStringLiteral("另一个 Zelvane 正在写入 %1 所在的文件夹，刚才已经等过它，仍没有结束。这个文件没有被修改，请稍后再试。").arg(p.file);
    case Problem::MarkWillGo: return QStringLiteral("导入（不带 --dry-run）或在窗口中打开它时会删除这个标记。");
    case Problem::MarkRemoved: return QStringLiteral("已经删除这个标记。");
    case Problem::WillRestore: return QStringLiteral("导入（不带 --dry-run）或在窗口中打开它时会用备份恢复。");
    case Problem::NotRestored: return QStringLiteral("没有恢复，文件没有载入。");
    case Problem::RestoreFailed: return QStringLiteral("无法用备份恢复：");
    case Problem::Restored:
        return QStringLiteral("上一次写入 %1 时被中断，文件只写入了一部分：已经用备份 %2 恢复成替换前的内容。").arg(p.file, p.other);
    case Problem::RawStringCannotHold:
        return QStringLiteral("%1 第 %2 行：译文含有原始字符串的结束符 )%3\"，写不进这个原始字符串，没有写入。").arg(p.file, QString::number(p.line), p.detail);
    case Problem::FormCannotHold: return QStringLiteral("%1 第 %2 行：译文含有 XML 无法容纳的字符，没有写入。").arg(p.file, QString::number(p.line));
    case Problem::Latin1CannotHold:
        return QStringLiteral("%1 第 %2 行：这个字符串按 Latin-1 读（QLatin1String、fromLatin1 或 _L1），译文中的“%3”写进去会显示成乱码，没有写入。")
            .arg(p.file, QString::number(p.line), p.text);
    case Problem::OlderBackupPutBack: return QStringLiteral("上一次替换 %1 时被中断：旧的备份已经放回 %2。").arg(p.file, p.other);
    default: return markWords(p);
    }
}

QString ProblemWords(const Problems &problems)
{
    QString words;
    for (qsizetype i = 0; i < problems.size(); ++i) {
        const Problem &problem = problems[i];
        // What a load did about a mark reads on with what it found; a failure's aftermath on a line of its own.
        const bool runsOn = problem.kind >= Problem::MarkWillGo && problem.kind <= Problem::RestoreFailed;
        if (i > 0 && !runsOn && !words.endsWith(u'：'))
            words += u'\n';
        words += ProblemWords(problem);
    }
    return words;
}

QString ProblemCountWords(Problem::Kind kind, qsizetype count)
{
    switch (kind) {
    case Problem::CatalogPlural: return QStringLiteral("复数形式 %1 条").arg(count);
    case Problem::CatalogNul: return QStringLiteral("含 NUL %1 条").arg(count);
    case Problem::CatalogEntity: return QStringLiteral("实体无法展开 %1 条").arg(count);
    case Problem::CatalogConflict: return QStringLiteral("同一原文两种译法 %1 条").arg(count);
    case Problem::CatalogVariants: return QStringLiteral("分成几种长度 %1 条").arg(count);
    case Problem::CatalogMarkup: return QStringLiteral("含有元素 %1 条").arg(count);
    case Problem::CatalogBadCharacter: return QStringLiteral("含有无法编码的字符 %1 条").arg(count);
    case Problem::RawStringCannotHold: return QStringLiteral("写不进原始字符串 %1 处").arg(count);
    case Problem::FormCannotHold: return QStringLiteral("写不进界面文件 %1 处").arg(count);
    case Problem::Latin1CannotHold: return QStringLiteral("写不进按 Latin-1 读的字符串 %1 处").arg(count);
    default: return QStringLiteral("%1 条").arg(count);
    }
}

QString RestoreQuestion(const Problem &found)
{
    return ProblemWords(found) + QStringLiteral("\n\n用备份恢复 %1 吗？现在只写入了一部分的内容会被备份的内容替换。").arg(found.file);
}

QString ReplaceConfirmation(const QString &path, const QString &backup, bool written)
{
    const QString fileName = QFileInfo(path).fileName();
    if (!written)
        return QStringLiteral("%1 没有需要写入的修改。").arg(fileName);
    return QStringLiteral("已经替换 %1。替换前的文件保存在 %2。").arg(fileName, QFileInfo(backup).fileName());
}

QString ShortText(const QString &text)
{
    return text.size() > 40 ? text.left(40) + QChar(0x2026) : text;
}
