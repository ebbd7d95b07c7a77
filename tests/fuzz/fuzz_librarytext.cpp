// The library file as an operator may leave it, loaded and written back with
// one name added: never a crash or sanitizer report, and for a text the
// panel accepts, every byte before the count stays and the names read back
// trimmed, as many as the count says.

#include "library/librarytext.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString added = QString::fromLatin1(input.ConsumeRandomLengthString(20).c_str());
    const QByteArray text = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());
    LibraryText::Library loaded = LibraryText::parse(text);
    if (loaded.problem != LibraryText::LayoutProblem::None || added.contains('\n'))
        return 0;
    const QByteArray written = LibraryText::rebuild(text, loaded.countStart, loaded.names << added);
    const LibraryText::Library again = LibraryText::parse(written);
    if (written.left(loaded.countStart) != text.left(loaded.countStart)
        || !again.countMatchesNames() || again.names.last() != added.trimmed()
        || again.names.size() != loaded.names.size())
        __builtin_trap();
    return 0;
}
