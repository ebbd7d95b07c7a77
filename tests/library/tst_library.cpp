// The library file's text: what a load finds in it and what a write makes of
// it; and the plan list's delegate, which measures rows as Qt's own does.

#include "library/librarytext.h"
#include "library/planlistdelegate.h"

#include <QListView>
#include <QStringListModel>
#include <QtTest>

using L = LibraryText::LayoutProblem;

class TestLibrary : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<L>("problem");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QByteArray>("rewritten"); // after " new\t" was added
        const QByteArray key = "NumberOfQueriesInLibrary";
        const auto row = [&](const char *tag, const QByteArray &text, int count,
                             const QStringList &names, const QByteArray &rewritten) {
            QTest::newRow(tag) << key + text << L::None << count << names << key + rewritten;
        };
        row("two names", "=2\r\nplanA\r\nplanB", 2, {"planA", "planB"},
            "=3\r\nplanA\r\nplanB\r\nnew");
        row("blanks around the separator", "  = 1 \r\nplanA", 1, {"planA"}, "  =2\r\nplanA\r\nnew");
        row("ends after the count", "=0", 0, {}, "=1\r\nnew");
        row("count line end last", "=0\r\n", 0, {""}, "=2\r\n\r\nnew");
        row("blanks, empty, Latin-1", "=3\r\n a b \r\n\r\ncaf\xe9\r\n", 3,
            {" a b ", "", "caf\u00e9", ""}, "=5\r\na b\r\n\r\ncaf\xe9\r\n\r\nnew");
        row("count not a number", "=x2\r\na", 0, {"a"}, "=2\r\na\r\nnew");
        row("first key counts", "=9\r\n" + key + "=5", 9, {key + "=5"},
            "=2\r\n" + key + "=5\r\nnew");
        row("nine names", "=9\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9", 9,
            {"1", "2", "3", "4", "5", "6", "7", "8", "9"},
            "=10\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\nnew");
        QTest::newRow("preamble") << "# a\n\r\n#=\r\n" + key + "=0" << L::None << 0 << QStringList()
                                  << "# a\n\r\n#=\r\n" + key + "=1\r\nnew";
        for (const auto &[text, problem] :
             std::initializer_list<std::pair<QByteArray, L>>{{"NumberOfQueries=1\r\na", L::NoKey},
                                                             {key + "\r\n=1", L::NoSeparator},
                                                             {key + " 1", L::NoSeparator},
                                                             {key + "=2\r\na\nb", L::BareLineFeed},
                                                             {key + "=0\n", L::BareLineFeed}})
            QTest::newRow(text.constData())
                << text << problem << 0 << QStringList() << QByteArray();
    }

    // A rewrite keeps every byte before the count, writes the number of
    // names, trims them, and reads back as what it wrote.
    void roundTrip()
    {
        QFETCH(QByteArray, text);
        const LibraryText::Library library = LibraryText::parse(text);
        QTEST(library.problem, "problem");
        QTEST(library.count, "count");
        QTEST(library.names, "names");
        if (library.problem != L::None)
            return;
        const QByteArray rewritten =
            LibraryText::rebuild(text, library.countStart, library.names + QStringList{" new\t"});
        QTEST(rewritten, "rewritten");
        const LibraryText::Library again = LibraryText::parse(rewritten);
        QCOMPARE(again.count, again.names.size());
        QCOMPARE(LibraryText::rebuild(rewritten, again.countStart, again.names), rewritten);
    }

    // Also once the cache is filled and the style sheet or font changed.
    void delegateMeasuresAsQtDoes()
    {
        QStringListModel model({"a.txt", QString(40, 'w'), ""});
        QListView view;
        view.setModel(&model);
        const auto *cached = new PlanListDelegate(&view);
        const QStyledItemDelegate plain;
        QStyleOptionViewItem option;
        option.initFrom(&view);
        option.widget = &view;
        for (const QString sheet : {"", "3px", "9px 1px", "font"}) {
            if (sheet == "font")
                option.font.setPointSize(option.font.pointSize() + 9);
            else
                view.setStyleSheet("QListView::item { padding: " + sheet + " }");
            for (int row = 0; row < 3; ++row)
                QCOMPARE(cached->sizeHint(option, model.index(row)),
                         plain.sizeHint(option, model.index(row)));
        }
    }
};

QTEST_MAIN(TestLibrary)
#include "tst_library.moc"
