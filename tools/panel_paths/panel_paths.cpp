// Prints the locations the panel uses, relative to its own folder, one
// "kind path" pair per line, so that scripts laying out a workspace take them
// from the panel's own table instead of repeating them.

#include "launcher/enginepaths.h"

#include <QTextStream>

int main()
{
    QTextStream out(stdout);
    for (const EngineEntry &engine : engineTable())
        out << "engine " << engine.program << '\n';
    out << "templates " << EnginePaths::templateFolder() << '\n';
    out << "plans " << EnginePaths::planFolder() << '\n';
    out << "library " << EnginePaths::libraryFile() << '\n';
    return 0;
}
