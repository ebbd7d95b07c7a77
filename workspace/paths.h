#pragma once

// Where the panel finds the engines and the files it shares with the query
// engine. The panel runs with a current directory beside the engines'
// folders, and every location is relative to it. Forward slashes work on
// every platform Qt supports; programs carry ".exe" only on Windows.

#include <QString>

#include <array>
#include <cstddef>

class QDir;

namespace Paths {

QString templateFolder(); // plan templates, read only
QString planFolder();     // query plans written by Save, deleted by Remove
QString libraryFile();    // the library configuration file

// One engine, in launch order.
struct Engine
{
    QString folder;      // working folder, relative, ending in "/"
    QString program;     // the folder followed directly by the program file
    QString startedLine; // debug line once the engine has started
};

constexpr std::size_t engineCount = 3;

// Source, visual and query engine, in the order they are started.
const std::array<Engine, engineCount> &engines();

// An engine's folder and program as absolute paths, resolved against the
// panel's own directory: some platforms would otherwise take a relative
// program path relative to the new working folder.
struct EngineLocation
{
    QString workingFolder;
    QString program;
};

EngineLocation locate(const Engine &engine, const QDir &panelDir);

} // namespace Paths
