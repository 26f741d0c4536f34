#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>

#include <functional>

struct Document;
class RowMarks;

// The window's rows as one item model: row i of the loaded Document, its found
// text in column 0 and its replacement in column 1, with what the marks say of
// it (tooltip, warning icon, the grey of a row that looks like the program's
// data) as their data. List1 and List2 are views of its two columns; the rows
// themselves live only in the Document.
class RowModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    RowModel(Document &document, const RowMarks &marks, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // A row's replacement (column 1) is stored in the Document.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // Every row may change (a load, a switch of reading): the views start over.
    void changeAll(const std::function<void()> &change);
    // The marks have new findings: tooltips, icons and greys are asked for again.
    void marksChanged();

private:
    static QString wholeText(const QString &text);
    Document &m_document;
    const RowMarks &m_marks;
    QIcon m_warning;
    QColor m_grey;
};
