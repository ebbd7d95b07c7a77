// The library file's text, loaded and written back with one name added: the
// bytes before the count stay, the count is the number of names, the names
// are trimmed, and what was written reads back as written.

#include "app/messages.h"
#include "library/librarytext.h"

#include <QtTest>

class TestLibrary : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip()
    {
        const QByteArray key = "# pre\n\r\nNumberOfQueriesInLibrary";
        // After the key: the text, its count and names, and the text once " new\t" is added.
        const std::tuple<QByteArray, int, QStringList, QByteArray> rows[] = {
            {"=2\r\nplanA\r\nplanB", 2, {"planA", "planB"}, "=3\r\nplanA\r\nplanB\r\nnew"},
            {"  = x \r\nplanA", 0, {"planA"}, "  =2\r\nplanA\r\nnew"},
            {"=10", 10, {}, "=1\r\nnew"},
            {"=0\r\n", 0, {""}, "=2\r\n\r\nnew"},
            {"=3\r\n a b \r\n\r\ncaf\xe9\r\n",
             3,
             {" a b ", "", "caf\u00e9", ""},
             "=5\r\na b\r\n\r\ncaf\xe9\r\n\r\nnew"},
            {"=1\r\nNumberOfQueriesInLibrary=5",
             1,
             {"NumberOfQueriesInLibrary=5"},
             "=2\r\nNumberOfQueriesInLibrary=5\r\nnew"}};
        for (const auto &[text, count, names, rewritten] : rows) {
            LibraryText::Library library = LibraryText::parse(key + text);
            QVERIFY(library.count == count && library.names == names);
            const QByteArray written =
                LibraryText::rebuild(key + text, library.countStart, library.names << " new\t");
            QCOMPARE(written, key + rewritten);
            const LibraryText::Library again = LibraryText::parse(written);
            QVERIFY(again.countMatchesNames()
                    && LibraryText::rebuild(written, again.countStart, again.names) == written);
        }
    }

    void refusedLayouts()
    {
        const std::pair<QByteArray, QString> rows[] = {
            {"NumberOfQueriesInLibrary\r\n=1",
             "The NumberOfQueriesInLibrary line of the library configuration file has no \"=\"."},
            {"NumberOfQueriesInLibrary=2\r\na\nb",
             "The lines of the library configuration file from NumberOfQueriesInLibrary on must "
             "end in a carriage return and a line feed; some end in a line feed alone."}};
        for (const auto &[text, why] : rows)
            QCOMPARE(Msg::layoutProblemText(LibraryText::parse(text).problem), why);
    }
};

QTEST_APPLESS_MAIN(TestLibrary)
#include "tst_library.moc"
