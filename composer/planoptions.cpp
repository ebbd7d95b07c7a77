#include "composer/planoptions.h"

#include <array>

std::optional<DataSource> dataSourceAt(int index)
{
    static const std::array<DataSource, 3> table{{
        {QStringLiteral("ORCL"), QStringLiteral("ORCL"), QStringLiteral("data/ORCL.txt")},
        {QStringLiteral("traffic"), QStringLiteral("Traffic"), QStringLiteral("RealTraffic")},
        {QStringLiteral("earthquake"), QStringLiteral("Earthquake"),
         QStringLiteral("RealEarthquake")},
    }};
    if (index < 0 || index >= int(table.size()))
        return std::nullopt;
    return table[std::size_t(index)];
}

QString suggestedPlanFileName(const QString &sourceName, bool withEvo, bool withSum)
{
    const QString evoWord = withEvo ? QStringLiteral("Evo") : QStringLiteral("no_Evo");
    const QString sumWord = withSum ? QStringLiteral("with_Sum") : QStringLiteral("no_Sum");
    return sourceName + u'_' + evoWord + u'_' + sumWord + QStringLiteral(".txt");
}
