#include "library/librarytext.h"

#include <algorithm>

namespace LibraryText {

namespace {

const QByteArray lineEnd = QByteArrayLiteral("\r\n");

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The first key that stands as the first word of its line, after any blanks;
// the key inside a longer word or later on a line is part of the preamble.
int findKey(const QByteArray &text)
{
    for (int key = text.indexOf(countKey); key != -1; key = text.indexOf(countKey, key + 1)) {
        int lineStart = key;
        while (lineStart > 0 && isBlank(text.at(lineStart - 1)))
            --lineStart;
        const int after = key + int(countKey.size());
        const bool firstWord = lineStart == 0 || text.at(lineStart - 1) == '\n';
        if (firstWord
            && (after == text.size() || isBlank(text.at(after))
                || QByteArrayView("=\r\n").contains(text.at(after))))
            return key;
    }
    return -1;
}

} // namespace

Library parse(const QByteArray &text)
{
    Library library;
    const int key = findKey(text);
    if (key < 0) {
        library.problem = LayoutProblem::NoKey;
        return library;
    }
    // The "=" must stand on the key's line.
    const int keyLineEnd = text.indexOf('\n', key);
    const int separator = (keyLineEnd == -1 ? text : text.left(keyLineEnd)).indexOf('=', key);
    if (separator == -1) {
        library.problem = LayoutProblem::NoSeparator;
        return library;
    }
    // With "\n" alone the count line would run to the end of the file and
    // every name would be lost at the next write; a "\r" alone ends no line
    // either. From the key on, every "\n" and every "\r" belongs to a "\r\n".
    const QByteArrayView fromKey = QByteArrayView(text).sliced(key);
    const qsizetype lineEnds = fromKey.count(lineEnd);
    if (fromKey.count('\n') != lineEnds) {
        library.problem = LayoutProblem::BareLineFeed;
        return library;
    }
    if (fromKey.count('\r') != lineEnds) {
        library.problem = LayoutProblem::BareCarriageReturn;
        return library;
    }

    library.countStart = separator + 1;
    library.countEnd = text.indexOf(lineEnd, key);
    const int countLength = library.countEnd == -1 ? -1 : library.countEnd - library.countStart;
    library.count = text.mid(library.countStart, countLength).toInt(nullptr, 10);
    // A line end that closes the file ends the line before it and adds no name.
    if (library.countEnd != -1 && library.countEnd + lineEnd.size() != text.size()) {
        QByteArray rest = text.mid(library.countEnd + lineEnd.size());
        if (rest.endsWith(lineEnd))
            rest.chop(lineEnd.size());
        library.names =
            QString::fromLatin1(rest).split(QString::fromLatin1(lineEnd), Qt::KeepEmptyParts);
    }
    return library;
}

QByteArray rebuild(const QByteArray &text, int countStart, const QStringList &names)
{
    QByteArray result = text.left(countStart);
    result += QByteArray::number(names.size());
    // Written in place, without a temporary per name: with thousands of names
    // this runs at every Save and Remove. A character beyond Latin-1 becomes
    // "?", as QString::toLatin1() makes it.
    const qsizetype head = result.size();
    qsizetype length = head;
    for (const QString &name : names)
        length += lineEnd.size() + name.size();
    result.resize(length);
    char *const begin = result.data();
    char *out = begin + head;
    for (const QString &name : names) {
        out = std::copy(lineEnd.cbegin(), lineEnd.cend(), out);
        for (const QChar c : QStringView(name).trimmed())
            *out++ = c.unicode() < 0x100 ? char(c.unicode()) : '?';
    }
    result.truncate(out - begin);
    return result;
}

} // namespace LibraryText
