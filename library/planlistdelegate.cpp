#include "library/planlistdelegate.h"

#include <QStyle>
#include <QWidget>

bool PlanListDelegate::Measure::operator==(const Measure &other) const
{
    return font == other.font && style == other.style && features == other.features
        && decorationSize == other.decorationSize;
}

QSize PlanListDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const Measure now{option.font, option.widget ? option.widget->style() : nullptr,
                      option.features, option.decorationSize};
    if (!(now == measure)) {
        sizes.clear();
        measure = now;
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    auto found = sizes.constFind(text);
    if (found == sizes.constEnd())
        found = sizes.insert(text, QStyledItemDelegate::sizeHint(option, index));
    return *found;
}
