#pragma once

#include <QListWidget>

#include <functional>

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
    // The width the view scrolls over: the extent, and room for an icon.
    int contentWidth() const;

    // Removes every row, drops the extent, and leaves no current row.
    void clearRows();

    // A row's tooltip or icon (Qt::ToolTipRole, Qt::DecorationRole), asked for
    // whenever a view, a tool or a test reads the row's data.
    using Notes = std::function<QVariant(int row, int role)>;
    void setNotes(Notes notes) { m_notes = std::move(notes); }
    QVariant noteOf(int row, int role) const { return m_notes ? m_notes(row, role) : QVariant(); }
    // Appends the rows; their tooltips and icons come from the notes.
    void addRows(const QStringList &rows);
    // The scroll range leaves room for an icon before a row's text, so that a
    // row with an icon can still be scrolled to its end.
    void setIconRoom(bool room);
    bool hasIconRoom() const { return m_iconRoom; }
    // Blank room above and below the rows, inside the frame: two lists placed
    // a few pixels apart can show their rows side by side.
    void setRowRoom(int top, int bottom) { setViewportMargins(0, top, 0, bottom); }
    // The notes changed: shows them.
    void notesChanged();

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
    bool m_iconRoom = false;
    Notes m_notes;
};
