#pragma once

#include <QStringList>

#include <optional>

class QWidget;
class ListBox;

// The running rule: a row longer (strictly) than the count so far
// sets the count to its length + 2. Lengths are UTF-16 code units.
int WidthCount(const QStringList &rows);

// The extent to set, or nothing: the product widthCount × spaceWidth in single
// precision must be strictly greater than the list width; it is then rounded to
// the nearest integer, a value exactly halfway going to the even neighbour.
std::optional<int> HorizontalExtentFor(int widthCount, float spaceWidth, float listWidth);

// Gives the list a horizontal scroll extent when its rows (the texts it shows),
// counted in spaces of form's font, are wider than the list's outer width. Sets
// nothing (and so lowers nothing) when the list is empty or the rows fit.
void WidenListBox(QWidget *form, ListBox *listBox, const QStringList &rows);
