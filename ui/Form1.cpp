#include "ui/Form1.h"

#include "engine/FileError.h"
#include "engine/ReplaceAndSave.h"
#include "engine/ScanLiterals.h"
#include "engine/SourcePaths.h"
#include "engine/Utf8NoBomFile.h"
#include "platform/Fonts.h"
#include "platform/ShellOpen.h"
#include "platform/StartUp.h"
#include "platform/WindowTopmost.h"
#include "ui/AppIcon.h"
#include "ui/BrowserLists.h"
#include "ui/EditBox.h"
#include "ui/EventGuard.h"
#include "ui/Form2.h"
#include "ui/LandingMarks.h"
#include "ui/ListBox.h"
#include "ui/ListBoxWiden.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace {

QStringList rowsOf(const ListBox *list)
{
    QStringList rows;
    rows.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        rows.append(list->item(i)->text());
    return rows;
}

QFont uiFont(qreal points)
{
    QFont font(UiFontFamily());
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    return font;
}

QString loadTitle() { return QStringLiteral("打开文件"); }

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
    Marks = new LandingMarks(this); // created after the lists, deleted after them
    connectBrowser();
    connectEditor();
    connectMarks();

    connect(Command3, &QPushButton::clicked, this, [this] {
        RunEvent(this, ReplaceTitle(), [this] { Command3_Click(); });
    });
    connect(Command4, &QPushButton::clicked, this, [this] {
        RunEvent(this, QStringLiteral("打开文件"), [this] { Command4_Click(); });
    });
    connect(Check1, &QCheckBox::toggled, this, [this] {
        RunEvent(this, QStringLiteral("置顶窗口"), [this] { Check1_Click(); });
    });
}

void Form1::connectMarks()
{
    List1->setNotes([this](int row, int role) {
        return role == Qt::ToolTipRole ? QVariant(Marks->sourceTip(row)) : QVariant();
    });
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    List2->setNotes([this, warning](int row, int role) {
        if (role == Qt::ToolTipRole)
            return QVariant(Marks->landingTip(row));
        return role == Qt::DecorationRole && Marks->marked(row) ? QVariant(warning) : QVariant();
    });
    List2->setIconSize(QSize(16, 16));
    List2->setIconRoom(true);
    connect(Marks, &LandingMarks::marksChanged, List2, &ListBox::notesChanged);
}

void Form1::UpdateMarks()
{
    Marks->update(rowsOf(List1), rowsOf(List2));
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
    Command1 = new QPushButton(QStringLiteral("选择文件夹"), Frame1);
    place(Command1, "Command1", small, 152, 24, 77, 25);
    Dir1 = new FolderList(Frame1);
    place(Dir1, "Dir1", small, 8, 56, 221, 196);
    File1 = new FileList(Frame1);
    place(File1, "File1", small, 8, 260, 221, 308);
    Drive1 = new DriveList(Frame1);
    place(Drive1, "Drive1", small, 8, 24, 137, 25);

    Frame2 = new QGroupBox(QStringLiteral("字符串修改"), this);
    place(Frame2, "Frame2", small, 256, 4, 633, 545);
    Text1 = new EditBox(Frame2);
    place(Text1, "Text1", windowFont, 8, 20, 549, 26);
    Command2 = new QPushButton(QStringLiteral("更改"), Frame2);
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
    Check1 = new QCheckBox(QStringLiteral("置顶窗口"), this);
    place(Check1, "Check1", windowFont, 604, 560, 101, 20);
    Check1->setTristate(false);
    Check1->setCheckState(Qt::Unchecked);

    for (QPushButton *button : {Command1, Command2, Command3, Command4})
        button->setAutoDefault(false);
    Frame1->setFocusPolicy(Qt::NoFocus);
    Frame2->setFocusPolicy(Qt::NoFocus);

    // Tab order by tab index; frames and labels take no focus.
    const QList<QWidget *> tabOrder = {Command1, Dir1, File1, Drive1, Text1, Command2,
                                       List1, List2, Command3, Command4, Check1};
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
    BusyCursor busy;
    const QString path = SelectedFilePath();
    QString text;
    QStringList literals;
    try {
        text = Utf8NoBomFile::ReadUtf8Text(path);
        literals = ScanLiterals(text);
    } catch (const FileError &error) {
        // SourceText, the lists and Text1 keep what they held.
        ShowFailure(this, error.message(), loadTitle());
        return;
    }

    SourceText = text;
    LoadedPath = path;
    List1->clearRows();
    List2->clearRows();
    Text1->setText(QString());

    Marks->setText(SourceText);
    Marks->update(literals, literals);
    List1->addRows(literals);
    List2->addRows(literals);

    WidenListBox(this, List1);
    WidenListBox(this, List2);

    if (List1->count() > 0) {
        List1->setCurrentRow(0);
        List2->setCurrentRow(0); // runs List2_Click: row 0 into Text1, focused, all selected
    }
}

void Form1::Command3_Click()
{
    BusyCursor busy;
    ReplaceAndSave();
}

void Form1::ReplaceAndSave()
{
    const ReplaceRequest request{SourceText, rowsOf(List1), rowsOf(List2),
                                 File1->folder(), File1->fileName(), LoadedPath};
    CurrentPath = SourcePaths::JoinSelectedPath(request.folder, request.fileName);
    SourceText = ::ReplaceAndSave(request);
    // The next press applies the rows to the text written: a changed row whose
    // find still occurs further on would change it.
    Marks->setText(SourceText);
    UpdateMarks();
    const QString confirmation = ReplaceConfirmation(request);
    if (!confirmation.isEmpty())
        ShowMessageUnbusy(this, confirmation, ReplaceTitle(), MessageIcon::Information);
}

void Form1::Command4_Click()
{
    ShellOpenFile(this, SelectedFilePath());
}

void Form1::Check1_Click()
{
    const Qt::CheckState state = Check1->checkState();
    const int value = state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
    if (value == 0)
        ClearTopmost(this);
    else if (value == 1)
        SetTopmost(this);
}
