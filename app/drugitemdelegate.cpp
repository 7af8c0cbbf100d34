#include "app/drugitemdelegate.h"

#include "app/drugtableview.h"
#include "app/liststatus.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>

namespace
{
// Whether the cell's text is wider than the space its cell gives it.
bool isCut(const QStyleOptionViewItem &option)
{
    const QWidget *widget = option.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &option, widget);
    // The style keeps a margin at each side of the text.
    const int margins = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1);
    return option.fontMetrics.horizontalAdvance(option.text) > textRect.width() - margins;
}
} // namespace

DrugItemDelegate::DrugItemDelegate(std::function<QDateTime()> clock, QObject *parent)
    : QStyledItemDelegate(parent), clock(std::move(clock))
{
}

QString DrugItemDelegate::toolTip(const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    QStringList lines;
    if (!cell.text.isEmpty() && isCut(cell))
        lines.append(cell.text);
    const QDate until = index.data(DrugTableView::transitionalRole).toDate();
    if (until.isValid())
        lines.append(transitionalStatus(until, clock().date()));
    return lines.join(QLatin1Char('\n'));
}

bool DrugItemDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                                 const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString tip = toolTip(option, index);
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPos(), tip, view->viewport(), option.rect);
    return true;
}
