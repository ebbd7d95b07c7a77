#pragma once

// The library configuration file on disk: whether it still holds what the
// panel last read or wrote there, whether a listed name names a plan file
// already, and writing it so that nothing another writer put there is lost
// and everything on the file itself stays.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace LibraryFile {

// Whether the file at path holds other bytes than known. A file that is
// missing, not a regular file or unreadable counts as unchanged: the write
// itself reports it.
bool changedOutside(const QString &path, const QByteArray &known);

// Whether a listed name names the plan file name: compared as file names,
// and on Windows, whose file names ignore case, without regard to case.
bool lists(const QStringList &names, const QString &name);

struct Outcome
{
    enum class Status {
        Written,
        ChangedOutside, // another writer changed it, or held it for the whole wait
        NotRegular,
        OpenFailed,  // missing, or not writable
        WriteFailed, // bytes may have reached the file
        TooLarge,    // the panel could not read it at its next start
    };
    Status status = Status::Written;
    QString error;     // the system's reason for OpenFailed and WriteFailed
    QByteArray onDisk; // what the file holds now, as far as the panel knows
};

// Writes bytes over the library at path, which the panel last saw holding
// known. Other panels wait while one checks and writes. The last check comes
// right before the file is replaced or rewritten. A file whose owner, group,
// special bits, links, access control list or attributes a new copy would
// lose is rewritten in place, its mode restored afterwards; otherwise a copy
// written beside it replaces it, so that a failure leaves it whole. The file
// is never created, nor written larger than the panel reads.
Outcome write(const QString &path, const QByteArray &known, const QByteArray &bytes);

} // namespace LibraryFile
