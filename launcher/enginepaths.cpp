#include "launcher/enginepaths.h"

#include <QDir>

namespace {

const QString kSourceFolder = QStringLiteral("../torvik_stream_gen_engine/");
const QString kVisualFolder = QStringLiteral("../plotmir_qt_stream/");
const QString kQueryFolder = QStringLiteral("../torvik_stream_query_engine/");

} // namespace

namespace EnginePaths {

QString queryEngineFolder()
{
    return kQueryFolder;
}

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

QString programFile(const QString &baseName)
{
#ifdef Q_OS_WIN
    return baseName + QStringLiteral(".exe");
#else
    return baseName;
#endif
}

} // namespace EnginePaths

const QVector<EngineEntry> &engineTable()
{
    using EnginePaths::programFile;
    static const QVector<EngineEntry> table{
        {kSourceFolder, kSourceFolder + programFile(QStringLiteral("torvik_stream_source_engine")),
         QStringLiteral("source engine started")},
        {kVisualFolder, kVisualFolder + programFile(QStringLiteral("Plotmir")),
         QStringLiteral("visual engine started")},
        {kQueryFolder, kQueryFolder + programFile(QStringLiteral("torvik_stream_query_engine")),
         QStringLiteral("query engine started")},
    };
    return table;
}

EngineLocation locateEngine(const EngineEntry &engine, const QDir &panelDir)
{
    return {QDir::cleanPath(panelDir.absoluteFilePath(engine.folder)),
            QDir::cleanPath(panelDir.absoluteFilePath(engine.program))};
}
