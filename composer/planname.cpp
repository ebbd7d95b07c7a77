#include "composer/planname.h"

#include "workspace/files.h"
#include "workspace/paths.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

// The library stores a name as Latin-1 bytes, and an engine opens the plan
// by those bytes. Windows names files in UTF-16, where Latin-1 means the same
// file; elsewhere a name goes to disk in the system's encoding (UTF-8), where
// only ASCII does.
bool namesTheSameFile(QStringView name)
{
#ifdef Q_OS_WIN
    // Characters that Windows takes in no file name, a trailing dot that it
    // drops, and device names, which it opens whatever their extension.
    static const QRegularExpression unusable(
        QStringLiteral("[<>\"|?\\x01-\\x1f]|\\.$|^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return Files::isLatin1(name) && !unusable.match(name).hasMatch();
#else
    return std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x80; });
#endif
}

// What a name, put after the plan folder, names.
enum class Entry {
    File,         // a file directly inside the plan folder
    FolderItself, // empty, "." or "..": a folder, never a plan file
    Elsewhere,    // a separator or NUL would lead out or cut the name, or it is another file
};

Entry entry(QStringView name)
{
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(QChar::Null))
        return Entry::Elsewhere;
#ifdef Q_OS_WIN
    // "C:x" names a file relative to another drive's current folder.
    if (name.contains(u':'))
        return Entry::Elsewhere;
#endif
    if (!namesTheSameFile(name))
        return Entry::Elsewhere;
    if (name.isEmpty() || name == u"." || name == u"..")
        return Entry::FolderItself;
    return Entry::File;
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
    if (entry(name) == Entry::Elsewhere)
        return Problem::NotPlain;
    return std::nullopt;
}

QString path(QStringView name)
{
    return Paths::planFolder().append(name);
}

std::optional<QString> planFilePath(QStringView name)
{
    if (entry(name) != Entry::File)
        return std::nullopt;
    return path(name);
}

bool taken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace PlanName
