// The library file's text, loaded and written back with one name added: the
// bytes before the count stay, the count is the number of names, the names
// are trimmed, and what was written reads back as written. The layouts it
// refuses are checked with their boxes in the window test.

#include "library/librarytext.h"

#include <QtTest>

class TestLibrary : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("preamble"); // before the key
        QTest::addColumn<QByteArray>("text");     // after the key
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QByteArray>("rewritten"); // after the key, with " new\t" added
        const auto row = [](const char *tag, const QByteArray &preamble, const QByteArray &text,
                            int count, const QStringList &names, const QByteArray &rewritten) {
            QTest::newRow(tag) << preamble << text << count << names << rewritten;
        };
        const QByteArray pre = "# pre\n\r\n";
        row("blanks around a count that is no number", pre, "  = x \r\nplanA", 0, {"planA"},
            "  =2\r\nplanA\r\nnew");
        row("a count that ends the file", pre, "=10", 10, {}, "=1\r\nnew");
        row("a line end that closes the file after the count adds no name", pre, "=0\r\n", 0, {},
            "=1\r\nnew");
        row("blank, empty and Latin-1 names, the last closed by a line end", pre,
            "=3\r\n a b \r\n\r\ncaf\xe9\r\n", 3, {" a b ", "", "caf\u00e9"},
            "=4\r\na b\r\n\r\ncaf\xe9\r\nnew");
        row("a name that holds the key", pre, "=1\r\nNumberOfQueriesInLibrary=5", 1,
            {"NumberOfQueriesInLibrary=5"}, "=2\r\nNumberOfQueriesInLibrary=5\r\nnew");
        // The key is the first word of its line; other lines that name it stay
        // in the preamble.
        row("a longer word that holds the key", "MaxNumberOfQueriesInLibrary=5\n \t", "=1\r\na", 1,
            {"a"}, "=2\r\na\r\nnew");
        row("a comment that names the key and a count", "# NumberOfQueriesInLibrary=9\r\n\t",
            "=1\r\na", 1, {"a"}, "=2\r\na\r\nnew");
        row("a comment that names the key without =", "# NumberOfQueriesInLibrary is kept\n ",
            "=1\r\na", 1, {"a"}, "=2\r\na\r\nnew");
    }

    void roundTrip()
    {
        QFETCH(QByteArray, preamble);
        QFETCH(QByteArray, text);
        QFETCH(QStringList, names);
        QFETCH(QByteArray, rewritten);
        const QByteArray key = preamble + "NumberOfQueriesInLibrary";
        LibraryText::Library library = LibraryText::parse(key + text);
        QTEST(library.count, "count");
        QCOMPARE(library.names, names);
        const QByteArray written =
            LibraryText::rebuild(key + text, library.countStart, names << " new\t");
        QCOMPARE(written, key + rewritten);
        const LibraryText::Library again = LibraryText::parse(written);
        QVERIFY(again.countMatchesNames());
        QCOMPARE(LibraryText::rebuild(written, again.countStart, again.names), written);
    }
};

QTEST_APPLESS_MAIN(TestLibrary)
#include "tst_library.moc"
