// The reference books as several clients meet them: picker lists read anew at every
// opening, a change of a row another client deleted, the same name saved at once by
// several clients, the department of the worker being changed, and numbers written with
// a point whatever separator the version row names.
#include "Concurrent.h"
#include "DbError.h"
#include "DbGrid.h"
#include "Query.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "journal/TForm11.h"
#include "refbooks/rules/RefBookWrites.h"
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {
const QString kGone = QStringLiteral("Запись уже удалена другим пользователем. Список обновлен.");

using Save = std::function<RefBookWrites::Saved(Connection&)>;
} // namespace

class TestRefBookWrites : public QObject {
    Q_OBJECT

private slots:
    void operationPickerReadsTheListAnew()
    {
        TestApp t;
        t.login();
        t.seam.onModal("TForm11", [&](QDialog*) {
            t.seam.onModal("TForm4", [&](QDialog*) {
                QVERIFY(t.dm().Oper->locate("id", 200));
                QCOMPARE(t.dm().Oper->asFloat("cena"), 10.0);
                QVERIFY(!t.dm().Oper->locate("id", 203));
            });
            click(t, "TForm11", "Button4");
            // Meanwhile a cheaper norm and a newly priced operation.
            t.exec("insert into accounts_dep.norm(o_id, norma, prize, price) values (200, 10, 0, 7), (203, 1, 0, 4)");
            t.seam.onModal("TForm4", [&](QDialog*) {
                QVERIFY(t.dm().Oper->locate("id", 203));
                QVERIFY(t.dm().Oper->locate("id", 200));
                QCOMPARE(t.dm().Oper->asFloat("cena"), 7.0);
                click(t, "TForm4", "Button2");
            });
            click(t, "TForm11", "Button4");
            QCOMPARE(t.app->form<TForm11>()->final_price, 7.0);
        });
        click(t, "TForm1", "Button1");
    }

    void changeOfARowDeletedMeanwhile_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("field"); // locates the row
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("remove");
        QTest::newRow("worker") << "TForm5" << "TForm2" << "fio" << "Антонов А.А."
                                << "delete from accounts_dep.person where id=1";
        QTest::newRow("kind") << "TForm8" << "TForm9" << "vid" << "Формовка" << "delete from accounts_dep.vid_oper where id=1";
        QTest::newRow("product") << "TForm3" << "TForm7" << "marka" << "П-2"
                                 << "delete from cmn_gds_and_srv.gds_and_srv where id=101";
        QTest::newRow("operation") << "TForm4" << "TForm10" << "id" << "202" << "delete from accounts_dep.oper where id=202";
    }
    void changeOfARowDeletedMeanwhile()
    {
        QFETCH(QString, list);
        QFETCH(QString, dialog);
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, remove);
        TestApp t;
        t.login();
        void (TForm1::*menu)() = list == "TForm5" ? &TForm1::N1Click
                                 : list == "TForm8" ? &TForm1::N6Click
                                 : list == "TForm3" ? &TForm1::N3Click
                                                    : &TForm1::N4Click;
        openFromMenu(t, list, menu, [&](QDialog*) {
            auto* grid = t.find<QTableView>(list, "DBGrid1");
            auto* q = qobject_cast<QueryModel*>(grid->model())->query();
            QVERIFY(q->locate(field, value));
            t.seam.onModal(dialog, [&](QDialog*) {
                t.exec(remove);
                click(t, dialog, "Button1");
            });
            click(t, list, "Button2");
        });
        QVERIFY(t.seam.texts().contains(kGone));
    }

    void sameNameSavedByManyClientsAtOnce_data()
    {
        QTest::addColumn<Save>("save");
        QTest::addColumn<QString>("count");
        QTest::newRow("kind") << Save([](Connection& c) {
            return RefBookWrites::saveKind(c, "Шлифовка", "ШЛИФОВКА", std::nullopt);
        }) << "select count(*) from accounts_dep.vid_oper where vid='Шлифовка'";
        QTest::newRow("product") << Save([](Connection& c) {
            return RefBookWrites::saveProduct(c, "Н-9", "Н-9", "1.5", 10, std::nullopt);
        }) << "select count(*) from cmn_gds_and_srv.gds_and_srv where s_caption='Н-9'";
        QTest::newRow("operation") << Save([](Connection& c) {
            return RefBookWrites::saveOperation(c, 3, 0, 101, std::nullopt);
        }) << "select count(*) from accounts_dep.oper where vid=3 and naimen=0 and i_id=101";
    }
    void sameNameSavedByManyClientsAtOnce()
    {
        QFETCH(Save, save);
        QFETCH(QString, count);
        TestApp t;
        const auto run = runClients<RefBookWrites::Saved>(t.database, 5, [&](Connection& c, int) { return save(c); });
        QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors.join("; ")));
        QCOMPARE(run.results.count(RefBookWrites::Saved::Yes), 1);
        QCOMPARE(t.scalar(count).toInt(), 1);
    }

    void workerKeepsHisOwnDepartment()
    {
        TestApp t;
        t.exec("insert into cmn_department.department(id, s_caption) values (1, 'Цех №1'), (2, 'Цех №2')");
        t.exec("update accounts_dep.person set s_staffpos_hl='Участок, которого нет в списке' where id=2");
        t.login();
        const auto change = [&](int worker, const QString& expected) {
            openFromMenu(t, "TForm5", &TForm1::N1Click, [&](QDialog*) {
                QVERIFY(t.dm().Workers->locate("id", worker));
                t.seam.onModal("TForm2", [&](QDialog*) {
                    QCOMPARE(t.find<QComboBox>("TForm2", "LCB_department")->currentText(),
                             expected.startsWith("Участок") ? QString() : expected);
                    click(t, "TForm2", "Button1");
                });
                click(t, "TForm5", "Button2");
            });
            QCOMPARE(t.scalar(QString("select s_staffpos_hl from accounts_dep.person where id=%1").arg(worker)).toString(),
                     expected);
        };
        change(1, "Цех №1");
        change(3, "Цех №2");
        change(2, "Участок, которого нет в списке");
    }

    void productValueWrittenWithAPoint()
    {
        TestApp t;
        t.exec("update accounts_dep.ver set delim=','");
        t.login();
        openFromMenu(t, "TForm3", &TForm1::N3Click, [&](QDialog*) {
            QVERIFY(t.dm().Izdel->locate("id", 100));
            t.seam.onModal("TForm7", [&](QDialog* d) {
                auto* value = edit(t, "TForm7", "Edit2");
                value->clear();
                type(value, "12,5");
                click(t, "TForm7", "Button1");
                QVERIFY(!d->isVisible());
            });
            click(t, "TForm3", "Button2");
        });
        QCOMPARE(t.scalar("select massa from cmn_gds_and_srv.gds_and_srv where id=100").toDouble(), 12.5);
    }
};

PW_TEST_MAIN(TestRefBookWrites)
#include "test_refbook_writes.moc"
