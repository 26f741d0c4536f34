#include "ui/RowModel.h"

#include "engine/Document.h"
#include "ui/RowMarks.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>

RowModel::RowModel(Document &document, const RowMarks &marks, QObject *parent)
    : QAbstractTableModel(parent), m_document(document), m_marks(marks),
      m_warning(QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning)),
      m_grey(QApplication::palette().color(QPalette::Disabled, QPalette::Text))
{
}

int RowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_document.found.size());
}

int RowModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant RowModel::data(const QModelIndex &index, int role) const
{
    const int row = index.row();
    if (!index.isValid() || row >= m_document.found.size())
        return QVariant();
    const bool found = index.column() == 0;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return found ? m_document.found.at(row) : m_document.replacements.value(row);
    case Qt::ToolTipRole: {
        const QString tip = found ? m_marks.sourceTip(row) + QStringLiteral("\n双击这一行，它的替换恢复成原始字符串。") : m_marks.landingTip(row);
        return wholeText(found ? m_document.found.at(row) : m_document.replacements.value(row)) + tip;
    }
    case Qt::DecorationRole:
        return !found && m_marks.marked(row) ? QVariant(m_warning) : QVariant();
    case Qt::ForegroundRole:
        return m_marks.looksLikeData(row) ? QVariant(m_grey) : QVariant();
    default:
        return QVariant();
    }
}

// A text the list shows on one line, its breaks as ↵, as it is; empty for a text of one line.
QString RowModel::wholeText(const QString &text)
{
    constexpr qsizetype Longest = 2000;
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return QString();
    const QString shown = text.size() > Longest ? text.left(Longest) + QChar(0x2026) : text;
    return QStringLiteral("全文（列表中 ↵ 是换行）：\n%1\n\n").arg(shown);
}

void RowModel::changeAll(const std::function<void()> &change)
{
    beginResetModel();
    change();
    endResetModel();
}

bool RowModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const int row = index.row();
    if (role != Qt::EditRole || index.column() != 1 || row < 0 || row >= m_document.replacements.size())
        return false;
    m_document.replacements[row] = value.toString();
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

void RowModel::marksChanged()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 1), {Qt::ToolTipRole, Qt::DecorationRole, Qt::ForegroundRole});
}
