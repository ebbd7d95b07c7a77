#pragma once
// The library configuration file's text: parsing and rebuilding.
//
// The file is a preamble, the key, "=", the plan count, and then one plan
// name after each "\r\n". The key is the first word of its line; a line end
// that closes the file adds no name, and the panel writes none after the last
// name. Only the count and the names are ever rewritten; every byte in front
// of the count is kept.

#include <QByteArray>
#include <QString>
#include <QStringList>

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

// The text up to countStart, then the number of names, then "\r\n" and the
// trimmed Latin-1 name for each. The count is always the number of names.
QByteArray rebuild(const QByteArray &text, int countStart, const QStringList &names);

} // namespace LibraryText
