// Prints the locations the panel uses, relative to its own folder, one
// "kind path" pair per line, so that scripts laying out a workspace take them
// from the panel's own table instead of repeating them.

#include "workspace/paths.h"

#include <QTextStream>

int main()
{
    QTextStream out(stdout);
    for (const Paths::Engine &engine : Paths::engines())
        out << "engine " << engine.program << '\n';
    out << "templates " << Paths::templateFolder() << '\n';
    out << "plans " << Paths::planFolder() << '\n';
    out << "library " << Paths::libraryFile() << '\n';
    return 0;
}
