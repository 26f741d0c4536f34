// Finding one's way in many rows: the find box Text2, F8 to the next marked
// row, the counts in Label4, and the two lists scrolling together.

#include "ui/EditBox.h"
#include "ui/EventGuard.h"
#include "ui/Form1.h"
#include "ui/RowModel.h"
#include "ui/ListBox.h"
#include "ui/RowMarks.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QShortcut>

namespace {

// Whether row i's found text or replacement holds the text, letters of either case.
bool RowHolds(const Document &document, int row, const QString &text)
{
    return document.found[row].contains(text, Qt::CaseInsensitive)
        || document.replacements[row].contains(text, Qt::CaseInsensitive);
}

// The first row, going `step` (+1 or -1) at a time from `from` and wrapping
// around, that `wanted` holds; -1 when none does.
template <typename Wanted>
int NextRowWhere(int count, int from, int step, Wanted wanted)
{
    for (int tried = 0; tried < count; ++tried) {
        const int row = ((from + step * tried) % count + count) % count;
        if (wanted(row))
            return row;
    }
    return -1;
}

} // namespace

void Form1::createFindControls()
{
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setFont(Label3->font());
    Text2->setGeometry(484, 558, 114, 25);
    Text2->setPlaceholderText(QStringLiteral("查找（Ctrl+F）"));
    Text2->setToolTip(QStringLiteral("在两个列表中查找（不分大小写）：Ctrl+F 到这里，Enter 或 F3 下一个，"
                                     "Shift+F3 上一个，Esc 回到编辑框。\n"
                                     "F8 / Shift+F8：下一个 / 上一个带警告的行。"));
    // Said inside the box, at its right end, so no message box interrupts typing.
    NoMatch = new QLabel(QStringLiteral("无匹配"), Text2);
    NoMatch->setObjectName(QStringLiteral("NoMatch"));
    NoMatch->setStyleSheet(QStringLiteral("color: #b00020;"));
    auto *layout = new QHBoxLayout(Text2);
    layout->setContentsMargins(0, 0, 4, 0);
    layout->addStretch();
    layout->addWidget(NoMatch);
    NoMatch->hide();
}

void Form1::connectFind()
{
    const auto guarded = [this](auto procedure) {
        return [this, procedure] { RunEvent(this, QStringLiteral("查找"), procedure); };
    };
    connect(Text2, &QLineEdit::textEdited, this, guarded([this] { Text2_Change(); }));
    connect(Text2, &QLineEdit::returnPressed, this, guarded([this] { FindNext(+1); }));
    const auto shortcut = [this](const QKeySequence &keys, QWidget *where, auto procedure) {
        auto *it = new QShortcut(keys, where);
        it->setContext(where == this ? Qt::WindowShortcut : Qt::WidgetShortcut);
        connect(it, &QShortcut::activated, this, procedure);
    };
    shortcut(QKeySequence::Find, this, [this] {
        Text2->setFocus(Qt::ShortcutFocusReason);
        Text2->selectAll();
    });
    shortcut(Qt::Key_F3, this, guarded([this] { FindNext(+1); }));
    shortcut(Qt::SHIFT | Qt::Key_F3, this, guarded([this] { FindNext(-1); }));
    shortcut(Qt::Key_F8, this, guarded([this] { NextMarkedRow(+1); }));
    shortcut(Qt::SHIFT | Qt::Key_F8, this, guarded([this] { NextMarkedRow(-1); }));
    shortcut(Qt::Key_Escape, Text2, [this] { Text1->setFocus(Qt::OtherFocusReason); });

    // Row i always stands beside row i: both lists have the same rows and the
    // same scroll range, so one's position is the other's.
    connect(List1->verticalScrollBar(), &QScrollBar::valueChanged, List2->verticalScrollBar(), &QScrollBar::setValue);
    connect(List2->verticalScrollBar(), &QScrollBar::valueChanged, List1->verticalScrollBar(), &QScrollBar::setValue);
}

void Form1::Text2_Change()
{
    FindNext(0);
}

void Form1::FindNext(int step)
{
    const QString wanted = Text2->text();
    const int count = List1->count();
    if (wanted.isEmpty() || count == 0) {
        showNoMatch(false);
        return;
    }
    const int current = qMax(List1->currentRow(), 0);
    const int row = NextRowWhere(count, current + step, step < 0 ? -1 : +1,
                                 [&](int row) { return RowHolds(Doc, row, wanted); });
    showNoMatch(row < 0);
    if (row >= 0)
        ShowRow(row);
}

void Form1::showNoMatch(bool shown)
{
    NoMatch->setVisible(shown);
    // The typed text stops short of the words.
    Text2->setTextMargins(0, 0, shown ? NoMatch->sizeHint().width() + 4 : 0, 0);
}

void Form1::ShowRow(int row)
{
    List1->setCurrentRow(row);
    List1->scrollTo(Rows->index(row, 0));
    {
        const QSignalBlocker quiet(List2); // its Click would take the focus into Text1
        List2->setCurrentRow(row);
    }
    Text1->setText(Doc.replacements.at(row));
}

void Form1::NextMarkedRow(int step)
{
    const int count = List1->count();
    const int current = List1->currentRow() >= 0 ? List1->currentRow() : step > 0 ? -1 : count;
    const int row = NextRowWhere(count, current + step, step, [this](int row) { return Marks->marked(row); });
    if (row < 0)
        return;
    List1->setCurrentRow(row);
    List1->scrollTo(Rows->index(row, 0));
    List1_MouseUp(1, 0, 0, 0); // as a click on the row loads it
}

void Form1::UpdateCounts()
{
    if (Doc.path.isEmpty())
        return; // empty before the first load
    int changed = 0;
    for (qsizetype i = 0; i < Doc.found.size(); ++i)
        changed += Doc.replacements.at(i) != Doc.found.at(i);
    // The marks being worked out, what they count is not known yet.
    const QString unknown(QChar(0x2026));
    const QString unwritten = Marks->busy() ? unknown : QString::number(UnwrittenCount());
    const QString marked = Marks->busy() ? unknown : QString::number(Marks->markedCount());
    const int rows = Rows->rowCount();
    const QString counts = QStringLiteral("%1 行 · 改 %2 · 未写 %3 · 警告 %4").arg(rows).arg(changed).arg(unwritten, marked);
    const QString writing = QStringLiteral("正在写入 %1…").arg(QFileInfo(Doc.path).fileName());
    const QString shown = Writing ? writing : FilledNote.isEmpty() ? counts : FilledNote;
    Label4->setText(Label4->fontMetrics().elidedText(shown, Qt::ElideRight, Label4->width()));
    Label4->setToolTip(QStringLiteral("%1 行，已改 %2 行，未写入 %3 行，警告 %4 行\n%5")
                           .arg(rows).arg(changed).arg(unwritten, marked, Doc.path));
}
