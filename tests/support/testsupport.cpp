#include "testsupport.h"

#include "app/errorbox.h"

#include <QDir>

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

TestWorkspace::TestWorkspace(const QByteArray &library)
    : previous(QDir::currentPath())
{
    for (const char *folder :
         {"panel", "torvik_stream_query_engine/queryplan", "torvik_stream_query_engine/template"})
        QDir(path(".")).mkpath(folder);
    for (const char *name : {"dim_3_no_sum", "dim_3_sum", "dim_4_no_sum", "dim_4_sum"})
        writeBytes(path("torvik_stream_query_engine/template/%1.txt").arg(name),
                   name
                       + QByteArray("\r\n??SourceName ??SchemaId ??outputmode ??windowSize "
                                    "??slideSize ??rangeThreshold ??countThreshold"));
    writeBytes(path("torvik_stream_query_engine/demo.qe_config"), library);
    QDir::setCurrent(path("panel"));
}

TestWorkspace::~TestWorkspace()
{
    QDir::setCurrent(previous);
}

namespace {

QStringList *debugLines = nullptr;

} // namespace

Panel::Panel()
{
    debugLines = &debug;
    qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &line) { *debugLines << line; });
    ErrorBox::setRecorder(
        [this](const QString &title, const QString &text) { boxes << title + " | " + text; });
    window = std::make_unique<MainWin>();
}

Panel::~Panel()
{
    window.reset();
    ErrorBox::setRecorder({});
    qInstallMessageHandler(nullptr);
}
