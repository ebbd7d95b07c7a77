// The library file's text, loaded and written back with one name added.

#include "app/messages.h"
#include "library/librarytext.h"

#include <QtTest>

using L = LibraryText::LayoutProblem;

class TestLibrary : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("text"); // from the key on
        QTest::addColumn<QString>("problem"); // as its box words it
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QByteArray>("rewritten"); // once " new\t" was added
        const auto row = [](const char *text, const QStringList &names, const char *rewritten) {
            QTest::newRow(text) << "NumberOfQueriesInLibrary" + QByteArray(text) << QString()
                                << names << QByteArray(rewritten);
        };
        row("=2\r\nplanA\r\nplanB", {"planA", "planB"}, "=3\r\nplanA\r\nplanB\r\nnew");
        row("  = x \r\nplanA", {"planA"}, "  =2\r\nplanA\r\nnew");
        row("=0", {}, "=1\r\nnew");
        row("=0\r\n", {""}, "=2\r\n\r\nnew");
        row("=3\r\n a b \r\n\r\ncaf\xe9\r\n", {" a b ", "", "caf\u00e9", ""},
            "=5\r\na b\r\n\r\ncaf\xe9\r\n\r\nnew");
        row("=1\r\nNumberOfQueriesInLibrary=5", {"NumberOfQueriesInLibrary=5"},
            "=2\r\nNumberOfQueriesInLibrary=5\r\nnew");
        const QString line = "The NumberOfQueriesInLibrary line of the library configuration file ";
        const auto refused = [](const char *text, const QString &why) {
            QTest::newRow(text) << QByteArray(text) << why << QStringList() << QByteArray();
        };
        refused("NumberOfQueries=1\r\na",
                "The library configuration file has no NumberOfQueriesInLibrary line.");
        refused("NumberOfQueriesInLibrary\r\n=1", line + "has no \"=\".");
        for (const char *text :
             {"NumberOfQueriesInLibrary=2\r\na\nb", "NumberOfQueriesInLibrary=0\n"})
            refused(text,
                    "The lines of the library configuration file from NumberOfQueriesInLibrary "
                    "on must end in a carriage return and a line feed; some end in a line "
                    "feed alone.");
    }

    // The bytes before the count stay, the count is the number of names, the
    // names are trimmed, and what was written reads back as written.
    void roundTrip()
    {
        QFETCH(QByteArray, text);
        text.prepend("# pre\n\r\n");
        const LibraryText::Library library = LibraryText::parse(text);
        QTEST(Msg::layoutProblemText(library.problem), "problem");
        QTEST(library.names, "names");
        if (library.problem != L::None)
            return;
        const QByteArray rewritten =
            LibraryText::rebuild(text, library.countStart, library.names + QStringList{" new\t"});
        QTEST(rewritten.mid(32), "rewritten");
        QCOMPARE(rewritten.left(32), text.left(32));
        const LibraryText::Library again = LibraryText::parse(rewritten);
        QCOMPARE(again.count, again.names.size());
        QCOMPARE(LibraryText::rebuild(rewritten, again.countStart, again.names), rewritten);
    }
};

QTEST_APPLESS_MAIN(TestLibrary)
#include "tst_library.moc"
