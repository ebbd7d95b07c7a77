#include "library/planlistdelegate.h"

#include <QFontMetricsF>
#include <QStringListModel>

#include <algorithm>
#include <array>
#include <vector>

namespace {

// How many of the names that rank widest are laid out for real: ranked by
// their characters' advances, without kerning, they stand close enough.
constexpr std::size_t kLaidOut = 16;

} // namespace

QSize PlanListDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *model = qobject_cast<const QStringListModel *>(index.model());
    if (!model)
        return QStyledItemDelegate::sizeHint(option, index);
    // Names are read from the library as Latin-1: a table serves nearly every
    // character.
    const QFontMetricsF metrics(option.font);
    std::array<qreal, 256> latin1;
    for (std::size_t c = 0; c < latin1.size(); ++c)
        latin1[c] = metrics.horizontalAdvance(QChar(char16_t(c)));
    const QStringList names = model->stringList();
    std::vector<std::pair<qreal, int>> widest; // advance, row
    widest.reserve(kLaidOut + 1);
    for (int row = 0; row < names.size(); ++row) {
        qreal advance = 0;
        for (const QChar c : names.at(row))
            advance +=
                c.unicode() < latin1.size() ? latin1[c.unicode()] : metrics.horizontalAdvance(c);
        if (widest.size() == kLaidOut && advance <= widest.back().first)
            continue;
        widest.insert(std::upper_bound(widest.begin(), widest.end(), advance,
                                       [](qreal a, const auto &b) { return a > b.first; }),
                      {advance, row});
        if (widest.size() > kLaidOut)
            widest.pop_back();
    }
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    for (const auto &[advance, row] : widest)
        size = size.expandedTo(QStyledItemDelegate::sizeHint(option, model->index(row)));
    return size;
}
