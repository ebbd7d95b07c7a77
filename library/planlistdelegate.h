#pragma once
// The plan list's item delegate: draws like QStyledItemDelegate, and gives
// every row one size, so that a view with uniform item sizes lays out a list
// of a million names without measuring each row: a row's height, and the
// width of the widest name, which the horizontal scroll bar then reaches.

#include <QStyledItemDelegate>

// For the plan list only: plain text rows of a string list model, unwrapped.
class PlanListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The view asks for one row at each layout; the answer stands for all.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
