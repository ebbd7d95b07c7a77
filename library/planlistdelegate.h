#pragma once
// The plan list's item delegate: draws like QStyledItemDelegate, but keeps
// the size it measured for each name.
//
// QListView measures every row again whenever its model changes, and the
// default delegate lays out each row's text to do so. A Save or Remove
// changes one name in a list of thousands, so every other name's size is
// taken from the cache instead.

#include <QFont>
#include <QHash>
#include <QSize>
#include <QStyledItemDelegate>

class QStyle;

// For the plan list only: plain text rows of a string list model, unwrapped,
// in a view whose style sheet does not change while it shows them.
class PlanListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    // What, besides the text, a row's size depends on. A change empties the
    // cache.
    struct Measure
    {
        QFont font;
        const QStyle *style = nullptr;
        QStyleOptionViewItem::ViewItemFeatures features;
        QSize decorationSize;
        bool operator==(const Measure &other) const;
    };

    mutable Measure measure;
    mutable QHash<QString, QSize> sizes;
};
