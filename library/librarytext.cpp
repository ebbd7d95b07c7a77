#include "library/librarytext.h"

#include <algorithm>
#include <optional>

namespace LibraryText {

namespace {

const QByteArray lineEnd = QByteArrayLiteral("\r\n");

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
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

// The count text runs from countStart to the line end, or to the end of the
// text when no line end follows.
QByteArrayView countText(const QByteArray &text, int countStart)
{
    const qsizetype end = text.indexOf(lineEnd, countStart);
    return QByteArrayView(text).sliced(countStart, (end == -1 ? text.size() : end) - countStart);
}

// Where the digits stand in a count text that holds more than a number:
// blanks, digits, a blank and then a note. A plain number, blanks around it
// included, and a text that is no number are replaced whole.
struct Digits
{
    qsizetype begin;
    qsizetype end;
};

std::optional<Digits> notedDigits(QByteArrayView count)
{
    qsizetype begin = 0;
    while (begin < count.size() && isBlank(count.at(begin)))
        ++begin;
    qsizetype end = begin;
    while (end < count.size() && isDigit(count.at(end)))
        ++end;
    if (end == begin || end == count.size() || !isBlank(count.at(end)))
        return std::nullopt;
    const auto note = std::find_if_not(count.begin() + end, count.end(), isBlank);
    if (note == count.end())
        return std::nullopt;
    return Digits{begin, end};
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
    const QByteArrayView count = countText(text, library.countStart);
    const auto digits = notedDigits(count);
    library.count = (digits ? count.sliced(digits->begin, digits->end - digits->begin) : count)
                        .toInt(nullptr, 10);
    // A line end that closes the file ends the line before it and adds no name.
    if (library.countEnd != -1 && library.countEnd + lineEnd.size() != text.size()) {
        QByteArrayView rest = QByteArrayView(text).sliced(library.countEnd + lineEnd.size());
        if (rest.endsWith(lineEnd))
            rest.chop(lineEnd.size());
        // Each name straight from the bytes: a library may hold a million.
        // Every "\r" is the start of a line end here.
        library.names.reserve(rest.count('\r') + 1);
        for (qsizetype start = 0;;) {
            const qsizetype end = rest.indexOf('\r', start);
            const qsizetype size = (end == -1 ? rest.size() : end) - start;
            library.names.append(QString::fromLatin1(rest.sliced(start, size)));
            if (end == -1)
                break;
            start = end + lineEnd.size();
        }
    }
    return library;
}

qsizetype rebuiltSize(const QByteArray &text, int countStart, const QStringList &names,
                      const QStringList &added)
{
    const QByteArrayView count = countText(text, countStart);
    const auto digits = notedDigits(count);
    qsizetype size = countStart + QByteArray::number(names.size() + added.size()).size()
        + (digits ? count.size() - (digits->end - digits->begin) : 0);
    for (const QStringList *list : {&names, &added})
        for (const QString &name : *list)
            size += lineEnd.size() + fileName(name).size();
    return size;
}

QByteArray rebuild(const QByteArray &text, int countStart, const QStringList &names,
                   const QStringList &added)
{
    // Written in place, without a temporary per name: with thousands of names
    // this runs at every Save and Remove.
    QByteArray result(rebuiltSize(text, countStart, names, added), Qt::Uninitialized);
    const QByteArrayView count = countText(text, countStart);
    const auto digits = notedDigits(count);
    const QByteArray number = QByteArray::number(names.size() + added.size());
    char *out = std::copy_n(text.cbegin(), countStart, result.data());
    if (digits)
        out = std::copy_n(count.cbegin(), digits->begin, out);
    out = std::copy(number.cbegin(), number.cend(), out);
    if (digits)
        out = std::copy(count.cbegin() + digits->end, count.cend(), out);
    for (const QStringList *list : {&names, &added}) {
        for (const QString &name : *list) {
            out = std::copy(lineEnd.cbegin(), lineEnd.cend(), out);
            // A character beyond Latin-1 becomes "?", as QString::toLatin1()
            // makes it.
            for (const QChar c : fileName(name))
                *out++ = c.unicode() < 0x100 ? char(c.unicode()) : '?';
        }
    }
    return result;
}

} // namespace LibraryText
