// The library file as an operator may leave it, written back with a name
// added: never a crash, and for a text the panel accepts, every byte before
// the count stays and the names read back trimmed, as many as the count says.

#include "library/librarytext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), int(size));
    LibraryText::Library loaded = LibraryText::parse(text);
    // A name as Save registers one: not blank, and with no line end in it.
    const QString added = u'p' + QString::fromLatin1(text.left(8)).remove('\n').remove('\r');
    if (loaded.problem != LibraryText::LayoutProblem::None)
        return 0;
    const QByteArray written = LibraryText::rebuild(text, loaded.countStart, loaded.names << added);
    const LibraryText::Library again = LibraryText::parse(written);
    if (written.left(loaded.countStart) != text.left(loaded.countStart)
        || !again.countMatchesNames() || again.names.last() != added.trimmed()
        || again.names.size() != loaded.names.size())
        __builtin_trap();
    return 0;
}
