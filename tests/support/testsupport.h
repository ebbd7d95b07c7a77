#pragma once

// What the panel's tests share: a throw-away workspace laid out as operators
// have it, and the window with its boxes and debug lines recorded.

#include "app/errorbox.h"
#include "app/mainwin.h"

#include <QtTest>
#include <QtWidgets>

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

// "<root>/panel" is the current directory while it lives. Beside it,
// "torvik_stream_query_engine" holds four templates, an empty plan folder and
// a library file. Each template is its own name, a line end and the seven
// placeholders, one blank apart. The stand-in engines are there on request.
struct TestWorkspace
{
    explicit TestWorkspace(const QByteArray &library = "# library\r\nNumberOfQueriesInLibrary=0",
                           const QStringList &engines = {})
    {
        for (const QString &program : engines) {
            QDir(path(".")).mkpath(QFileInfo(program).path());
            QFile::copy(PANEL_STANDIN_ENGINE, path(program));
        }
        for (const char *folder : {"panel", "torvik_stream_query_engine/queryplan",
                                   "torvik_stream_query_engine/template"})
            QDir(path(".")).mkpath(folder);
        for (const char *name : {"dim_3_no_sum", "dim_3_sum", "dim_4_no_sum", "dim_4_sum"})
            writeBytes(path("torvik_stream_query_engine/template/%1.txt").arg(name),
                       name
                           + QByteArray("\r\n??SourceName ??SchemaId ??outputmode ??windowSize "
                                        "??slideSize ??rangeThreshold ??countThreshold"));
        writeBytes(path("torvik_stream_query_engine/demo.qe_config"), library);
        QDir::setCurrent(path("panel"));
    }
    ~TestWorkspace() { QDir::setCurrent(previous); }
    QString path(const QString &relative) const { return dir.filePath(relative); }

    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
};

// The window, with every box and debug line recorded from its start.
struct Panel
{
    Panel()
    {
        static QStringList *lines;
        lines = &debug;
        qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &line) { *lines << line; });
        ErrorBox::setRecorder(
            [this](const QString &title, const QString &text) { boxes << title + " | " + text; });
        window = std::make_unique<MainWin>();
    }
    ~Panel() // before the window goes: it records no more
    {
        ErrorBox::setRecorder({});
        qInstallMessageHandler(nullptr);
    }

    QStringList boxes; // "title | text"
    QStringList debug;
    std::unique_ptr<MainWin> window;
};
