#include "ui/Form1.h"

#include "app/words/ProblemWords.h"

#include "engine/Document.h"
#include "engine/files/FileError.h"
#include "engine/replace/ReplaceAndSave.h"
#include "engine/replace/ApplyPairs.h"
#include "engine/scan/ScanLiterals.h"
#include "engine/files/SourcePaths.h"
#include "platform/Fonts.h"
#include "platform/ShellOpen.h"
#include "platform/StartUp.h"
#include "platform/WindowTopmost.h"
#include "ui/AppIcon.h"
#include "ui/BrowserLists.h"
#include "ui/EditBox.h"
#include "ui/EventGuard.h"
#include "ui/Form2.h"
#include "ui/Readings.h"
#include "ui/RowMarks.h"
#include "ui/RowModel.h"
#include "ui/ListBox.h"
#include "ui/ListBoxWiden.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QtConcurrent/QtConcurrentRun>

namespace {

QFont uiFont(qreal points)
{
    QFont font(UiFontFamily());
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    return font;
}

QString loadTitle() { return QStringLiteral("打开文件"); }

// A row's text as a question quotes it.
QString quoted(const QString &text)
{
    constexpr qsizetype Longest = 30;
    return QStringLiteral("“%1”").arg(text.size() > Longest ? text.left(Longest - 1) + QChar(0x2026) : text);
}

} // namespace

Form1::Form1()
{
    // Form1 Initialize: the common controls first, before any control exists.
    InitCommonControls();

    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Zelvane"));
    setWindowIcon(AppIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(uiFont(10.5));
    setFixedSize(897, 593); // fixed border: no resizing, no maximising

    createControls();
    Marks = new RowMarks(this); // created after the lists, deleted after them
    Rows = new RowModel(Doc, *Marks, this);
    List1->showColumn(Rows, 0);
    // Each list keeps its own selected row: a click or an arrow key in one moves that one only.
    List2->showColumn(Rows, 1);
    connectBrowser();
    connectEditor();
    connectFind();
    connectMarks();
    connectTranslations();

    WriteWatcher = new QFutureWatcher<WriteOutcome>(this);
    connect(WriteWatcher, &QFutureWatcherBase::finished, this, [this] {
        if (Writing && Writing->isFinished()) // not taken in already by a load or a close
            RunEvent(this, ReplaceTitle(), [this] { TakeWrite(false); });
    });
    connect(Command3, &QPushButton::clicked, this, [this] {
        RunEvent(this, ReplaceTitle(), [this] { Command3_Click(); });
    });
    connect(Command4, &QPushButton::clicked, this, [this] {
        RunEvent(this, QStringLiteral("打开文件"), [this] { Command4_Click(); });
    });
    connect(Check1, &QCheckBox::toggled, this, [this] {
        RunEvent(this, QStringLiteral("置顶窗口"), [this] { Check1_Click(); });
    });
    connect(Check2, &QCheckBox::toggled, this, [this] {
        RunEvent(this, PlainCaption(Check2->text()), [this] { Check2_Click(); });
    });
    connect(Check3, &QCheckBox::toggled, this, [this] {
        RunEvent(this, PlainCaption(Check3->text()), [this] { Check3_Click(); });
    });
}

void Form1::connectMarks()
{
    // List1 keeps the same room as List2, though it shows no icon: both then
    // scroll over the same range, row beside row.
    for (ListBox *list : {List1, List2}) {
        list->setIconSize(QSize(16, 16));
        list->setIconRoom(true);
    }
    // List2 stands 4 pixels higher than List1: its rows start 4 lower, and
    // List1's end 4 sooner, so that row i stands beside row i over the same height.
    const int offset = List1->y() - List2->y();
    List2->setRowRoom(offset, 0);
    List1->setRowRoom(0, offset);
    connect(Marks, &RowMarks::marksChanged, Rows, &RowModel::marksChanged);
    connect(Marks, &RowMarks::marksChanged, this, &Form1::UpdateCounts);
}

void Form1::UpdateMarks()
{
    Marks->update(CurrentRows());
    UpdateCounts();
}

::Rows Form1::CurrentRows() const
{
    return ::Rows{Doc.found, Doc.replacements, Doc.written};
}

const RowMarks &Form1::SettledMarks()
{
    Marks->settle();
    if (!Marks->isFor(CurrentRows())) { // a change that asked for no update: worked out now
        UpdateMarks();
        Marks->settle();
    }
    return *Marks;
}

void Form1::createControls()
{
    const QFont small = uiFont(9);
    const QFont windowFont = font();

    const auto place = [](QWidget *control, const char *name, const QFont &font,
                          int left, int top, int width, int height) {
        control->setObjectName(QString::fromLatin1(name));
        control->setFont(font);
        control->setGeometry(left, top, width, height);
    };
    // Labels size themselves to their text from their position.
    const auto placeLabel = [](QLabel *label, const char *name, const QFont &font, int left, int top) {
        label->setObjectName(QString::fromLatin1(name));
        label->setFont(font);
        label->move(left, top);
        label->adjustSize();
    };

    Frame1 = new QGroupBox(QStringLiteral("资源"), this);
    place(Frame1, "Frame1", small, 8, 4, 241, 581);
    Command1 = new QPushButton(QStringLiteral("选择文件夹(&F)"), Frame1);
    place(Command1, "Command1", small, 140, 24, 89, 25); // room for its caption and the button's margins
    Dir1 = new FolderList(Frame1);
    place(Dir1, "Dir1", small, 8, 56, 221, 196);
    File1 = new FileList(Frame1);
    place(File1, "File1", small, 8, 260, 221, 308);
    Drive1 = new DriveList(Frame1);
    place(Drive1, "Drive1", small, 8, 24, 125, 25);

    Frame2 = new QGroupBox(QStringLiteral("字符串修改"), this);
    place(Frame2, "Frame2", small, 256, 4, 633, 545);
    Text1 = new EditBox(Frame2);
    place(Text1, "Text1", windowFont, 8, 20, 549, 26);
    Command2 = new QPushButton(QStringLiteral("更改(&E)"), Frame2);
    place(Command2, "Command2", small, 560, 20, 65, 25);
    List1 = new ListBox(Frame2);
    place(List1, "List1", windowFont, 12, 76, 301, 464);
    Label1 = new QLabel(QStringLiteral("原始字符串列表："), Frame2);
    placeLabel(Label1, "Label1", small, 12, 52);
    Label2 = new QLabel(QStringLiteral("更改字符串列表："), Frame2);
    placeLabel(Label2, "Label2", small, 324, 52);
    List2 = new ListBox(Frame2);
    place(List2, "List2", windowFont, 324, 72, 301, 464);

    Command3 = new QPushButton(QStringLiteral("替换文件(&R)"), this);
    place(Command3, "Command3", small, 808, 556, 77, 29);
    Label3 = new QLabel(QStringLiteral("制作：Zelvane 开发组    版本：0.1测试版"), this);
    placeLabel(Label3, "Label3", small, 260, 560);
    Command4 = new QPushButton(QStringLiteral("打开文件(&O)"), this);
    place(Command4, "Command4", small, 724, 556, 77, 29);
    Check1 = new QCheckBox(QStringLiteral("置顶窗口(&T)"), this);
    place(Check1, "Check1", windowFont, 604, 560, 101, 20);
    Check1->setTristate(false);
    Check1->setCheckState(Qt::Unchecked);

    // In the free room of the label row and the bottom row.
    Check2 = new QCheckBox(QStringLiteral("只改各行自己的字符串(&L)"), Frame2);
    place(Check2, "Check2", small, 120, 50, 190, 20);
    Check2->setToolTip(QStringLiteral("勾选后，“替换文件”把每一行的替换只写在这一行自己的字符串上；\n"
                                      "不勾选时，每一行替换文件中第一次出现的原始字符串。"));
    // In the frame's title row, right of its title.
    Check3 = new QCheckBox(QStringLiteral("只列出代码中的字符串(&C)"), Frame2);
    place(Check3, "Check3", small, 120, 0, 170, 20);
    Check3->setToolTip(QStringLiteral("勾选后，列表只列出代码中的字符串，像编译器那样读文件：\n"
                                      "跳过注释和 #include 的文件名，原始字符串 R\"(…)\" 整个作为一行。"));
    // Right of Label2, above List2.
    Command5 = new QPushButton(QStringLiteral("导出翻译(&X)…"), Frame2);
    place(Command5, "Command5", small, 428, 49, 97, 22);
    Command5->setToolTip(QStringLiteral("把这个文件的字符串导出为 Qt Linguist（.ts）或 gettext（.po）翻译文件，交给翻译"));
    Command6 = new QPushButton(QStringLiteral("导入翻译(&I)…"), Frame2);
    place(Command6, "Command6", small, 528, 49, 97, 22);
    Command6->setToolTip(QStringLiteral("从翻译好的 .ts 或 .po 文件把译文填入还没有改过的行；按“替换文件”写入"));
    Label4 = new QLabel(Frame2); // the title row has room for five-digit counts
    place(Label4, "Label4", small, 296, 2, 329, 16);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    createFindControls();

    for (QPushButton *button : {Command1, Command2, Command3, Command4, Command5, Command6})
        button->setAutoDefault(false);
    Frame1->setFocusPolicy(Qt::NoFocus);
    Frame2->setFocusPolicy(Qt::NoFocus);
    Command2->setToolTip(QStringLiteral("存入这一行并转到下一行（Enter 或 Alt+E）"));
    Command3->setToolTip(QStringLiteral("把各行的替换写入载入的文件，原来的文件保存为“文件名.backup”（Alt+R）"));
    Command4->setToolTip(QStringLiteral("用系统关联的程序打开选中的文件（Alt+O）"));
    Text1->setToolTip(QStringLiteral("编辑选中行的替换：Enter 存入并转到下一行，Alt+↑ / Alt+↓ 转到上一行 / 下一行（不存入）；\n"
                                     "Ctrl+Enter 同时填入所有原始字符串相同、还没有改过的行，再转到下一个没有改过的行"));

    // Tab order by tab index; frames and labels take no focus.
    const QList<QWidget *> tabOrder = {Command1, Dir1, File1, Drive1, Text1, Command2,
                                       List1, List2, Command3, Command4, Check1, Check2, Text2, Check3, Command5, Command6};
    for (int i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    // The browser starts at the process's current folder; the lists and Text1 are empty.
    const QString start = QDir::currentPath();
    Drive1->showDriveOf(start);
    Dir1->setFolder(start);
    File1->setFolder(Dir1->folder());
}

void Form1::setVisible(bool visible)
{
    const bool firstShow = visible && !m_loaded;
    if (firstShow) {
        m_loaded = true;
        Form1_Load(); // the notice first; Form1 is not visible until it closes
    }
    QWidget::setVisible(visible);
    if (firstShow)
        Command1->setFocus(Qt::OtherFocusReason); // the first control in tab order
}

void Form1::Form1_Load()
{
    Form2 notice; // no owner
    notice.exec();
}

QString Form1::SelectedFilePath() const
{
    return SourcePaths::JoinSelectedPath(File1->folder(), File1->fileName());
}

// ---- Event procedures ----

void Form1::File1_DblClick()
{
    TakeWrite(true); // a write under way is in before another file is loaded
    const QString path = SelectedFilePath();
    if (!MayDiscardEdits(loadTitle())) {
        SelectLoadedFile();
        return;
    }
    BusyCursor busy;
    const MayRestore askFirst = [this](const Problem &found) {
        return AskUnbusy(this, RestoreQuestion(found), loadTitle(), {QStringLiteral("恢复(&R)"), QStringLiteral("取消")}) == 0;
    };
    Document document = Document::Load(path, Check3->isChecked(), askFirst);
    if (!document.error.isEmpty()) {
        // SourceText, the lists and Text1 keep what they held, and File1 shows whose they are.
        SelectLoadedFile();
        ShowFailure(this, ProblemWords(document.error), loadTitle());
        return;
    }
    const bool codeStrings = Check3->isChecked();
    const Reading loaded{document.rows, document.found, MarksReading::Of(document.text, document.rows, codeStrings)};
    Rows->changeAll([&] {
        Doc = std::move(document);
        Marks->setText(SourceText, loaded.marks);
    });
    if (Doc.rows.xml) // a form's rows are no reading of the text as C++
        TextReadings.start(SourceText);
    else
        TextReadings.start(SourceText, codeStrings, loaded);
    showNoMatch(false); // about the rows before
    ShowRows(0);
    if (!Doc.recovered.isEmpty())
        ShowMessageUnbusy(this, ProblemWords(Doc.recovered), loadTitle(), MessageIcon::Information);
}

// File1 selects the file the rows are of, where it lists it.
void Form1::SelectLoadedFile()
{
    if (!Doc.path.isEmpty() && SourcePaths::SameFile(File1->folder(), QFileInfo(Doc.path).path()))
        File1->selectName(QFileInfo(Doc.path).fileName());
}

void Form1::ShowRows(int current)
{
    List1->clearRows();
    List2->clearRows();
    Text1->setText(QString());
    FilledNote.clear(); // it spoke of the rows before

    UpdateMarks();

    WidenListBox(this, List1, Doc.found);
    WidenListBox(this, List2, Doc.replacements);

    if (List1->count() > 0) {
        List1->setCurrentRow(current);
        List2->setCurrentRow(current); // runs List2_Click: the row into Text1, focused, all selected
    }
}

void Form1::Command3_Click()
{
    ReplaceAndSave();
}

// The rows belong to the file they were loaded from: that file is written,
// wherever File1 stands now.
void Form1::ReplaceAndSave()
{
    ReplaceInto(false);
}

ReplaceRequest Form1::RequestFor() const
{
    return Doc.saveRequest(Check2->isChecked());
}

bool Form1::ReplaceInto(bool wait)
{
    ReplaceRequest request = RequestFor();
    QList<int> rowsWritten; // whose replacements are in the file once it is written
    if (request.ownLiterals) {
        for (int row = 0; row < Doc.replacements.size(); ++row)
            rowsWritten << row;
    } else {
        const PressRows pressed = SettledMarks().pressed();
        switch (ConfirmPressAgain(request, pressed)) {
        case PressAnswer::Cancel:
            return false;
        case PressAnswer::NewEditsOnly:
            request = Doc.saveRequestOf(pressed.unwritten);
            rowsWritten = pressed.unwritten;
            break;
        case PressAnswer::AllRows:
            for (int row = 0; row < Doc.replacements.size(); ++row) {
                if (RowChanges(Doc.found.at(row), Doc.replacements.at(row)))
                    rowsWritten << row;
            }
            break;
        }
    }
    CurrentPath = Doc.path;
    return StartWrite(std::move(request), std::move(rowsWritten), wait);
}

// The write of a press, and the reading of the text it wrote: all of the
// press's work that may take long, away from the window.
Form1::WriteOutcome Form1::Write(WriteOutcome job, Document document, bool codeStrings)
{
    try {
        job.result = ::ReplaceAndSave(job.request);
        if (job.result.refusal == Refusal::None) {
            document.takeWritten(ReplaceResult(job.result), job.rows);
            job.marks = MarksReading::Of(document.text, document.rows, codeStrings);
        }
    } catch (...) {
        job.failure = std::current_exception();
    }
    return job;
}

bool Form1::StartWrite(ReplaceRequest request, QList<int> rows, bool wait)
{
    Writing = QtConcurrent::run(&WritePool, &Form1::Write, WriteOutcome{std::move(request), std::move(rows), {}, {}, {}},
                                Doc, Check3->isChecked());
    SetWriting(true);
    if (wait)
        return TakeWrite(true);
    WriteWatcher->setFuture(*Writing);
    return true;
}

bool Form1::TakeWrite(bool wait)
{
    if (!Writing)
        return false;
    QFuture<WriteOutcome> writing = *std::exchange(Writing, std::nullopt);
    // Waits for it when it is not back yet. Taken out, the outcome is not kept by
    // the future as well, to be freed by the next press while the window waits.
    return WriteFinished(writing.takeResult(), wait);
}

// While a write is under way the window says so, and takes no edit, no load
// and no second press: the rows written stay the rows it shows.
void Form1::SetWriting(bool writing)
{
    if (writing) {
        FocusBeforeWrite = QApplication::focusWidget();
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
    for (QWidget *control : std::initializer_list<QWidget *>{Frame2, Command3, File1})
        control->setEnabled(!writing);
    if (!writing && FocusBeforeWrite)
        FocusBeforeWrite->setFocus();
    UpdateCounts();
}

// The write is back: a refusal is asked about and written again with the
// user's allowance; a failure is shown and the rows stay as they were.
bool Form1::WriteFinished(WriteOutcome outcome, bool wait)
{
    SetWriting(false);
    if (outcome.failure) {
        RunEvent(this, ReplaceTitle(), [&] { std::rethrow_exception(outcome.failure); });
        return false;
    }
    ReplaceRequest &request = outcome.request;
    ReplaceResult &result = outcome.result;
    if (result.refusal != Refusal::None) { // asked, then pressed again with the allowance
        if (result.refusal == Refusal::ChangedOnDisk) {
            if (!ConfirmChangedOnDisk(ProblemWords(ProblemAbout(Problem::ChangedOnDisk, request.path))))
                return false;
            request.diskBytes.reset();
        } else {
            const QString text = ProblemWords(ProblemAbout(Problem::ReadOnly, request.path)) + QStringLiteral("\n仍然替换：写入这个文件，它仍然是只读的。\n取消：什么也不写入。");
            if (AskUnbusy(this, text, ReplaceTitle(), {QStringLiteral("仍然替换(&W)"), QStringLiteral("取消")}) != 0)
                return false;
            request.allowReadOnly = true;
        }
        return StartWrite(std::move(request), std::move(outcome.rows), wait);
    }
    const QString backup = SourcePaths::BackupPathFor(request.path);
    QString confirmation = SourcePaths::IsOrdinaryFile(backup) || !result.written // a hidden backup goes unnamed
        ? ReplaceConfirmation(request.path, backup, result.written) : QString();
    if (!result.recovered.isEmpty())
        confirmation = ProblemWords(result.recovered) + QStringLiteral("\n") + confirmation;
    // The next press applies the rows to the text written.
    Doc.takeWritten(std::move(result), outcome.rows);
    Marks->setText(SourceText, outcome.marks);
    TextReadings.start(SourceText);
    UpdateMarks();
    if (!confirmation.isEmpty())
        ShowMessageUnbusy(this, confirmation, ReplaceTitle(), MessageIcon::Information);
    return true;
}

// By the first-occurrence rule a press applies every row to the text the last
// one wrote: a written row whose found text still occurs elsewhere would change
// the file there. The user says whether it may, or only the rows not yet
// written go in, each over its own literal.
Form1::PressAnswer Form1::ConfirmPressAgain(const ReplaceRequest &request, const PressRows &pressed)
{
    if (pressed.again.isEmpty() || Doc.path.isEmpty())
        return PressAnswer::AllRows;
    const QList<Landing> &landings = Marks->landings();
    const SourceLines lines(SourceText);
    QStringList places;
    for (const int row : pressed.again.mid(0, 5)) {
        const Landing &landing = landings[row];
        const QString where = landing.position < 0 ? QStringLiteral("前面的行替换进去的文字")
                                                   : QStringLiteral("第 %1 行").arg(lines.lineOf(landing.position));
        places << QStringLiteral("%1 → %2：%3").arg(quoted(request.found[row]), quoted(request.replacements[row]), where);
    }
    if (pressed.again.size() > 5)
        places << QString(QChar(0x2026));
    QString text = QStringLiteral("%1 中已经写入过这些行的替换，它们的原始字符串在文件中还有别处出现。\n"
                                  "再替换一次，有 %2 行会再次改动文件，改动的是这些地方：\n%3\n\n")
                       .arg(QFileInfo(request.path).fileName()).arg(pressed.again.size()).arg(places.join(QLatin1Char('\n')));
    QStringList buttons{QStringLiteral("再次替换(&A)"), QStringLiteral("取消")};
    if (!pressed.unwritten.isEmpty()) {
        text += QStringLiteral("只写新的修改：只写入还没有写入的 %1 行修改，每一行写在它自己的字符串上；已经写入的行不再改动文件。\n")
                    .arg(pressed.unwritten.size());
        buttons.prepend(QStringLiteral("只写新的修改(&N)"));
    }
    text += QStringLiteral("再次替换：所有的行照样再替换一次，上面这些地方也会改动；备份换成现在的文件。\n取消：什么也不写入。\n\n"
                           "勾选“只改各行自己的字符串”后再替换，不会再次改动文件。");
    const int answer = AskUnbusy(this, text, ReplaceTitle(), buttons);
    if (answer == buttons.size() - 1)
        return PressAnswer::Cancel;
    return buttons.size() == 3 && answer == 0 ? PressAnswer::NewEditsOnly : PressAnswer::AllRows;
}

bool Form1::ConfirmChangedOnDisk(const QString &reason)
{
    const QString text = reason + QStringLiteral("\n仍然替换：磁盘上现在的内容保存为备份，文件换成本程序中的文字和修改。\n"
                                                 "取消：什么也不写入。");
    return AskUnbusy(this, text, ReplaceTitle(), {QStringLiteral("仍然替换(&W)"), QStringLiteral("取消")}) == 0;
}

int Form1::UnwrittenCount() const
{
    return int(Marks->pressed().unwritten.size());
}

bool Form1::MayDiscardEdits(const QString &title)
{
    SettledMarks();
    const int unwritten = UnwrittenCount();
    if (unwritten == 0)
        return true;
    const QFileInfo loaded(Doc.path);
    const QString text = QStringLiteral("%1 中有 %2 行修改还没有写入文件。\n"
                                        "替换文件：先写入这些修改，再继续。\n放弃修改：这些修改将会丢失。")
                             .arg(loaded.fileName()).arg(unwritten);
    switch (AskUnbusy(this, text, title, {QStringLiteral("替换文件(&R)"), QStringLiteral("放弃修改(&D)"), QStringLiteral("取消")})) {
    case 0: {
        bool written = false;
        RunEvent(this, ReplaceTitle(), [&] { written = ReplaceInto(true); });
        return written;
    }
    case 1:
        return true;
    default:
        return false;
    }
}

void Form1::closeEvent(QCloseEvent *event)
{
    TakeWrite(true);
    if (MayDiscardEdits(windowTitle()))
        event->accept();
    else
        event->ignore();
}

void Form1::Command4_Click()
{
    ShellOpenFile(this, SelectedFilePath());
}

void Form1::Check1_Click()
{
    if (Check1->isChecked()) // the window never sets the third state
        SetTopmost(this);
    else
        ClearTopmost(this);
}

void Form1::Check2_Click()
{
    Marks->setOwnLiterals(Check2->isChecked());
    UpdateMarks();
}

// Lists the loaded file's rows by the other reading. A row's replacement and
// what of it is written go to the row that starts at the same place and holds
// the same text; any other row is left behind, and an unwritten edit in it is
// dropped, after a question (a written one is in the file already).
void Form1::Check3_Click()
{
    if (Doc.path.isEmpty())
        return;
    const Reading reading = TextReadings.take(Check3->isChecked());
    const QList<LiteralSpan> &spans = reading.rows.spans, &oldSpans = Doc.rows.spans;
    QStringList replacements = reading.literals, written = reading.literals;
    int dropped = 0, current = 0;
    // Both lists of spans run in the order of the text. A row of the same start
    // and length as one before holds the same text: it takes that one's edit.
    qsizetype to = 0;
    for (int i = 0; i < oldSpans.size(); ++i) {
        while (to < spans.size() && spans[to].start < oldSpans[i].start)
            ++to;
        if (to == spans.size() || spans[to].start != oldSpans[i].start || spans[to].length != oldSpans[i].length) {
            dropped += Doc.replacements.at(i) != Doc.written.at(i);
            continue;
        }
        replacements[to] = Doc.replacements.at(i);
        written[to] = Doc.written.at(i);
        if (i == List2->currentRow())
            current = int(to);
    }
    if (dropped > 0) {
        const QString text = QStringLiteral("换一种方式列出 %1 的字符串后，有 %2 行修改在新的列表中没有对应的行，"
                                            "这些修改将会丢失。")
                                 .arg(QFileInfo(Doc.path).fileName()).arg(dropped);
        if (AskUnbusy(this, text, PlainCaption(Check3->text()), {QStringLiteral("切换(&S)"), QStringLiteral("取消")}) != 0) {
            const QSignalBlocker quiet(Check3);
            Check3->setChecked(!Check3->isChecked());
            return;
        }
    }
    Rows->changeAll([&] {
        Marks->setText(SourceText, reading.marks);
        Doc.rows = reading.rows;
        Doc.found = reading.literals;
        Doc.replacements = replacements;
        Doc.written = written;
    });
    ShowRows(current);
}

void Form1::SetReplacement(int row, const QString &text)
{
    Rows->setData(Rows->index(row, 1), text);
}
