#pragma once

#include <QListView>

#include <functional>

// A list box as the main window uses it: a view of one column of a model, one
// selected row, rows of uniform size, an explicit horizontal scroll extent in
// pixels (0 = none), and its mouse events reported as MouseDown, MouseUp and
// DblClick in the order press, release, double-click, release, for any button.
class ListBox : public QListView
{
    Q_OBJECT
public:
    explicit ListBox(QWidget *parent = nullptr);

    // Shows the column of the model.
    void showColumn(QAbstractItemModel *model, int column);
    int count() const;
    int currentRow() const; // -1 when no row is selected
    // Selects the row and makes it current; currentRowChanged() runs before
    // this returns when the row changes. A row out of range does nothing.
    void setCurrentRow(int row);
    QString rowText(int row) const;
    QVariant rowData(int row, int role) const;
    QRect rowRect(int row) const; // where the row stands in the viewport, scrolled into view first

    void setHorizontalExtent(int pixels);
    int horizontalExtent() const { return m_extent; }
    // The width the view scrolls over: the extent, and room for an icon.
    int contentWidth() const;

    // Drops the extent and leaves no current row: the rows are about to change.
    void clearRows();
    // The scroll range leaves room for an icon before a row's text, so that a
    // row with an icon can still be scrolled to its end.
    void setIconRoom(bool room);
    bool hasIconRoom() const { return m_iconRoom; }
    // Blank room above and below the rows, inside the frame: two lists placed
    // a few pixels apart can show their rows side by side.
    void setRowRoom(int top, int bottom) { setViewportMargins(0, top, 0, bottom); }
    // A tooltip showing over this list speaks of the row now under the pointer,
    // after the rows scrolled or changed under it.
    void tipFollowsPointer();
signals:
    void currentRowChanged(int row);
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt.
    void mouseDown(int button, int shift, int x, int y);
    void mouseUp(int button, int shift, int x, int y);
    void dblClick();

protected:
    // Every row has the one uniform size whatever it holds: changed data repaints
    // its rows and lays none out again (the list view would lay out every row).
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles = QList<int>()) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    int m_extent = 0;
    bool m_iconRoom = false;
};
