#include "composer/planname.h"

#include "workspace/files.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// The library stores a name as Latin-1 bytes, and an engine opens the plan
// by those bytes. Windows names files in UTF-16, where Latin-1 means the same
// file; elsewhere a name goes to disk in the system's encoding (UTF-8), where
// only ASCII does.
bool namesTheSameFile(const QString &name)
{
#ifdef Q_OS_WIN
    // Characters that Windows takes in no file name, a trailing dot that it
    // drops, and device names, which it opens whatever their extension.
    static const QRegularExpression unusable(
        QStringLiteral("[<>\"|?\\x01-\\x1f]|\\.$|^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return Files::isLatin1(name) && !name.contains(unusable);
#else
    return std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x80; });
#endif
}

} // namespace

namespace PlanName {

std::optional<Problem> problem(const QString &name)
{
    // Unicode properties make \s mean every character that QChar::isSpace()
    // calls white space, the no-break and ideographic spaces included.
    static const QRegularExpression forbidden(QStringLiteral("[\\s!@#$%^&*]"),
                                              QRegularExpression::UseUnicodePropertiesOption);
    if (name.contains(forbidden))
        return Problem::SpecialCharacter;
    if (folderEntry(name) == FolderEntry::Outside || !namesTheSameFile(name))
        return Problem::NotPlain;
    return std::nullopt;
}

FolderEntry folderEntry(const QString &name)
{
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(QChar::Null))
        return FolderEntry::Outside;
#ifdef Q_OS_WIN
    // "C:x" names a file relative to another drive's current folder.
    if (name.contains(u':'))
        return FolderEntry::Outside;
#endif
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return FolderEntry::FolderItself;
    return FolderEntry::File;
}

} // namespace PlanName
