#pragma once

#include <QDateTime>
#include <QStyledItemDelegate>

#include <functional>

// Draws the drug table's cells as the default delegate does, and tells
// what a cell cannot show: a name its column cuts shows whole in the cell's
// tooltip, and a brand with a 経過措置 date says so there (「経過措置:
// 令和8年3月31日まで」, or that it has ended, by the computer's date).
class DrugItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    DrugItemDelegate(std::function<QDateTime()> clock, QObject *parent);

    // The tooltip of the cell at `index` drawn with `option`; empty for none.
    QString toolTip(const QStyleOptionViewItem &option, const QModelIndex &index) const;

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

private:
    std::function<QDateTime()> clock;
};
