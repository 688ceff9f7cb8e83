// Workers: the list with its search, the worker dialog (new, change, name checks, its
// three lists), deleting, and the picker for the journal entry dialog.
#include "DbGrid.h"
#include "Query.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "refbooks/TForm2.h"
#include "refbooks/TForm5.h"
#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {
void openWorkers(TestApp& t, const ScriptedSeam::Step& step) { openFromMenu(t, "TForm5", &TForm1::N1Click, step); }

QComboBox* list(TestApp& t, const char* name) { return t.find<QComboBox>("TForm2", name); }

QStringList shownNames(Query* q) { return columnTexts(q, "fio"); }

void addLists(TestApp& t)
{
    t.exec("insert into cmn_department.department(id, s_caption) values (1, 'Цех №3'), (2, 'Склад')");
    t.exec("insert into hrms_staffpos.staffpos(id, s_caption) values (1, 'Формовщик'), (2, 'Маляр'), (3, 'Упаковщик')");
    t.exec("insert into adm_role.roles(id, s_caption) values (1, 'Рабочий')");
}
} // namespace

class TestWorkers : public QObject {
    Q_OBJECT

private slots:
    void listInNameOrder()
    {
        TestApp t;
        t.login();
        openWorkers(t, [&](QDialog* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Список рабочих"));
            auto* model = t.app->form<TForm5>()->gridModel();
            new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::QtTest, model);
            QCOMPARE(shownNames(t.dm().Workers), (QStringList{"Антонов А.А.", "Борисов Б.Б.", "Васильев В.В."}));
            QCOMPARE(model->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Должность"));
            QCOMPARE(t.find<QTableView>("TForm5", "DBGrid1")->columnWidth(0), 300);
            QVERIFY(t.find<QPushButton>("TForm5", "Button1")->isDefault());
        });
        QVERIFY(!t.dm().Workers->isOpen());
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("beginning") << "Бо" << QStringList{"Борисов Б.Б."};
        QTest::newRow("any letter case") << "ва" << QStringList{"Васильев В.В."};
        QTest::newRow("not inside the name") << "ов" << QStringList{};
        QTest::newRow("apostrophe") << "О'" << QStringList{"О'Нил О.О."};
        QTest::newRow("empty shows all") << "" << QStringList{"Антонов А.А.", "Борисов Б.Б.", "Васильев В.В.", "О'Нил О.О."};
    }
    void search()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        TestApp t;
        t.exec("insert into accounts_dep.person(fio, s_staffpos_hl) values ('О''Нил О.О.', '')");
        t.login();
        openWorkers(t, [&](QDialog*) {
            edit(t, "TForm5", "Edit1")->setText("x");
            edit(t, "TForm5", "Edit1")->setText(text);
            QCOMPARE(shownNames(t.dm().Workers), names);
            QVERIFY(t.seam.shown.isEmpty());
        });
    }

    void searchBoxKeysMoveTheList()
    {
        TestApp t;
        t.login();
        openWorkers(t, [&](QDialog*) {
            QLineEdit* box = edit(t, "TForm5", "Edit1");
            QTest::keyClick(box, Qt::Key_Down);
            QTest::keyClick(box, Qt::Key_Down);
            QTest::keyClick(box, Qt::Key_Down);
            QCOMPARE(t.dm().Workers->recNo(), 3);
            QTest::keyClick(box, Qt::Key_Up);
            QCOMPARE(t.dm().Workers->recNo(), 2);
            QCOMPARE(t.find<QTableView>("TForm5", "DBGrid1")->currentIndex().row(), 1);
        });
    }

    void addWorker()
    {
        TestApp t;
        addLists(t);
        t.login();
        openWorkers(t, [&](QDialog*) {
            t.seam.onModal("TForm2", [&](QDialog* d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("Заведение данных нового работника"));
                QCOMPARE(d->property("Tag").toInt(), 1);
                QVERIFY(edit(t, "TForm2", "Edit1")->text().isEmpty());
                QCOMPARE(list(t, "LCB_department")->count(), 2);
                QCOMPARE(list(t, "LCB_staffpos")->count(), 3);
                QCOMPARE(list(t, "LCB_roles")->count(), 1);
                QCOMPARE(list(t, "LCB_department")->currentIndex(), -1);
                QCOMPARE(list(t, "LCB_department")->maxVisibleItems(), 10);
                edit(t, "TForm2", "Edit1")->setText("  Петров П.П.  ");
                list(t, "LCB_department")->setCurrentIndex(list(t, "LCB_department")->findText("Склад"));
                t.invoke("TForm2", "Button1Click");
                QVERIFY(!d->isVisible());
            });
            t.invoke("TForm5", "Button1Click");
            QVERIFY(t.dm().Workers->locate("fio", "Петров П.П."));
            QCOMPARE(t.dm().Workers->asString("s_staffpos_hl"), QStringLiteral("Склад"));
        });
        QVERIFY(t.seam.shown.isEmpty());
        const int id = t.scalar("select id from accounts_dep.person where fio='Петров П.П.'").toInt();
        QVERIFY(id > 0);
        // The person the journal and timesheets read, with the worker number = id.
        QCOMPARE(t.scalar(QString("select s_caption || '/' || s_code from cmn_contractor.person where id=%1").arg(id)).toString(),
                 QStringLiteral("Петров П.П./%1").arg(id));
    }

    void nameChecks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message"); // empty: stored
        const QString longMessage = QStringLiteral("ФИО должно быть не более 254 символов!");
        QTest::newRow("empty") << "" << "ФИО нужно заполнить!";
        QTest::newRow("blanks") << "   " << "ФИО нужно заполнить!";
        QTest::newRow("too long") << QString(255, QChar(u'Я')) << longMessage;
        QTest::newRow("longest") << QString(254, QChar(u'Я')) << "";
        QTest::newRow("long once trimmed") << " " + QString(254, QChar(u'Я')) + " " << "";
        QTest::newRow("apostrophe") << "Д'Артаньян Ш." << "";
    }
    void nameChecks()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        TestApp t;
        t.login();
        const int before = t.scalar("select count(*) from accounts_dep.person").toInt();
        openWorkers(t, [&](QDialog*) {
            t.seam.onModal("TForm2", [&](QDialog* d) {
                edit(t, "TForm2", "Edit1")->setText(name);
                t.invoke("TForm2", "Button1Click");
                QCOMPARE(d->isVisible(), !message.isEmpty());
            });
            t.invoke("TForm5", "Button1Click");
        });
        if (message.isEmpty()) {
            QVERIFY(t.seam.shown.isEmpty());
            QCOMPARE(t.scalar("select fio from accounts_dep.person order by id desc limit 1").toString(), name.trimmed());
        } else {
            QCOMPARE(t.seam.texts(), QStringList{message});
            QCOMPARE(t.seam.last()->title, QStringLiteral("Ошибка"));
            QCOMPARE(t.seam.last()->icon, QMessageBox::Critical);
        }
        QCOMPARE(t.scalar("select count(*) from accounts_dep.person").toInt(), before + (message.isEmpty() ? 1 : 0));
    }

    void change_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("Записать") << true;
        QTest::newRow("Отмена") << false;
    }
    void change()
    {
        QFETCH(bool, save);
        TestApp t;
        addLists(t);
        t.exec("update accounts_dep.person set fio='  Борисов Б.Б. ' where id=2");
        t.login();
        openWorkers(t, [&](QDialog* f5) {
            QVERIFY(t.dm().Workers->locate("id", 2));
            const int position = t.dm().Workers->recNo();
            t.seam.onModal("TForm2", [&](QDialog* d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("Изменение данных работника"));
                QCOMPARE(d->property("Tag").toInt(), 2);
                QCOMPARE(d->property("person_id").toInt(), 2);
                QCOMPARE(edit(t, "TForm2", "Edit1")->text(), QStringLiteral("Борисов Б.Б."));
                edit(t, "TForm2", "Edit1")->setText("Борисова Б.Б.");
                list(t, "LCB_department")->setCurrentIndex(list(t, "LCB_department")->findText("Цех №3"));
                t.invoke("TForm2", save ? "Button1Click" : "Button2Click");
            });
            t.invoke("TForm5", "Button2Click");
            // The list window closes after the dialog, on the same row.
            QVERIFY(!f5->isVisible());
            QCOMPARE(t.dm().Workers->recNo(), position);
        });
        QCOMPARE(t.scalar("select fio || '/' || s_staffpos_hl from accounts_dep.person where id=2").toString(),
                 save ? QStringLiteral("Борисова Б.Б./Цех №3") : QStringLiteral("  Борисов Б.Б. /Цех №1"));
        QCOMPARE(t.scalar("select count(*) from accounts_dep.person").toInt(), 3);
    }

    void listsKeepTheirChoice()
    {
        TestApp t;
        addLists(t);
        t.login();
        auto* f2 = t.app->form<TForm2>();
        f2->reopenLists();
        list(t, "LCB_staffpos")->setCurrentIndex(list(t, "LCB_staffpos")->findText("Маляр"));
        list(t, "LCB_department")->setCurrentIndex(list(t, "LCB_department")->findText("Склад"));
        t.exec("delete from cmn_department.department where s_caption='Склад'");
        t.exec("insert into hrms_staffpos.staffpos(id, s_caption) values (4, 'Аппаратчик')");
        f2->reopenLists();
        QCOMPARE(list(t, "LCB_staffpos")->currentText(), QStringLiteral("Маляр"));
        QCOMPARE(list(t, "LCB_staffpos")->count(), 4);
        QCOMPARE(list(t, "LCB_department")->currentIndex(), -1);
    }

    void mouseWheelMovesTheFocusedList()
    {
        TestApp t;
        addLists(t);
        t.login();
        auto* f2 = t.app->form<TForm2>();
        f2->reopenLists();
        QComboBox* positions = list(t, "LCB_staffpos");
        positions->setFocus();
        f2->FormMouseWheelDown();
        QCOMPARE(positions->currentIndex(), 0);
        f2->FormMouseWheelDown();
        f2->FormMouseWheelDown();
        f2->FormMouseWheelDown(); // stays on the last entry
        QCOMPARE(positions->currentIndex(), 2);
        f2->FormMouseWheelUp();
        QCOMPARE(positions->currentIndex(), 1);
        edit(t, "TForm2", "Edit1")->setFocus();
        f2->FormMouseWheelUp();
        QCOMPARE(positions->currentIndex(), 1);
        QCOMPARE(list(t, "LCB_department")->currentIndex(), -1);
    }

    void remove_data()
    {
        QTest::addColumn<int>("worker");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("recNoAfter");
        QTest::addColumn<QString>("refusal"); // the message of a refused deletion
        // Гусев (4) has no records; the others have journal records.
        QTest::newRow("no") << 4 << false << 4 << "";
        QTest::newRow("yes") << 4 << true << 1 << "";
        QTest::newRow("with journal records") << 2 << true << 2
                                              << "Работника нельзя удалить: по нему есть записи журнала и хоз. работ (2).";
        QTest::newRow("with household records") << 3 << true << 3
                                                << "Работника нельзя удалить: по нему есть записи журнала и хоз. работ (2).";
    }
    void remove()
    {
        QFETCH(int, worker);
        QFETCH(bool, yes);
        QFETCH(int, recNoAfter);
        QFETCH(QString, refusal);
        TestApp t;
        t.exec("insert into accounts_dep.person(id, fio, s_staffpos_hl) values (4, 'Гусев Г.Г.', '')");
        t.exec("insert into accounts_dep.h_tabel(w_id, month, year, smena, d1) values (4, 3, 2025, 1, 0)");
        t.exec("insert into accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price)"
               " values (10, 7777, 3, '2025-04-01', 4, 2025, 1, 2, 180)");
        t.login();
        openWorkers(t, [&](QDialog*) {
            QVERIFY(t.dm().Workers->locate("id", worker));
            t.seam.answer(yes);
            t.invoke("TForm5", "Button3Click");
            QCOMPARE(t.seam.shown.first().kind, QStringLiteral("question"));
            QCOMPARE(t.seam.shown.first().title, QStringLiteral("Удаление"));
            QCOMPARE(t.seam.shown.first().text, QStringLiteral("Удалить работника?"));
            QCOMPARE(t.seam.last()->text, refusal.isEmpty() ? QStringLiteral("Удалить работника?") : refusal);
            QCOMPARE(t.dm().Workers->recordCount(), yes && refusal.isEmpty() ? 3 : 4);
            QCOMPARE(t.dm().Workers->recNo(), recNoAfter);
        });
        const int kept = yes && refusal.isEmpty() ? 0 : 1;
        QCOMPARE(t.scalar(QString("select count(*) from accounts_dep.person where id=%1").arg(worker)).toInt(), kept);
        QCOMPARE(t.scalar(QString("select count(*) from cmn_contractor.person where id=%1").arg(worker)).toInt(), kept);
        // No timesheet row is left pointing at a worker who is gone.
        QCOMPARE(t.scalar("select count(*) from accounts_dep.h_tabel h where not exists"
                          " (select from accounts_dep.person p where p.id=h.w_id)").toInt(), 0);
    }

    void databaseRefusesTheDelete()
    {
        TestApp t;
        t.exec("insert into accounts_dep.person(id, fio, s_staffpos_hl) values (4, 'Гусев Г.Г.', '')");
        t.login();
        t.exec("create function public.keep_person() returns trigger language plpgsql as $$ begin raise exception 'работник в журнале'; end $$");
        t.exec("create trigger keep before delete on accounts_dep.person for each row execute function public.keep_person()");
        openWorkers(t, [&](QDialog* d) {
            QVERIFY(t.dm().Workers->locate("id", 4));
            t.seam.answer(true);
            t.seam.expectDbError();
            t.invoke("TForm5", "Button3Click");
            QCOMPARE(t.seam.last()->kind, QStringLiteral("dbError"));
            QVERIFY(t.seam.last()->text.contains(QStringLiteral("работник в журнале")));
            QCOMPARE(t.dm().Workers->recordCount(), 4);
            QVERIFY(d->isVisible());
        });
    }

    // The journal entry dialog's picker: the window is set up as that dialog does.
    void selectionHandsTheWorkerToTheJournalDialog_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<bool>("byDoubleClick");
        QTest::addColumn<QString>("name"); // empty: nothing handed over
        QTest::newRow("choose") << "" << false << "Борисов Б.Б.";
        QTest::newRow("double click") << "Бор" << true << "Борисов Б.Б.";
        QTest::newRow("empty list") << "Щ" << false << "";
    }
    void selectionHandsTheWorkerToTheJournalDialog()
    {
        QFETCH(QString, search);
        QFETCH(bool, byDoubleClick);
        QFETCH(QString, name);
        TestApp t;
        t.exec("update accounts_dep.person set fio='Борисов Б.Б.   ' where id=2");
        t.login();
        QWidget* f11 = t.app->window("TForm11");
        QVERIFY(f11);
        f11->setProperty("worker_id", -1);
        edit(t, "TForm11", "Edit1")->setText("прежний");
        t.seam.onModal("TForm5", [&](QDialog* d) {
            QCOMPARE(d->property("Tag").toInt(), 1);
            QVERIFY(t.find<QPushButton>("TForm5", "Button2")->isDefault());
            QVERIFY(t.dm().Workers->locate("id", 2));
            edit(t, "TForm5", "Edit1")->setText(search);
            t.invoke("TForm5", byDoubleClick ? "DBGrid1DblClick" : "Button2Click");
            QVERIFY(!d->isVisible());
        });
        t.invoke("TForm11", "Button3Click");
        QVERIFY(t.seam.nothingPending());
        QCOMPARE(edit(t, "TForm11", "Edit1")->text(), name.isEmpty() ? QStringLiteral("прежний") : name);
        QCOMPARE(f11->property("worker_id").toInt(), name.isEmpty() ? -1 : 2);
    }

    void selectionForAMissingDialogJustCloses()
    {
        TestApp t;
        t.login();
        openWorkers(t, [&](QDialog* d) {
            d->setProperty("Tag", 24);
            t.invoke("TForm5", "Button2Click");
            QVERIFY(!d->isVisible());
            QVERIFY(t.seam.shown.isEmpty());
        });
    }
};

PW_TEST_MAIN(TestWorkers)
#include "test_workers.moc"
