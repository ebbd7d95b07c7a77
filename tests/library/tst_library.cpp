// The library file's text, loaded and written back with one name added: the
// bytes before the count stay, the count is the number of names, the names
// are trimmed, and what was written reads back as written. The key is the
// first word of its line. The layouts it
// refuses are checked with their boxes in the window test.

#include "library/librarytext.h"

#include <QtTest>

const QByteArray kKey = "# pre\n\r\nNumberOfQueriesInLibrary";

class TestLibrary : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("text"); // after the key
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QByteArray>("rewritten"); // with " new\t" added
        const auto row = [](const char *tag, const QByteArray &text, int count,
                            const QStringList &names, const QByteArray &rewritten) {
            QTest::newRow(tag) << text << count << names << rewritten;
        };
        row("two names", "=2\r\nplanA\r\nplanB", 2, {"planA", "planB"},
            "=3\r\nplanA\r\nplanB\r\nnew");
        row("blanks around a count that is no number", "  = x \r\nplanA", 0, {"planA"},
            "  =2\r\nplanA\r\nnew");
        row("a count that ends the file", "=10", 10, {}, "=1\r\nnew");
        row("a line end that closes the file after the count adds no name", "=0\r\n", 0, {},
            "=1\r\nnew");
        row("blank, empty and Latin-1 names, the last closed by a line end",
            "=3\r\n a b \r\n\r\ncaf\xe9\r\n", 3, {" a b ", "", "caf\u00e9"},
            "=4\r\na b\r\n\r\ncaf\xe9\r\nnew");
        row("a name that holds the key", "=1\r\nNumberOfQueriesInLibrary=5", 1,
            {"NumberOfQueriesInLibrary=5"}, "=2\r\nNumberOfQueriesInLibrary=5\r\nnew");
    }

    void roundTrip()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, names);
        QFETCH(QByteArray, rewritten);
        LibraryText::Library library = LibraryText::parse(kKey + text);
        QTEST(library.count, "count");
        QCOMPARE(library.names, names);
        const QByteArray written =
            LibraryText::rebuild(kKey + text, library.countStart, names << " new\t");
        QCOMPARE(written, kKey + rewritten);
        const LibraryText::Library again = LibraryText::parse(written);
        QVERIFY(again.countMatchesNames());
        QCOMPARE(LibraryText::rebuild(written, again.countStart, again.names), written);
    }

    // Lines that mention the key elsewhere than as their first word stay in
    // the preamble.
    void keyLine_data()
    {
        QTest::addColumn<QByteArray>("preamble");
        QTest::newRow("a longer word that holds the key")
            << QByteArray("MaxNumberOfQueriesInLibrary=5\n");
        QTest::newRow("a comment that names the key and a count")
            << QByteArray("# NumberOfQueriesInLibrary=9\r\n");
        QTest::newRow("a comment that names the key without =")
            << QByteArray("# NumberOfQueriesInLibrary is kept\n");
    }

    void keyLine()
    {
        QFETCH(QByteArray, preamble);
        const QByteArray text = preamble + " \tNumberOfQueriesInLibrary=1\r\na";
        LibraryText::Library library = LibraryText::parse(text);
        QCOMPARE(LibraryText::rebuild(text, library.countStart, library.names << "b"),
                 preamble + " \tNumberOfQueriesInLibrary=2\r\na\r\nb");
    }
};

QTEST_APPLESS_MAIN(TestLibrary)
#include "tst_library.moc"
