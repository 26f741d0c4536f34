#include "ui/ListBoxWiden.h"

#include "ui/ListBox.h"

#include <QFontMetricsF>
#include <QWidget>

#include <cfenv>
#include <cmath>

int WidthCount(const QStringList &rows)
{
    int count = 0;
    for (const QString &row : rows) {
        if (row.size() > count)
            count = int(row.size()) + 2;
    }
    return count;
}

std::optional<int> HorizontalExtentFor(int widthCount, float spaceWidth, float listWidth)
{
    const float product = float(double(widthCount) * double(spaceWidth));
    if (!(product > listWidth))
        return std::nullopt;
    // Round half to even, whatever the current rounding mode.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(double(product));
    std::fesetround(previous);
    return int(rounded);
}

void WidenListBox(QWidget *form, ListBox *listBox, const QStringList &rows)
{
    if (rows.isEmpty())
        return;
    const float listWidth = float(listBox->width()); // outer width, frame included
    const float spaceWidth = float(QFontMetricsF(form->font()).horizontalAdvance(QChar(u' ')));
    if (const std::optional<int> extent = HorizontalExtentFor(WidthCount(rows), spaceWidth, listWidth))
        listBox->setHorizontalExtent(*extent);
}
