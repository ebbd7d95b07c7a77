#include "library/planlistdelegate.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QStringListModel>
#include <QStyle>

namespace {

const QStyle *styleOf(const QStyleOptionViewItem &option)
{
    return option.widget ? option.widget->style() : nullptr;
}

} // namespace

PlanListDelegate::PlanListDelegate(QAbstractItemView *view)
    : QStyledItemDelegate(view)
{
    view->installEventFilter(this);
}

bool PlanListDelegate::Measure::matches(const QStyleOptionViewItem &option) const
{
    return style == styleOf(option) && features == option.features
        && decorationSize == option.decorationSize && font == option.font;
}

QSize PlanListDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // A QStringListModel holds text alone: no icon, font, check box or
    // alignment of its own per row. Other models, and wrapped text (whose
    // size depends on the width), are measured each time.
    if (!index.model() || index.model()->metaObject() != &QStringListModel::staticMetaObject
        || (option.features & QStyleOptionViewItem::WrapText))
        return QStyledItemDelegate::sizeHint(option, index);

    if (!measure.matches(option)) {
        sizes.clear();
        measure = {option.font, styleOf(option), option.features, option.decorationSize};
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    auto found = sizes.constFind(text);
    if (found == sizes.constEnd())
        found = sizes.insert(text, QStyledItemDelegate::sizeHint(option, index));
    return *found;
}

bool PlanListDelegate::eventFilter(QObject *watched, QEvent *event)
{
    // The base class filters editors only: it would take the view's own keys
    // for an editor's.
    if (watched != parent())
        return QStyledItemDelegate::eventFilter(watched, event);
    // A new style sheet changes the margins but keeps the style object.
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange)
        sizes.clear();
    return false;
}
