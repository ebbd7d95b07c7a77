#include "composer/datasources.h"

#include "workspace/paths.h"

const std::array<DataSource, 3> &dataSources()
{
    // ORCL and Traffic share the three-dimension templates.
    static const std::array<DataSource, 3> table{{
        {QStringLiteral("ORCL"), QStringLiteral("ORCL"), QStringLiteral("data/ORCL.txt"),
         QStringLiteral("dim_3"), QStringLiteral("1")},
        {QStringLiteral("traffic"), QStringLiteral("Traffic"), QStringLiteral("RealTraffic"),
         QStringLiteral("dim_3"), QStringLiteral("20")},
        {QStringLiteral("earthquake"), QStringLiteral("Earthquake"),
         QStringLiteral("RealEarthquake"), QStringLiteral("dim_4"), QStringLiteral("23")},
    }};
    return table;
}

const DataSource *dataSourceAt(int index)
{
    if (index < 0 || index >= int(dataSources().size()))
        return nullptr;
    return &dataSources()[std::size_t(index)];
}

QString suggestedPlanFileName(const QString &sourceName, bool withEvo, bool withSum)
{
    const QString evoWord = withEvo ? QStringLiteral("Evo") : QStringLiteral("no_Evo");
    const QString sumWord = withSum ? QStringLiteral("with_Sum") : QStringLiteral("no_Sum");
    return sourceName + u'_' + evoWord + u'_' + sumWord + QStringLiteral(".txt");
}

TemplateChoice templateChoice(int sourceIndex, bool withSum)
{
    const DataSource *source = dataSourceAt(sourceIndex);
    TemplateChoice choice;
    choice.path = Paths::templateFolder() + (source ? source->dimensionWord : QString()) + u'_'
        + (withSum ? QStringLiteral("sum") : QStringLiteral("no_sum")) + QStringLiteral(".txt");
    if (source)
        choice.schemaId = source->schemaId;
    return choice;
}
