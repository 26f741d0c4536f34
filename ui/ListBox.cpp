#include "ui/ListBox.h"

#include "ui/EventCodes.h"

#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace {

constexpr qsizetype LongestDrawnRow = 4096; // characters

// Reports the list's horizontal extent as the width of every row, so that the
// view's scroll range is the extent (0 = none: rows never push a scroll bar).
class ExtentDelegate : public QStyledItemDelegate
{
public:
    explicit ExtentDelegate(ListBox *list) : QStyledItemDelegate(list), m_list(list) {}

    // Laying out a row of megabytes takes seconds at every paint: draw only its
    // beginning, far more than the list can show without scrolling.
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->text.size() > LongestDrawnRow)
            option->text = option->text.left(LongestDrawnRow) + QChar(0x2026);
    }

    // With room for an icon, every row is as high as one with an icon, whether
    // it has one or not: two lists side by side then keep the same row height.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        if (m_list->hasIconRoom()) {
            item.features |= QStyleOptionViewItem::HasDecoration;
            item.decorationSize = m_list->iconSize();
        }
        QSize size = m_list->style()->sizeFromContents(QStyle::CT_ItemViewItem, &item, QSize(), m_list);
        size.setWidth(m_list->contentWidth());
        return size;
    }

    // How far an icon pushes a row's text to the right.
    int iconShift(const QStyleOptionViewItem &option) const
    {
        QStyleOptionViewItem item = option;
        item.features |= QStyleOptionViewItem::HasDecoration;
        item.decorationSize = m_list->iconSize();
        const QStyle *style = m_list->style();
        const int withIcon = style->subElementRect(QStyle::SE_ItemViewItemText, &item, m_list).left();
        item.features &= ~QStyleOptionViewItem::HasDecoration;
        return withIcon - style->subElementRect(QStyle::SE_ItemViewItemText, &item, m_list).left();
    }

private:
    ListBox *m_list;
};

// A row whose tooltip, icon and colour are the list's notes on it.
class NotedItem : public QListWidgetItem
{
public:
    NotedItem(const QString &text, int row) : QListWidgetItem(text), m_row(row) {}

    QVariant data(int role) const override
    {
        if (role == Qt::ToolTipRole || role == Qt::DecorationRole || role == Qt::ForegroundRole)
            return static_cast<const ListBox *>(listWidget())->noteOf(m_row, role);
        return QListWidgetItem::data(role);
    }

private:
    int m_row;
};

int vbButton(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

// The list whose double-click the base class is handling (one UI thread).
const ListBox *g_doubleClicking = nullptr;

} // namespace

ListBox::ListBox(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setItemDelegate(new ExtentDelegate(this));
    setUniformItemSizes(true);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
}

void ListBox::setHorizontalExtent(int pixels)
{
    m_extent = pixels < 0 ? 0 : pixels;
    // The view caches the uniform row size; toggling makes it ask the delegate again.
    setUniformItemSizes(false);
    setUniformItemSizes(true);
    doItemsLayout();
}

void ListBox::addRows(const QStringList &rows)
{
    for (const QString &text : rows)
        addItem(new NotedItem(text, count()));
}

void ListBox::setIconRoom(bool room)
{
    m_iconRoom = room;
    setHorizontalExtent(m_extent);
}

int ListBox::contentWidth() const
{
    if (!m_iconRoom || m_extent == 0)
        return m_extent;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    return m_extent + static_cast<const ExtentDelegate *>(itemDelegate())->iconShift(option);
}

void ListBox::notesChanged()
{
    viewport()->update();
}

void ListBox::clearRows()
{
    clear();
    setHorizontalExtent(0);
    // No current row: tabbing into the empty list must not make row 0 current later.
    setCurrentIndex(QModelIndex());
}

// Like the platform's list box, a selected row stays selected: a click below the
// last row or a Ctrl+click on the selected row does not clear the highlight.
QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex &index,
                                                              const QEvent *event) const
{
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    Q_UNUSED(event);
    return QItemSelectionModel::ClearAndSelect;
}

void ListBox::mousePressEvent(QMouseEvent *event)
{
    if (g_doubleClicking == this) {
        // The base class's double-click handling presses again for a row it
        // did not see pressed; that is not a press of the user's.
        QListWidget::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        QListWidget::mousePressEvent(event); // the clicked row is selected first
    } else {
        event->accept(); // a right or middle press leaves the selection alone
    }
    emit mouseDown(vbButton(event->button()), ShiftMask(event->modifiers()), at.x(), at.y());
}

void ListBox::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        QListWidget::mouseReleaseEvent(event);
    else
        event->accept();
    emit mouseUp(vbButton(event->button()), ShiftMask(event->modifiers()), at.x(), at.y());
}

void ListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        // Only the left button double-clicks a list box; another button's second
        // press is an ordinary press.
        event->accept();
        const QPoint at = event->position().toPoint();
        emit mouseDown(vbButton(event->button()), ShiftMask(event->modifiers()), at.x(), at.y());
        return;
    }
    g_doubleClicking = this;
    QListWidget::mouseDoubleClickEvent(event);
    g_doubleClicking = nullptr;
    emit dblClick();
}
