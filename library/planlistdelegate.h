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

class QAbstractItemView;
class QStyle;

class PlanListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // Watches the view for font and style changes; the view owns the delegate.
    explicit PlanListDelegate(QAbstractItemView *view);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // What, besides the text, the size of a row of a QStringListModel
    // depends on: the view's option and style. A change empties the cache.
    struct Measure
    {
        QFont font;
        const QStyle *style = nullptr;
        QStyleOptionViewItem::ViewItemFeatures features;
        QSize decorationSize;
        bool matches(const QStyleOptionViewItem &option) const;
    };

    mutable Measure measure;
    mutable QHash<QString, QSize> sizes;
};
