// The string list editor: List1 (literals as found), List2 (their
// replacements) and Text1 (the working copy of one List2 row). It keeps no
// state of its own; everything lives in the rows, selections and texts of
// these controls. Handlers call one another directly, as nested calls.

#include "ui/EditBox.h"
#include "ui/EventGuard.h"
#include "ui/Form1.h"
#include "ui/ListBox.h"
#include "ui/RowMarks.h"

#include <QPushButton>

namespace {

bool isEnter(Qt::Key key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }
bool isModifier(Qt::Key key) { return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta; }

// Selected row of a list box, -1 when none.
int SelectedRow(const ListBox *list)
{
    return list->currentRow();
}

// Assigning a different row runs the list's Click (currentRowChanged) before
// this returns; -1 leaves no row selected.
void SelectRow(ListBox *list, int row)
{
    list->setCurrentRow(row);
}

// Empty once its leading and trailing spaces (U+0020 only) are removed.
bool IsBlank(const QString &text)
{
    for (const QChar c : text) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

} // namespace

void Form1::connectEditor()
{
    // Each runs under the guard: what fails is shown, and the program goes on.
    const auto guarded = [this](auto procedure) {
        return [this, procedure](auto... arguments) {
            RunEvent(this, QStringLiteral("字符串修改"), [&] { (this->*procedure)(arguments...); });
        };
    };
    connect(List2, &ListBox::currentRowChanged, this, [guarded](int) { guarded(&Form1::List2_Click)(); });
    connect(List1, &ListBox::mouseDown, this, guarded(&Form1::List1_MouseDown));
    connect(List1, &ListBox::mouseUp, this, guarded(&Form1::List1_MouseUp));
    connect(List1, &ListBox::dblClick, this, guarded(&Form1::List1_DblClick));
    connect(Text1, &EditBox::keyDown, this, guarded(&Form1::Text1_KeyDown));
    connect(Text1, &EditBox::gotFocus, this, guarded(&Form1::Text1_GotFocus));
    connect(Command2, &QPushButton::clicked, this, [guarded] { guarded(&Form1::Command2_Click)(); });
}

void Form1::Command2_Click()
{
    Text1_KeyDown(Qt::Key_Return, Qt::NoModifier);
}

void Form1::Text1_KeyDown(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    if (!FilledNote.isEmpty() && !isModifier(key)) {
        FilledNote.clear(); // shown until the next key
        UpdateCounts();
    }
    if (isEnter(key) && modifiers == Qt::ControlModifier) {
        FillSameText();
        return;
    }
    if (isEnter(key)) {
        // Commits whatever modifiers are held, then moves on as Alt+Down.
        CommitEdit();
        Text1_KeyDown(Qt::Key_Down, Qt::AltModifier);
        return;
    }
    if (modifiers != Qt::AltModifier)
        return; // Alt with Shift or Ctrl, or no Alt: no move

    const int row = SelectedRow(List1);
    if (key == Qt::Key_Up && row > 0) {
        SelectRow(List1, row - 1);
        List1_MouseUp(1, 0, 0, 0);
    } else if (key == Qt::Key_Down && row < List1->count() - 1) {
        // With no selection this goes to row 0.
        SelectRow(List1, row + 1);
        List1_MouseUp(1, 0, 0, 0);
    }
}

// Stores Text1, untrimmed, into the selected List2 row; a blank text keeps
// the row's previous replacement.
void Form1::CommitEdit()
{
    const QString text = Text1->text();
    const int row = SelectedRow(List2);
    if (IsBlank(text) || row < 0 || Doc.replacements.at(row) == text)
        return;
    SetReplacement(row, text);
    UpdateMarks();
}

// Stores Text1 in the selected row and in every other row of the same found
// text still left as found and not grey (the program's data), then moves to
// the next row below (wrapping) that is still unchanged.
void Form1::FillSameText()
{
    const QString text = Text1->text();
    const int row = SelectedRow(List2);
    if (IsBlank(text) || row < 0)
        return;
    const QString found = Doc.found.at(row);
    int filled = 0;
    for (int i = 0; i < List2->count(); ++i) {
        const bool unchanged = Doc.replacements.at(i) == Doc.found.at(i);
        const bool same = unchanged && Doc.found.at(i) == found && !Marks->looksLikeData(i);
        if ((i == row || same) && Doc.replacements.at(i) != text) {
            SetReplacement(i, text);
            ++filled;
        }
    }
    FilledNote = QStringLiteral("已填入 %1 行").arg(filled);
    UpdateMarks();
    const int count = List2->count();
    for (int step = 1; step < count; ++step) {
        const int next = (row + step) % count;
        if (Doc.replacements.at(next) == Doc.found.at(next)) {
            SelectRow(List1, next);
            List1_MouseUp(1, 0, 0, 0);
            return;
        }
    }
}

void Form1::List1_MouseDown(int /*button*/, int /*shift*/, int /*x*/, int /*y*/)
{
    if (List1->count() > 0)
        SelectRow(List2, SelectedRow(List1));
    Text1->setText(QString());
}

void Form1::List1_MouseUp(int /*button*/, int /*shift*/, int /*x*/, int /*y*/)
{
    const int rowCount = List1->count();
    const int row = SelectedRow(List1);
    if (SelectedRow(List2) != row && rowCount > 0)
        SelectRow(List2, row);
    List2_Click();
}

void Form1::List1_DblClick()
{
    const int row = SelectedRow(List1);
    if (List1->count() == 0 || row < 0 || Doc.replacements.at(row) == Doc.found.at(row))
        return;
    SetReplacement(row, Doc.found.at(row));
    UpdateMarks();
}

// Loads the selected replacement into Text1 for editing, all selected.
void Form1::List2_Click()
{
    const int row = SelectedRow(List2);
    if (row < 0)
        return;
    Text1->setText(Doc.replacements.at(row));
    Text1->setFocus();
    Text1->selectAll(); // Text1 may have had the focus already
}

void Form1::Text1_GotFocus()
{
    Text1->selectAll();
}
