// The library file as an operator may leave it: load it, register a name the
// Save check admits, remove a row, and rebuild after each step. Never a crash
// or sanitizer report; for a text the panel accepts, everything up to the
// count comes back byte for byte and the count equals the names after every
// write.

#include "composer/plantemplate.h"
#include "library/librarytext.h"

#include <QDir>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char *what)
{
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

QStringList trimmedAll(const QStringList &names)
{
    QStringList trimmed;
    for (const QString &name : names)
        trimmed << name.trimmed();
    return trimmed;
}

// One write: the head kept, the count equal to the names, the names trimmed.
void checkWrite(const QByteArray &before, int countStart, const QStringList &names)
{
    const QByteArray written = LibraryText::rebuild(before, countStart, names);
    if (written.left(countStart) != before.left(countStart))
        fail("preamble, key or separator changed");
    const LibraryText::Library again = LibraryText::parse(written);
    if (again.problem != LibraryText::LayoutProblem::None)
        fail("a written library does not load");
    if (again.countStart != countStart)
        fail("the count moved");
    if (!again.countMatchesNames() || again.names.size() != names.size())
        fail("count and names disagree after a write");
    if (again.names != trimmedAll(names))
        fail("names changed on the way to the file");
}

// A name that may name a file stays directly inside the plan folder.
void checkPathSafety(const QString &name)
{
    if (!LibraryText::isPlanFileName(name))
        return;
    const QString folder = QStringLiteral("../engine/queryplan");
    const QString path = QDir::cleanPath(folder + u'/' + name.trimmed());
    if (!path.startsWith(folder + u'/') || path.mid(folder.size() + 1).contains(u'/'))
        fail("a plan file name leaves the plan folder");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString newName = QString::fromUtf8(input.ConsumeRandomLengthString(40).c_str());
    const unsigned row = input.ConsumeIntegral<uint16_t>();
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray text(rest.data(), qsizetype(rest.size()));

    const LibraryText::Library loaded = LibraryText::parse(text);
    for (const QString &name : loaded.names)
        checkPathSafety(name);
    if (loaded.problem != LibraryText::LayoutProblem::None)
        return 0; // refused at load: never written
    if (loaded.countStart < 0 || loaded.countStart > text.size())
        fail("count position outside the text");

    QStringList names = loaded.names;
    if (planNameProblem(newName) == PlanNameProblem::None) {
        names << newName;
        checkWrite(text, loaded.countStart, names);
    }
    if (!names.isEmpty()) {
        const QByteArray registered = LibraryText::rebuild(text, loaded.countStart, names);
        names.removeAt(int(row % unsigned(names.size())));
        checkWrite(registered, loaded.countStart, names);
    }
    return 0;
}
