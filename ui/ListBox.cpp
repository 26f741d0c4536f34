#include "ui/ListBox.h"

#include "ui/EventCodes.h"

#include <QCursor>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace {

constexpr qsizetype LongestDrawnRow = 4096; // characters

// A row's text on one line: each line break shown as ↵, so that every row is
// one line high and the two lists keep their rows side by side.
QString OnOneLine(QString text)
{
    const QChar mark(0x21B5);
    return text.replace(QLatin1String("\r\n"), mark)
        .replace(u'\r', mark)
        .replace(u'\n', mark)
        .replace(QChar(QChar::LineSeparator), mark)
        .replace(QChar(QChar::ParagraphSeparator), mark);
}

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
        option->text = OnOneLine(option->text);
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
    : QListView(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);  // rows are edited in Text1
    setItemDelegate(new ExtentDelegate(this));
    setUniformItemSizes(true);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &ListBox::tipFollowsPointer);
}

void ListBox::setHorizontalExtent(int pixels)
{
    m_extent = pixels < 0 ? 0 : pixels;
    // The view caches the uniform row size; toggling makes it ask the delegate again.
    setUniformItemSizes(false);
    setUniformItemSizes(true);
    doItemsLayout();
}

void ListBox::showColumn(QAbstractItemModel *model, int column)
{
    setModel(model);
    setModelColumn(column);
    connect(model, &QAbstractItemModel::dataChanged, this, &ListBox::tipFollowsPointer);
    connect(model, &QAbstractItemModel::modelReset, this, &ListBox::tipFollowsPointer);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { emit currentRowChanged(current.isValid() ? current.row() : -1); });
}

int ListBox::count() const
{
    return model() ? model()->rowCount() : 0;
}

int ListBox::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ListBox::setCurrentRow(int row)
{
    if (row < 0 || row >= count() || row == currentRow())
        return;
    const QModelIndex index = model()->index(row, modelColumn());
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

QString ListBox::rowText(int row) const
{
    return rowData(row, Qt::DisplayRole).toString();
}

QVariant ListBox::rowData(int row, int role) const
{
    return model() ? model()->index(row, modelColumn()).data(role) : QVariant();
}

QRect ListBox::rowRect(int row) const
{
    const QModelIndex index = model()->index(row, modelColumn());
    const_cast<ListBox *>(this)->scrollTo(index);
    return visualRect(index);
}

void ListBox::tipFollowsPointer()
{
    if (!QToolTip::isVisible() || !model())
        return;
    const QPoint at = viewport()->mapFromGlobal(QCursor::pos());
    if (!viewport()->rect().contains(at))
        return; // the tooltip is another's
    const QModelIndex index = indexAt(at);
    const QString tip = index.data(Qt::ToolTipRole).toString();
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(QCursor::pos(), tip, viewport(), visualRect(index));
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

void ListBox::clearRows()
{
    m_extent = 0;
    scheduleDelayedItemsLayout(); // once, with the rows to come, when they are widened or painted
    // No current row: tabbing into the empty list must not make row 0 current later.
    setCurrentIndex(QModelIndex());
}

void ListBox::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles); // not QListView's, which lays out all rows
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
        QListView::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        QListView::mousePressEvent(event); // the clicked row is selected first
    } else {
        event->accept(); // a right or middle press leaves the selection alone
    }
    emit mouseDown(vbButton(event->button()), ShiftMask(event->modifiers()), at.x(), at.y());
}

void ListBox::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        QListView::mouseReleaseEvent(event);
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
    QListView::mouseDoubleClickEvent(event);
    g_doubleClicking = nullptr;
    emit dblClick();
}
