#pragma once

// What the panel's tests share: a throw-away workspace laid out as operators
// have it, and the window with its boxes and debug lines recorded.

#include "app/mainwin.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>
#include <QtWidgets>

#include <memory>

QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);

// "<root>/panel" is the current directory while it lives. Beside it,
// "torvik_stream_query_engine" holds four templates, an empty plan folder and
// a library file. Each template is its own name, a line end and the seven
// placeholders, one blank apart.
struct TestWorkspace
{
    explicit TestWorkspace(const QByteArray &library = "# library\r\nNumberOfQueriesInLibrary=0");
    ~TestWorkspace();
    QString path(const QString &relative) const { return dir.filePath(relative); }

    QTemporaryDir dir;
    QString previous;
};

// The window, with every box and debug line recorded from its start.
struct Panel
{
    Panel();
    ~Panel();
    template<typename T = QObject> T *find(const char *name = nullptr) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }

    QStringList boxes; // "title | text"
    QStringList debug;
    std::unique_ptr<MainWin> window;
};
