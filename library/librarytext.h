#pragma once
// The library configuration file's text: parsing and rebuilding.
//
// The file is a preamble, the key, "=", the plan count, and then one plan
// name after each "\r\n". The key is the first word of its line; a line end
// that closes the file adds no name, and the panel writes none after the last
// name. Only the count and the names are ever rewritten; every byte in front
// of the count is kept, and so is an operator's note after the count's digits
// on its line ("= 2   ; two plans").

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace LibraryText {

inline const QByteArray countKey = QByteArrayLiteral("NumberOfQueriesInLibrary");

// Layouts that cannot be rewritten without cutting in the wrong place or
// dropping the names.
enum class LayoutProblem {
    None,
    NoKey,              // no line begins with the key as its first word
    NoSeparator,        // no "=" on the key's line
    BareLineFeed,       // a line from the key on ends in "\n" without "\r"
    BareCarriageReturn, // a "\r" from the key on has no "\n" after it
};

struct Library
{
    LayoutProblem problem = LayoutProblem::None;
    int countStart = -1; // first byte after the "=" that follows the key
    int countEnd = -1;   // the "\r\n" ending the count line, -1 when none
    int count = 0;       // the count text as a number, 0 when it is none
    QStringList names;   // Latin-1, in file order, empty ones kept

    bool countMatchesNames() const { return count == names.size(); }
};

Library parse(const QByteArray &text);

// The plan file that a listed name stands for: the name without the white
// space around it, as every write stores it.
inline QStringView fileName(QStringView listed)
{
    return listed.trimmed();
}

// The text up to countStart, then the number of names, then "\r\n" and the
// file name as Latin-1 for each of names and then of added. The count is
// always the number of names.
QByteArray rebuild(const QByteArray &text, int countStart, const QStringList &names,
                   const QStringList &added = {});

// The size that rebuild() gives, without building the text.
qsizetype rebuiltSize(const QByteArray &text, int countStart, const QStringList &names,
                      const QStringList &added = {});

} // namespace LibraryText
