// Period reports read a range of their first-level groups at a time, on a connection of
// their own, while the pages are laid out: the pages, sums, group order and totals must
// be those of the report read whole, on the demo workshop and on names that repeat.
#include "Connection.h"
#include "Paginator.h"
#include "Query.h"
#include "ReadAhead.h"
#include "SqlText.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "printing/ReportPreview.h"
#include "printing/ReportLayout.h"
#include "printing/TForm16.h"
#include "printing/TForm17.h"
#include "printing/TForm20.h"
#include "printing/TForm21.h"
#include "printing/rules/GroupedReading.h"
#include "printing/rules/ReportSql.h"
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <algorithm>

namespace {
using Pages = QVector<QStringList>;

Pages pagesOf(ReportLayout& layout, Query& q)
{
    QuerySource source(q);
    Rep::Paginator doc(layout.QuickRep1.layout, source);
    doc.finish();
    Pages out;
    for (const Rep::Page& p : doc.pages())
        out << p.lines();
    return out;
}

struct Report {
    const char* name;
    std::function<ReportLayout*(App&)> layout;
    std::function<ReportSql::Period()> period;
    const char* key; // the column of the first-level group
};

const Report kReports[] = {
    {"by worker", [](App& a) -> ReportLayout* { return a.form<TForm16>(); }, ReportSql::tReportByWorker, "fio"},
    {"by product", [](App& a) -> ReportLayout* { return a.form<TForm17>(); }, ReportSql::tReportByProduct, "nom"},
    {"detailed by worker", [](App& a) -> ReportLayout* { return a.form<TForm20>(); }, ReportSql::wReport, "fio"},
    {"detailed by product", [](App& a) -> ReportLayout* { return a.form<TForm21>(); }, ReportSql::iReport, "nom"},
};

// The report's pages read whole, as a month is read, and read a range at a time in ranges
// as small as they go; parts counts the ranges read.
struct BothWays {
    Pages whole, streamed;
    int parts = 0;
};
BothWays bothWays(App& app, const Report& r, const QDate& from, const QDate& to, int kind)
{
    Connection& c = app.DataModule6()->ADO_DB;
    ReportLayout* layout = r.layout(app);
    layout->QuickRep1.setText("QRLabel1", ReportSql::title("   Отчет за период с ", from, to));
    auto set = [&](Query& q) {
        q.setParam("data1", from);
        q.setParam("data2", to);
        q.setFilter(ReportSql::kindFilter(kind));
        q.setFiltered(kind != 0);
    };
    BothWays out;
    Query whole(c, "whole");
    whole.setSql(r.period().sql);
    set(whole);
    whole.open();
    out.whole = pagesOf(*layout, whole);

    Query streamed(c, "streamed");
    streamed.setSql(r.period().sql);
    set(streamed);
    const QString statement = streamed.boundSql();
    const GroupedReading::Key key = r.period().groups;
    int* parts = &out.parts;
    streamed.openReading(std::make_unique<ReadAhead>(c.connectionString(), [statement, key, parts](Connection& rc, const ReadAhead::Deliver& d) {
        GroupedReading::read(rc, statement, key, [&](OdbcReader::Result&& part) { ++*parts; return d(std::move(part)); },
                             GroupedReading::Sizes{1, 0});
    }));
    out.streamed = pagesOf(*layout, streamed);
    return out;
}

// The lines of each band kind, in order.
QStringList bandLines(const Pages& pages, const QString& band)
{
    QStringList out;
    for (const QStringList& p : pages)
        for (const QString& l : p)
            if (l.startsWith(band))
                out << l;
    return out;
}

// Two workers with one name, a worker without a name, two products with one mark: ties
// and a group without a key, in February 2025.
void addRepeatedNames(TestApp& t)
{
    t.exec("insert into accounts_dep.person(id, fio, s_staffpos_hl) values (4, 'Антонов А.А.', 'Цех №2'), (5, 'Яковлев Я.Я.', 'Цех №2'),"
           " (6, 'Без имени', 'Цех №2')");
    t.exec("update cmn_contractor.person set s_caption = null where id = 6");
    t.exec("insert into cmn_gds_and_srv.gds_and_srv(id, s_caption, s_description, id_msm_bs, massa, id_class_item) values "
           "(103, 'П-1', '', 6, 0.03, 10)");
    t.exec("insert into accounts_dep.oper(id, vid, naimen, i_id, cena_new) values (204, 1, 0, 103, 11)");
    QStringList values;
    int id = 900;
    for (int w : {1, 4, 2, 5, 6, 1, 4})
        for (int o : {200, 204, 201, 202})
            values << QString("(%1, %2, %3, %4, %5, 1, '2025-02-%6', 1, 1.5, %7, 8, 'ok', 0)")
                          .arg(id++).arg(w).arg(o == 202 ? 102 : o == 204 ? 103 : 100).arg(o).arg(3 + w)
                          .arg(3 + w % 20, 2, 10, QChar('0')).arg(o == 201 ? 9016 : 0);
    t.exec("insert into accounts_dep.smena(id, w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok, prize) values "
           + values.join(','));
}

} // namespace

class TestReportStreaming : public QObject {
    Q_OBJECT
    // The demo workshop: 25 workers, five weeks of journal records up to the day the test
    // run began.
    const QString demo = QStringLiteral("pw_demo");

private slots:
    void rangesFollowTheGroups_data()
    {
        QTest::addColumn<QVector<qint64>>("rows");
        QTest::addColumn<QStringList>("ends"); // last group of each range; "" an open end
        QTest::newRow("small: whole") << QVector<qint64>{100, 100, 100} << QStringList{""};
        QTest::newRow("first page, then growing") << QVector<qint64>{200, 200, 100, 100, 100, 100, 100, 100, 100, 100}
                                                  << QStringList{"g01", "g04", ""};
        QTest::newRow("one large first group") << QVector<qint64>{5000, 10, 10, 10, 10, 10, 10, 10}
                                               << QStringList{"g00", "g03", ""};
    }
    void rangesFollowTheGroups()
    {
        QFETCH(QVector<qint64>, rows);
        QFETCH(QStringList, ends);
        std::vector<std::pair<QString, qint64>> groups;
        for (int i = 0; i < rows.size(); ++i)
            groups.emplace_back(QString("g%1").arg(i, 2, 10, QChar('0')), rows[i]);
        const auto ranges = GroupedReading::plan(groups, {300, 1000});
        QStringList got;
        std::optional<QString> after;
        for (const auto& r : ranges) {
            QCOMPARE(r.after, after); // each range starts where the last ended
            got << r.upTo.value_or("");
            after = r.upTo;
        }
        QCOMPARE(got, ends);
    }

    void streamedPagesAreTheWholeReadsPages_data()
    {
        QTest::addColumn<int>("report");
        QTest::addColumn<int>("kind");
        for (int r = 0; r < 4; ++r)
            for (int kind : {0, 2})
                QTest::newRow(qPrintable(QString("%1, kind %2").arg(kReports[r].name).arg(kind))) << r << kind;
    }
    void streamedPagesAreTheWholeReadsPages()
    {
        QFETCH(int, report);
        QFETCH(int, kind);
        TestApp p(demo);
        const BothWays b = bothWays(*p.app, kReports[report], QDate::currentDate().addDays(-60),
                                    QDate::currentDate().addDays(1), kind);
        QVERIFY(b.parts >= 3); // ranges read one after the other
        QVERIFY(b.whole.size() >= (kind ? 1 : 2));
        QCOMPARE(b.streamed, b.whole);
    }

    // Through the window: a period longer than a month is read on a connection of its own
    // while the preview shows its first page; the pages are those of the whole read, and
    // the query closes with the preview.
    void windowShowsTheFirstPageBeforeTheLastIsLaidOut()
    {
        TestApp t(demo);
        t.login();
        const QDate from = QDate::currentDate().addDays(-60), to = QDate::currentDate().addDays(1);
        QVERIFY(GroupedReading::inRanges(from, to));
        Pages shown;
        openFromMenu(t, "TForm18", &TForm1::N10Click, [&](QDialog*) {
            t.find<QDateEdit>("TForm18", "DTPicker1")->setDate(from);
            t.find<QDateEdit>("TForm18", "DTPicker2")->setDate(to);
            t.seam.onModal("ReportPreview", [&](QDialog* d) {
                auto* p = qobject_cast<ReportPreview*>(d);
                QVERIFY(p->document().pageCount() >= 1);
                QVERIFY(!p->document().done());
                QVERIFY(p->findChild<QLabel*>("PageLabel")->text().contains("…"));
                QTRY_VERIFY_WITH_TIMEOUT(p->document().done(), 20000); // laid out in the background
                QVERIFY(!p->findChild<QLabel*>("PageLabel")->text().contains("…"));
                for (const Rep::Page& page : p->document().pages())
                    shown << page.lines();
            });
            QTest::mouseClick(t.find<QPushButton>("TForm18", "Button1"), Qt::LeftButton);
        });
        QVERIFY(!t.app->form<TForm20>()->w_Report->isOpen());
        Pages whole = bothWays(*t.app, kReports[2], from, to, 0).whole;
        // The title the window sets.
        for (QStringList& p : whole)
            for (QString& l : p)
                if (l.startsWith("title:"))
                    l = shown.first().first();
        QCOMPARE(shown, whole);
    }

    // Two workers with one name are one group, two products with one mark are lines of
    // one group; a range ends at such a name with both in it, and a worker without a name
    // comes last.
    void repeatedNamesStayTogether()
    {
        TestApp t;
        addRepeatedNames(t);
        for (int r = 0; r < 4; ++r) {
            const BothWays b = bothWays(*t.app, kReports[r], QDate(2025, 2, 1), QDate(2025, 3, 1), 0);
            QVERIFY(b.parts >= 2); // the first group's range ends at the repeated name
            QCOMPARE(b.streamed, b.whole);
        }
        const BothWays w = bothWays(*t.app, kReports[2], QDate(2025, 2, 1), QDate(2025, 3, 1), 0);
        QCOMPARE(bandLines(w.streamed, "header fio"),
                 (QStringList{"header fio: Антонов А.А.", "header fio: Борисов Б.Б.", "header fio: Яковлев Я.Я.", "header fio: "}));
        // Both Антоновы in one group and one sum: 16 rows of 4 and 7 pieces, one defect each.
        QCOMPARE(bandLines(w.streamed, "footer fio").first(), QString("footer fio: 16 | 88 | 108,00"));
    }

    // The first key in any form a statement may order by: read a group at a time, the rows
    // are the statement's own, in its order.
    void everyFormOfTheKeyReadsTheStatementsRows_data()
    {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("expression");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<bool>("nullsFirst");
        const QString name = "person.s_caption";
        QTest::newRow("a quoted alias") << "\"Ф.И.О.\", izdel.marka" << name << false << false;
        QTest::newRow("descending") << "person.s_caption desc, izdel.marka" << name << true << true;
        QTest::newRow("nulls first") << "1 nulls first, 2" << name << false << true;
        QTest::newRow("descending, nulls last") << "\"Ф.И.О.\" desc nulls last, 2 desc" << name << true << false;
        QTest::newRow("a collation, nulls first") << "person.s_caption collate \"C\" nulls first, izdel.marka"
                                                  << name + " collate \"C\"" << false << true;
    }
    void everyFormOfTheKeyReadsTheStatementsRows()
    {
        QFETCH(QString, order);
        QFETCH(QString, expression);
        QFETCH(bool, descending);
        QFETCH(bool, nullsFirst);
        TestApp t;
        addRepeatedNames(t);
        const QString statement =
            "select person.s_caption as \"Ф.И.О.\", izdel.marka, sum(smena.kol_vo) as kolvo "
            "from cmn_contractor.person person, accounts_dep.izdel, accounts_dep.smena where smena.w_id = "
            + SqlText::workerNumber("s_code")
            + " and smena.i_id = izdel.id and smena.data >= '2025-02-01' and smena.data < '2025-03-01' "
              "group by 1, 2 order by "
            + order;
        Connection& c = t.app->DataModule6()->ADO_DB;
        QStringList whole, streamed;
        auto lines = [](const Table& rows, QStringList& out) {
            for (int r = 0; r < rows.rowCount(); ++r)
                out << rows.value(r, 0).toString() + "|" + rows.value(r, 1).toString() + "|" + rows.value(r, 2).toString();
        };
        lines(c.selectTable(statement).table, whole);
        int parts = 0;
        GroupedReading::read(c, statement, {expression, descending, nullsFirst}, [&](OdbcReader::Result&& part) {
            ++parts;
            lines(part.table, streamed);
            return true;
        }, GroupedReading::Sizes{1, 0});
        QVERIFY(parts >= 2);
        QCOMPARE(streamed, whole);
    }
};

PW_TEST_MAIN(TestReportStreaming)
#include "test_report_streaming.moc"
