#pragma once

// The library configuration file on disk: whether it still holds what the
// panel last read or wrote there, whether two listed names name one plan
// file, and how a write keeps the file's identity.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace LibraryFile {

// Whether the file at path holds other bytes than known. A file that is
// missing, not a regular file or unreadable counts as unchanged: the write
// itself reports it.
bool changedOutside(const QString &path, const QByteArray &known);

// Whether a listed name names the plan file name: compared trimmed, and on
// Windows, whose file names ignore case, without regard to case.
bool lists(const QStringList &names, const QString &name);

// Whether a new file renamed over the one at path would keep its owner,
// group, permission bits and hard links; otherwise it is written in place.
bool replaceKeepsIdentity(const QString &path);

} // namespace LibraryFile
