// The library file as an operator may leave it, loaded and rewritten with a
// name added and one removed. Never a crash or sanitizer report; for a text
// the panel accepts, every byte before the count comes back, the count
// equals the names, and the names read back trimmed.

#include "library/librarytext.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

namespace {

void checkWrite(const QByteArray &before, int countStart, const QStringList &names)
{
    const QByteArray written = LibraryText::rebuild(before, countStart, names);
    const LibraryText::Library again = LibraryText::parse(written);
    QStringList trimmed;
    for (const QString &name : names)
        trimmed << QString::fromLatin1(name.trimmed().toLatin1());
    if (written.left(countStart) != before.left(countStart) || again.countStart != countStart
        || !again.countMatchesNames() || (!names.isEmpty() && again.names != trimmed))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString added = QString::fromLatin1(input.ConsumeRandomLengthString(20).c_str());
    const unsigned row = input.ConsumeIntegral<uint16_t>();
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray text(rest.data(), qsizetype(rest.size()));

    const LibraryText::Library loaded = LibraryText::parse(text);
    if (loaded.problem != LibraryText::LayoutProblem::None || added.contains(u'\r')
        || added.contains(u'\n'))
        return 0;
    QStringList names = loaded.names + QStringList{added};
    checkWrite(text, loaded.countStart, names);
    names.removeAt(int(row % unsigned(names.size())));
    checkWrite(LibraryText::rebuild(text, loaded.countStart, names), loaded.countStart, names);
    return 0;
}
