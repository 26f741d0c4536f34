#pragma once

#include <QListWidget>

// A list box as the main window uses it: one selected row, rows of uniform
// size, an explicit horizontal scroll extent in pixels (0 = none), and its mouse
// events reported as MouseDown, MouseUp and DblClick in the order
// press, release, double-click, release, for any button.
class ListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit ListBox(QWidget *parent = nullptr);

    void setHorizontalExtent(int pixels);
    int horizontalExtent() const { return m_extent; }

    // Removes every row, drops the extent, and leaves no current row.
    void clearRows();

signals:
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt.
    void mouseDown(int button, int shift, int x, int y);
    void mouseUp(int button, int shift, int x, int y);
    void dblClick();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    int m_extent = 0;
};
