#pragma once

// Where the panel finds the engines and the files it shares with the query
// engine. The panel runs with a current directory that is a sibling of the
// engines' folders; every location is relative to it. Forward slashes work on
// every platform Qt supports.

#include <QString>
#include <QVector>

class QDir;

namespace EnginePaths {

QString queryEngineFolder(); // "../torvik_stream_query_engine/"
QString templateFolder();    // plan templates, read only
QString planFolder();        // query plans written by Save, deleted by Remove
QString libraryFile();       // the library configuration file

// A program file name with the platform's executable suffix.
QString programFile(const QString &baseName);

} // namespace EnginePaths

// One row of the engine table, in launch order.
struct EngineEntry
{
    QString folder;      // working folder, relative, ending in "/"
    QString program;     // folder followed directly by the program file
    QString startedLine; // debug line once the engine has started
};

// Source, visual and query engine, in the order they are started.
const QVector<EngineEntry> &engineTable();

// An engine's folder and program as absolute paths. They are resolved against
// the panel's own directory: a relative program path would otherwise be taken
// relative to the new working folder on some platforms.
struct EngineLocation
{
    QString workingFolder;
    QString program;
};

EngineLocation locateEngine(const EngineEntry &engine, const QDir &panelDir);
