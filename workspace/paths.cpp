#include "workspace/paths.h"

#include <QDir>

namespace {

const QString kSourceFolder = QStringLiteral("../torvik_stream_gen_engine/");
const QString kVisualFolder = QStringLiteral("../plotmir_qt_stream/");
const QString kQueryFolder = QStringLiteral("../torvik_stream_query_engine/");

QString program(const QString &folder, const QString &baseName)
{
#ifdef Q_OS_WIN
    return folder + baseName + QStringLiteral(".exe");
#else
    return folder + baseName;
#endif
}

} // namespace

namespace Paths {

QString templateFolder()
{
    return kQueryFolder + QStringLiteral("template/");
}

QString planFolder()
{
    return kQueryFolder + QStringLiteral("queryplan/");
}

QString libraryFile()
{
    return kQueryFolder + QStringLiteral("demo.qe_config");
}

const std::array<Engine, engineCount> &engines()
{
    static const std::array<Engine, engineCount> table{{
        {kSourceFolder, program(kSourceFolder, QStringLiteral("torvik_stream_source_engine")),
         QStringLiteral("source engine started")},
        {kVisualFolder, program(kVisualFolder, QStringLiteral("Plotmir")),
         QStringLiteral("visual engine started")},
        {kQueryFolder, program(kQueryFolder, QStringLiteral("torvik_stream_query_engine")),
         QStringLiteral("query engine started")},
    }};
    return table;
}

EngineLocation locate(const Engine &engine, const QDir &panelDir)
{
    return {QDir::cleanPath(panelDir.absoluteFilePath(engine.folder)),
            QDir::cleanPath(panelDir.absoluteFilePath(engine.program))};
}

} // namespace Paths
