#include "composer/datasources.h"

#include "workspace/paths.h"

namespace DataSources {

const std::array<Source, 3> &all()
{
    // ORCL and Traffic share the three-dimension templates.
    static const std::array<Source, 3> table{{
        {QStringLiteral("ORCL"), QStringLiteral("ORCL"), QStringLiteral("data/ORCL.txt"),
         QStringLiteral("dim_3"), QStringLiteral("1")},
        {QStringLiteral("traffic"), QStringLiteral("Traffic"), QStringLiteral("RealTraffic"),
         QStringLiteral("dim_3"), QStringLiteral("20")},
        {QStringLiteral("earthquake"), QStringLiteral("Earthquake"),
         QStringLiteral("RealEarthquake"), QStringLiteral("dim_4"), QStringLiteral("23")},
    }};
    return table;
}

const Source *at(int index)
{
    if (index < 0 || index >= int(all().size()))
        return nullptr;
    return &all()[std::size_t(index)];
}

QString suggestedFileName(const QString &sourceName, bool withEvo, bool withSum)
{
    const QString evoWord = withEvo ? QStringLiteral("Evo") : QStringLiteral("no_Evo");
    const QString sumWord = withSum ? QStringLiteral("with_Sum") : QStringLiteral("no_Sum");
    return sourceName + u'_' + evoWord + u'_' + sumWord + QStringLiteral(".txt");
}

TemplateChoice templateChoice(int sourceIndex, bool withSum)
{
    const Source *source = at(sourceIndex);
    TemplateChoice choice;
    choice.path = Paths::templateFolder() + (source ? source->dimensionWord : QString()) + u'_'
        + (withSum ? QStringLiteral("sum") : QStringLiteral("no_sum")) + QStringLiteral(".txt");
    if (source)
        choice.schemaId = source->schemaId;
    return choice;
}

} // namespace DataSources
