// Products: the list opened from the menu, the product dialog (new and change) with its
// checks and value field, the search box, the list as the product picker, and deletion
// with its three questions.
#include "Query.h"
#include "TDataModule6.h"
#include "TForm.h"
#include "TForm1.h"
#include "SqlText.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "refbooks/rules/ProductsSql.h"
#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {
const QString kFieldsMissing = QStringLiteral("Все поля должны быть заполнены!");
const QString kDuplicate = QStringLiteral("Такая марка изделия уже заведена!");
const QString kTooLong = QStringLiteral("Марка изделия не более 254 символов!");
const QString kNotANumber = QStringLiteral("Расценка должна быть числом!");
const QString kPrices = QStringLiteral("По изделию есть расценки они будут удалены!!!");
const QString kWithJournal =
    QStringLiteral("По изделию есть операции в текущем, предыдущем месяцах и ранее, они будут удалены. Удалить изделие? ");
const QString kProduct = QStringLiteral("Удалить изделие? ");

QStringList marks(Query* q) { return columnTexts(q, "marka"); }

QComboBox* groups(TestApp& t) { return t.find<QComboBox>("TForm7", "cb_item"); }

// A product row as "mark|massa|group|description|unit", or empty when there is none.
QString row(TestApp& t, const QString& mark)
{
    return t.scalar("select s_caption||'|'||massa::float8||'|'||id_class_item||'|'||s_description||'|'||id_msm_bs"
                    " from cmn_gds_and_srv.gds_and_srv where s_caption=" + SqlText::quote(mark))
        .toString();
}
int count(TestApp& t, const QString& sql) { return t.scalar(sql).toInt(); }

// The list as the operation dialog's product "..." shows it.
void pickProduct(TestApp& t, const ScriptedSeam::Step& step) { pickFrom(t, "TForm3", step); }

// The list from the menu with a step inside it.
void products(TestApp& t, const ScriptedSeam::Step& step) { openFromMenu(t, "TForm3", &TForm1::N3Click, step); }

// Deletes a product through the list from the menu, answering its questions in turn.
void deleteFromList(TestApp& t, int id, const QList<bool>& answers)
{
    products(t, [&](QDialog*) {
        QVERIFY(t.dm().Izdel->locate("id", id));
        for (const bool yes : answers)
            t.seam.answer(yes);
        t.invoke("TForm3", "Button3Click");
    });
}

struct Typed {
    QString mark;
    QString value;
    QString group; // empty: leave the list as it is
};

// Fills the product dialog as a user would and presses "Записать"; true when it stays open.
bool fillAndSave(TestApp& t, QDialog* d, const Typed& in)
{
    auto* mark = edit(t, "TForm7", "Edit1");
    auto* value = edit(t, "TForm7", "Edit2");
    mark->setText(in.mark);
    value->clear();
    type(value, in.value);
    if (!in.group.isEmpty())
        groups(t)->setCurrentIndex(groups(t)->findText(in.group));
    t.invoke("TForm7", "Button1Click");
    return d->isVisible();
}
} // namespace

class TestProducts : public QObject {
    Q_OBJECT

private slots:
    void menuOpensTheListForEditing()
    {
        TestApp t;
        t.login();
        QVERIFY(!edit(t, "TForm3", "Edit1")->isHidden());
        products(t, [&](QDialog* d) {
            QCOMPARE(d->property("Tag").toInt(), 0);
            QCOMPARE(d->windowTitle(), QStringLiteral("Изделия (3)"));
            QCOMPARE(t.find<QPushButton>("TForm3", "Button2")->text(), QStringLiteral("Изменить"));
            QVERIFY(t.find<QPushButton>("TForm3", "Button1")->isDefault());
            // At program start the search box is there and has the focus.
            QCOMPARE(d->focusWidget(), edit(t, "TForm3", "Edit1"));
            QAbstractItemModel* m = t.find<QTableView>("TForm3", "DBGrid1")->model();
            QAbstractItemModelTester tester(m, QAbstractItemModelTester::FailureReportingMode::QtTest);
            QStringList titles;
            for (int c = 0; c < m->columnCount(); ++c)
                titles << m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            QCOMPARE(titles, (QStringList{"Марка изделия", "Номенклатурная группа", "Коробки"}));
            QCOMPARE(m->rowCount(), 3);
            QCOMPARE(m->index(0, 0).data().toString(), QStringLiteral("Б-1"));
            QCOMPARE(m->index(0, 1).data().toString(), QStringLiteral("Бордюры"));
            QCOMPARE(m->index(1, 2).data().toString(), QStringLiteral("0,02")); // as the user writes numbers
        });
        QVERIFY(!t.dm().Izdel->isOpen());
    }

    void add_data()
    {
        QTest::addColumn<QString>("mark");
        QTest::addColumn<QString>("value"); // typed key by key
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored"); // the row of the stored mark
        QTest::newRow("comma typed as point") << " П-3 " << "12,5" << "Бордюры" << "" << "П-3|12.5|11||6";
        QTest::newRow("whole value") << "П-4" << "5" << "Плитка" << "" << "П-4|5|10||6";
        QTest::newRow("apostrophe") << "О'Нил" << ".5" << "Плитка" << "" << "О'Нил|0.5|10||6";
        QTest::newRow("other letter case") << "п-1" << "1" << "Плитка" << kDuplicate << "";
        QTest::newRow("mixed letter case") << "б-1" << "1" << "Бордюры" << kDuplicate << "";
        QTest::newRow("empty mark") << "  " << "1" << "Плитка" << kFieldsMissing << "";
        QTest::newRow("empty value") << "П-5" << "" << "Плитка" << kFieldsMissing << "";
        QTest::newRow("no group") << "П-5" << "1" << "" << kFieldsMissing << "";
        QTest::newRow("only a point") << "П-5" << "." << "Плитка" << kNotANumber << "";
        QTest::newRow("too many digits") << "П-5" << QString(23, '9') << "Плитка" << kNotANumber << "";
        QTest::newRow("mark too long") << QString(255, QChar(u'ю')) << "1" << "Плитка" << kTooLong << "";
    }
    void add()
    {
        QFETCH(QString, mark);
        QFETCH(QString, value);
        QFETCH(QString, group);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        TestApp t;
        t.login();
        edit(t, "TForm7", "Edit1")->setText("left over");
        edit(t, "TForm7", "Edit2")->setText("7");
        bool open = false;
        // Goods of other applications share the table.
        const int goods = count(t, "select count(*) from cmn_gds_and_srv.gds_and_srv");
        products(t, [&](QDialog*) {
            t.dm().Izdel->setRecNo(2);
            t.seam.onModal("TForm7", [&](QDialog* d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("Заведение нового изделия (7)"));
                QCOMPARE(d->property("Tag").toInt(), 1);
                QCOMPARE(edit(t, "TForm7", "Edit1")->text(), QString());
                QCOMPARE(edit(t, "TForm7", "Edit2")->text(), QString());
                QCOMPARE(d->focusWidget(), edit(t, "TForm7", "Edit1"));
                // Groups only, by name; nothing chosen at the first use.
                QCOMPARE(groups(t)->count(), 2);
                QCOMPARE(groups(t)->itemText(0), QStringLiteral("Бордюры"));
                QCOMPARE(groups(t)->currentIndex(), -1);
                open = fillAndSave(t, d, {mark, value, group});
            });
            t.invoke("TForm3", "Button1Click");
            // Back on the row it was on.
            QCOMPARE(t.dm().Izdel->recNo(), 2);
            QCOMPARE(marks(t.dm().Izdel).size(), message.isEmpty() ? 4 : 3);
        });
        QCOMPARE(open, !message.isEmpty());
        QCOMPARE(t.seam.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
        if (!message.isEmpty()) {
            QCOMPARE(t.seam.last()->title, QStringLiteral("Ошибка"));
            QCOMPARE(t.seam.last()->icon, QMessageBox::Critical);
        }
        QCOMPARE(count(t, "select count(*) from cmn_gds_and_srv.gds_and_srv"), goods + (message.isEmpty() ? 1 : 0));
        if (!stored.isEmpty())
            QCOMPARE(row(t, stored.section('|', 0, 0)), stored);
    }

    void groupListKeepsTheLastChoice()
    {
        TestApp t;
        t.login();
        products(t, [&](QDialog*) {
            t.seam.onModal("TForm7", [&](QDialog* d) { fillAndSave(t, d, {"П-3", "1", "Бордюры"}); });
            t.invoke("TForm3", "Button1Click");
            t.seam.onModal("TForm7", [&](QDialog* d) {
                QCOMPARE(groups(t)->currentText(), QStringLiteral("Бордюры"));
                fillAndSave(t, d, {"П-4", "2", ""});
            });
            t.invoke("TForm3", "Button1Click");
        });
        QCOMPARE(row(t, "П-4"), QStringLiteral("П-4|2|11||6"));
    }

    void valueText_data()
    {
        QTest::addColumn<double>("massa");
        QTest::addColumn<QString>("ru");
        QTest::addColumn<QString>("c");
        QTest::newRow("fraction") << 12.5 << "12,5" << "12.5";
        QTest::newRow("whole") << 5.0 << "5" << "5";
        QTest::newRow("no grouping") << 1234.000001 << "1234,000001" << "1234.000001";
        QTest::newRow("zero") << 0.0 << "0" << "0";
    }
    void valueText()
    {
        QFETCH(double, massa);
        QFETCH(QString, ru);
        QFETCH(QString, c);
        QCOMPARE(ProductsSql::valueText(massa, QLocale(QLocale::Russian, QLocale::Russia)), ru);
        QCOMPARE(ProductsSql::valueText(massa, QLocale::c()), c);
    }

    void valueField()
    {
        TestApp t;
        auto* value = edit(t, "TForm7", "Edit2");
        type(value, "1a2,3.4-");
        QCOMPARE(value->text(), QStringLiteral("12.34"));
        value->clear();
        QGuiApplication::clipboard()->setText("7,5x");
        value->paste();
        QCOMPARE(value->text(), QString());
        QGuiApplication::clipboard()->setText("7,5");
        value->paste();
        QCOMPARE(value->text(), QStringLiteral("7.5"));
        QGuiApplication::clipboard()->setText("1");
        value->paste();
        QCOMPARE(value->text(), QStringLiteral("7.51"));
        QGuiApplication::clipboard()->setText(".2");
        value->paste();
        QCOMPARE(value->text(), QStringLiteral("7.51"));
    }

    void change_data()
    {
        QTest::addColumn<QString>("mark");
        QTest::addColumn<QString>("value"); // empty: as shown
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored"); // the row of product 101 afterwards
        QTest::newRow("unchanged") << "П-2" << "" << "" << "" << "П-2|12.5|10||6";
        QTest::newRow("own mark, other case") << "п-2" << "" << "" << "" << "п-2|12.5|10||6";
        QTest::newRow("whole value, other group") << "П-2" << "5" << "Бордюры" << "" << "П-2|5|11||6";
        QTest::newRow("another product's mark") << "п-1" << "" << "" << kDuplicate << "П-2|12.5|10||6";
        QTest::newRow("apostrophe") << "П'2" << "" << "" << "" << "П'2|12.5|10||6";
        QTest::newRow("only a point") << "П-2" << "." << "" << kNotANumber << "П-2|12.5|10||6";
    }
    void change()
    {
        QFETCH(QString, mark);
        QFETCH(QString, value);
        QFETCH(QString, group);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        // In the user's number format the value reads 12,5; the field holds it with its point.
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        TestApp t;
        t.exec("update cmn_gds_and_srv.gds_and_srv set massa=12.5 where id=101");
        t.login();
        bool open = false;
        products(t, [&](QDialog*) {
            QVERIFY(t.dm().Izdel->locate("id", 101));
            t.seam.onModal("TForm7", [&](QDialog* d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("Изменение данных изделия (7)"));
                QCOMPARE(d->property("Tag").toInt(), 2);
                QCOMPARE(edit(t, "TForm7", "Edit1")->text(), QStringLiteral("П-2"));
                QCOMPARE(edit(t, "TForm7", "Edit2")->text(), QStringLiteral("12.5"));
                QCOMPARE(groups(t)->currentText(), QStringLiteral("Плитка"));
                if (value.isEmpty()) {
                    edit(t, "TForm7", "Edit1")->setText(mark);
                    if (!group.isEmpty())
                        groups(t)->setCurrentIndex(groups(t)->findText(group));
                    t.invoke("TForm7", "Button1Click");
                    open = d->isVisible();
                } else {
                    open = fillAndSave(t, d, {mark, value, group});
                }
            });
            // A double click changes in this mode.
            t.invoke("TForm3", "DBGrid1DblClick");
            QCOMPARE(t.dm().Izdel->recNo(), 3);
        });
        QLocale::setDefault(QLocale::c());
        QCOMPARE(open, !message.isEmpty());
        QCOMPARE(t.seam.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(t.scalar("select s_caption||'|'||massa::float8||'|'||id_class_item||'|'||s_description||'|'||id_msm_bs"
                          " from cmn_gds_and_srv.gds_and_srv where id=101").toString(), stored);
    }

    void search_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("first letters") << "П" << QStringList{"П-1", "П-2"};
        QTest::newRow("other case") << "б-" << QStringList{"Б-1"};
        QTest::newRow("middle letters") << "-1" << QStringList{};
        QTest::newRow("apostrophe") << "О'" << QStringList{"О'Нил"};
    }
    void search()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        TestApp t;
        t.exec("insert into cmn_gds_and_srv.gds_and_srv(s_caption, s_description, id_msm_bs, massa, id_class_item)"
               " values ('О''Нил', '', 6, 1, 10)");
        t.login();
        products(t, [&](QDialog*) {
            auto* box = edit(t, "TForm3", "Edit1");
            type(box, typed);
            QCOMPARE(marks(t.dm().Izdel), shown);
            box->clear();
            QCOMPARE(t.dm().Izdel->recordCount(), 4);
        });
        QVERIFY(t.seam.shown.isEmpty());
    }

    void searchBoxKeys()
    {
        TestApp t;
        t.login();
        pickProduct(t, [&](QDialog* d) {
            auto* box = edit(t, "TForm3", "Edit1");
            QCOMPARE(d->focusWidget(), box);
            Query* q = t.dm().Izdel;
            type(box, "П");
            QTest::keyClick(box, Qt::Key_Left);
            QTest::keyClick(box, Qt::Key_Delete);
            QCOMPARE(box->text(), QStringLiteral("П"));
            QCOMPARE(q->asString("marka"), QStringLiteral("П-1"));
            QTest::keyClick(box, Qt::Key_Down);
            QTest::keyClick(box, Qt::Key_Down);
            QCOMPARE(q->asString("marka"), QStringLiteral("П-2"));
            QTest::keyClick(box, Qt::Key_Up);
            QTest::keyClick(box, Qt::Key_Up);
            QCOMPARE(q->asString("marka"), QStringLiteral("П-1"));
            QCOMPARE(t.find<QTableView>("TForm3", "DBGrid1")->currentIndex().row(), 0);
        });
    }

    void pickerHandsTheProduct_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("handler");
        QTest::addColumn<QString>("mark");
        QTest::addColumn<int>("id");
        QTest::newRow("button") << "б" << QByteArray("Button2Click") << "Б-1" << 102;
        QTest::newRow("double click") << "П-2" << QByteArray("DBGrid1DblClick") << "П-2" << 101;
        // An empty list hands nothing back and leaves the list open.
        QTest::newRow("empty list") << "Ъ" << QByteArray("Button2Click") << "before" << -5;
    }
    void pickerHandsTheProduct()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, handler);
        QFETCH(QString, mark);
        QFETCH(int, id);
        TestApp t;
        t.login();
        QWidget* f10 = t.app->window("TForm10");
        edit(t, "TForm10", "Edit1")->setText("before");
        f10->setProperty("item_id", -5);
        bool closed = false;
        pickProduct(t, [&](QDialog* d) {
            type(edit(t, "TForm3", "Edit1"), typed);
            t.invoke("TForm3", handler.constData());
            closed = !d->isVisible() && d->result() == QDialog::Accepted;
        });
        QCOMPARE(closed, id != -5);
        QCOMPARE(edit(t, "TForm10", "Edit1")->text(), mark);
        QCOMPARE(f10->property("item_id").toInt(), id);
        QVERIFY(t.seam.shown.isEmpty());
    }

    void menuAfterPickerShowsEveryProduct()
    {
        TestApp t;
        t.login();
        pickProduct(t, [&](QDialog*) { type(edit(t, "TForm3", "Edit1"), "Б"); });
        products(t, [&](QDialog*) {
            QVERIFY(edit(t, "TForm3", "Edit1")->isHidden());
            QCOMPARE(marks(t.dm().Izdel), (QStringList{"Б-1", "П-1", "П-2"}));
        });
    }

    void deleteProduct_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QStringList>("answers");   // "y"/"n" in the order asked
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<bool>("operationsGone");
        QTest::addColumn<bool>("journalGone");
        QTest::addColumn<bool>("productGone");
        const QStringList both{kPrices, kWithJournal};
        QTest::newRow("prices yes, product yes") << 100 << QStringList{"y", "y"} << both << true << true << true;
        // Both questions are asked first; only two yes answers change anything.
        QTest::newRow("prices no, product yes") << 100 << QStringList{"n", "y"} << both << false << false << false;
        QTest::newRow("prices yes, product no") << 100 << QStringList{"y", "n"} << both << false << false << false;
        QTest::newRow("prices no, product no") << 100 << QStringList{"n", "n"} << both << false << false << false;
        QTest::newRow("no journal records") << 101 << QStringList{"y", "y"} << QStringList{kPrices, kProduct} << true
                                            << false << true;
        QTest::newRow("no journal records, no") << 101 << QStringList{"n", "n"} << QStringList{kPrices, kProduct}
                                                << false << false << false;
    }
    void deleteProduct()
    {
        QFETCH(int, id);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, questions);
        QFETCH(bool, operationsGone);
        QFETCH(bool, journalGone);
        QFETCH(bool, productGone);
        TestApp t;
        t.login();
        const QString ops = QString("select count(*) from accounts_dep.oper where i_id=%1").arg(id);
        const QString journal = QString("select count(*) from accounts_dep.smena where i_id=%1").arg(id);
        const int opsBefore = count(t, ops), journalBefore = count(t, journal);
        products(t, [&](QDialog*) {
            QVERIFY(t.dm().Izdel->locate("id", id));
            for (const QString& a : answers)
                t.seam.answer(a == "y");
            t.invoke("TForm3", "Button3Click");
            QCOMPARE(marks(t.dm().Izdel).size(), productGone ? 2 : 3);
        });
        QCOMPARE(t.seam.texts(), questions);
        for (const auto& s : t.seam.shown) {
            QCOMPARE(s.kind, QStringLiteral("question"));
            QCOMPARE(s.title, QStringLiteral("Удаление"));
        }
        QCOMPARE(count(t, ops), operationsGone ? 0 : opsBefore);
        QCOMPARE(count(t, journal), journalGone ? 0 : journalBefore);
        QCOMPARE(count(t, QString("select count(*) from cmn_gds_and_srv.gds_and_srv where id=%1").arg(id)), productGone ? 0 : 1);
        // Nothing of the other products is touched.
        QCOMPARE(count(t, "select count(*) from accounts_dep.smena where i_id=102"), 1);
        QCOMPARE(count(t, "select count(*) from accounts_dep.oper where i_id=102"), 1);
    }

    void deletedJournalRecordsLeaveTheTimesheet()
    {
        TestApp t;
        // Worker 1 also made product 102 on 1 April in shift 1: those 3 hours stay.
        t.exec("insert into accounts_dep.smena(w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok)"
               " values (1, 102, 202, 5, 0, '2025-04-01', 1, 3, 0, 3, 'no')");
        t.exec("update accounts_dep.h_tabel set d1=7 where w_id=1 and month=4 and year=2025 and smena=1");
        t.login();
        deleteFromList(t, 100, {true, true});
        QCOMPARE(count(t, "select count(*) from accounts_dep.smena where i_id=100"), 0);
        QCOMPARE(count(t, "select d1 from accounts_dep.h_tabel where w_id=1 and month=4 and year=2025 and smena=1"), 3);
        QCOMPARE(count(t, "select d31 from accounts_dep.h_tabel where w_id=1 and month=3 and year=2025 and smena=1"), 0);
        QCOMPARE(count(t, "select count(*) from accounts_dep.h_tabel"), 2);
    }

    void productWithoutOperationsAsksOnce()
    {
        TestApp t;
        t.exec("insert into cmn_gds_and_srv.gds_and_srv(id, s_caption, s_description, id_msm_bs, massa, id_class_item)"
               " values (103, 'Н-1', '', 6, 1, 10)");
        t.login();
        deleteFromList(t, 103, {true});
        QCOMPARE(t.seam.texts(), QStringList{kProduct});
        QCOMPARE(count(t, "select count(*) from cmn_gds_and_srv.gds_and_srv where id=103"), 0);
    }

    void journalCountStart_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("record");
        QTest::addColumn<QString>("question");
        QTest::newRow("january, 1 December") << QDate(2026, 1, 15) << QDate(2000, 12, 1) << kWithJournal;
        QTest::newRow("january, 30 November") << QDate(2026, 1, 15) << QDate(2000, 11, 30) << kProduct;
        QTest::newRow("april, 1 March") << QDate(2025, 4, 1) << QDate(2000, 3, 1) << kWithJournal;
        QTest::newRow("april, 29 February") << QDate(2025, 4, 1) << QDate(2000, 2, 29) << kProduct;
    }
    void journalCountStart()
    {
        QFETCH(QDate, today);
        QFETCH(QDate, record);
        QFETCH(QString, question);
        QCOMPARE(ProductsSql::journalCountFrom(today).year(), 2000);
        TestApp t;
        t.exec("insert into accounts_dep.smena(w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok)"
               " values (1, 101, 203, 1, 0, '" + record.toString(Qt::ISODate) + "', 1, 1, 0, 1, 'no')");
        t.login();
        t.seam.todayValue = today;
        deleteFromList(t, 101, {false, false});
        QCOMPARE(t.seam.texts(), (QStringList{kPrices, question}));
    }

    void failedDeletionChangesNothing()
    {
        TestApp t;
        t.exec("create function block_delete() returns trigger language plpgsql as $$"
               " begin raise exception 'blocked'; end $$");
        t.exec("create trigger block before delete on cmn_gds_and_srv.gds_and_srv for each row execute function block_delete()");
        t.login();
        t.seam.expectDbError();
        deleteFromList(t, 100, {true, true});
        QCOMPARE(t.seam.last()->kind, QStringLiteral("dbError"));
        QVERIFY(t.seam.last()->text.contains("blocked"));
        // The journal records stay with the product they belong to.
        QCOMPARE(count(t, "select count(*) from accounts_dep.smena where i_id=100"), 6);
        QCOMPARE(count(t, "select count(*) from cmn_gds_and_srv.gds_and_srv where id=100"), 1);
        QCOMPARE(count(t, "select count(*) from accounts_dep.oper where i_id=100"), 2);
        QCOMPARE(count(t, "select count(*) from accounts_dep.norm where o_id in (200, 201)"), 3);
        // The connection works on afterwards.
        t.seam.clearShown();
        QVERIFY(t.invoke("TForm1", "Button8Click"));
        QCOMPARE(t.dm().Smena1->recordCount(), 3);
    }
};

PW_TEST_MAIN(TestProducts)
#include "test_products.moc"
