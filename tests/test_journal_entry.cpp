// The journal entry dialog driven through the main window: the final price and its
// rounding, the painting rule, the checks and their order, duplicates, the statements
// written, the list afterwards, and the operation and worker pickers.
#include "Query.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "journal/TForm11.h"
#include "journal/rules/EntryRules.h"
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {
const QString kIncomplete = QStringLiteral("Все поля должны быть заполнены!");
const QString kDuplicate = QStringLiteral("Позиция с такими параметрами уже заведена!");

QLineEdit* edit(TestApp& t, const char* name) { return t.find<QLineEdit>("TForm11", name); }
TForm11* dialog(TestApp& t) { return t.app->form<TForm11>(); }

// The operations window's hand-over of an operation of the list.
void takeOperation(TestApp& t, int operId)
{
    Query* oper = t.dm().Oper;
    oper->open();
    QVERIFY(oper->locate("id", operId));
    QVERIFY(t.invoke("TForm11", "takeOperation"));
}

struct Fields {
    int worker = 1;
    QString fio = QStringLiteral("Антонов А.А.");
    int oper = 200;
    QString count = QStringLiteral("10");
    QString defects = QStringLiteral("0");
    QString hours = QStringLiteral("0");
    QString colour;
};

void fill(TestApp& t, const Fields& f)
{
    TForm11* d = dialog(t);
    edit(t, "Edit1")->setText(f.fio);
    d->setProperty("worker_id", f.worker);
    takeOperation(t, f.oper);
    edit(t, "Edit3")->setText(f.count);
    edit(t, "Edit4")->setText(f.defects);
    edit(t, "Edit6")->setText(f.hours);
    edit(t, "Edit5")->setText(f.colour);
}

int records(TestApp& t) { return t.scalar("select count(*) from accounts_dep.smena").toInt(); }
} // namespace

class TestJournalEntry : public QObject {
    Q_OBJECT

private slots:
    void finalPrice_data()
    {
        QTest::addColumn<bool>("dayOff");
        QTest::addColumn<int>("shift");
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("shown");
        // Operation 200 has the norm prices 12.5 and 10: the base is the lower one.
        QTest::newRow("first shift") << false << 1 << 10.0 << "10";
        QTest::newRow("second shift") << false << 2 << 10.0 << "10";
        QTest::newRow("day off") << true << 1 << 20.0 << "20";
        QTest::newRow("third shift") << false << 3 << 12.0 << "12";
        QTest::newRow("day off in the third shift") << true << 3 << 24.0 << "24";
        QTest::newRow("overtime") << false << 4 << 15.0 << "15";
        QTest::newRow("day off in overtime") << true << 4 << 30.0 << "30";
    }
    void finalPrice()
    {
        QFETCH(bool, dayOff);
        QFETCH(int, shift);
        QFETCH(double, price);
        QFETCH(QString, shown);
        TestApp t;
        t.login();
        workOn(t, QDate(2025, 4, 2), shift);
        t.find<QCheckBox>("TForm1", "CBox1")->setChecked(dayOff);
        t.seam.onModal("TForm11", [&](QDialog*) {
            fill(t, {});
            QVERIFY(qFuzzyCompare(dialog(t)->final_price, price));
            QCOMPARE(edit(t, "Edit2")->text(), QStringLiteral("П-1; Формовка; Готовая продукция"));
            QVERIFY(t.invoke("TForm11", "Edit6Exit"));
            QCOMPARE(edit(t, "Edit8")->text(), QStringLiteral("10"));
            QCOMPARE(edit(t, "Edit7")->text(), shown);
            QCOMPARE(edit(t, "Edit9")->text(), QString::number(price * 10));
            QVERIFY(t.invoke("TForm11", "Button1Click"));
        });
        t.app->form<TForm1>()->Button1Click();
        QCOMPARE(t.scalar(QString("select cena from accounts_dep.smena where data='2025-04-02' and smena=%1").arg(shift)).toDouble(),
                 price);
    }

    void rounding_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("shownRu");
        QTest::newRow("five decimals") << 12.34567 << "12.3457" << "12,3457";
        QTest::newRow("one decimal") << 7.5 << "7.5" << "7,5";
        QTest::newRow("whole") << 10.0 << "10" << "10";
        QTest::newRow("below the last place") << 0.00004 << "0" << "0";
        QTest::newRow("half of the last place") << 0.00005 << "0" << "0";
        QTest::newRow("half to even, down") << 0.12345 << "0.1234" << "0,1234";
        QTest::newRow("half to even, up") << 0.12355 << "0.1236" << "0,1236";
        QTest::newRow("smallest steps") << 0.00035 << "0.0004" << "0,0004";
        QTest::newRow("a third") << 10.0 / 3 << "3.3333" << "3,3333";
    }
    void rounding()
    {
        QFETCH(double, value);
        QFETCH(QString, sql);
        QFETCH(QString, shownRu);
        QCOMPARE(EntryRules::priceSql(value), sql);
        QCOMPARE(EntryRules::priceText(value, QLocale(QLocale::Russian)), shownRu);
        QCOMPARE(EntryRules::priceText(value, QLocale::c()), sql);
    }

    void savedPriceIsRounded()
    {
        TestApp t;
        t.login();
        workOn(t, QDate(2025, 4, 2), 1);
        t.seam.onModal("TForm11", [&](QDialog*) {
            fill(t, {});
            dialog(t)->setProperty("final_price", 12.34567);
            QVERIFY(t.invoke("TForm11", "Button1Click"));
        });
        t.app->form<TForm1>()->Button1Click();
        QCOMPARE(t.scalar("select cena::text from accounts_dep.smena where data='2025-04-02'").toString(), QStringLiteral("12.3457"));
    }

    void newRecordAsWritten()
    {
        TestApp t;
        t.login();
        workOn(t, QDate(2025, 4, 2), 2);
        t.seam.onModal("TForm11", [&](QDialog* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Заведение новой позиции (11)"));
            QCOMPARE(dialog(t)->Tag, 1);
            QCOMPARE(d->focusWidget(), t.find<QPushButton>("TForm11", "Button3"));
            QVERIFY(t.find<QPushButton>("TForm11", "Button1")->isDefault());
            QCOMPARE(t.find<QDateEdit>("TForm11", "DTimeP")->date(), QDate(2025, 4, 2));
            QCOMPARE(edit(t, "Edit4")->text(), QStringLiteral("0"));
            QCOMPARE(edit(t, "Edit6")->text(), QStringLiteral("0"));
            QVERIFY(edit(t, "Edit1")->text().isEmpty());
            fill(t, {3, "Васильев В.В.", 202, "40", "3", "7", {}});
            t.find<QDateEdit>("TForm11", "DTimeP")->setDate(QDate(2025, 4, 3));
            QVERIFY(t.invoke("TForm11", "Button1Click"));
            QVERIFY(!d->isVisible());
            for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8", "Edit9"})
                QVERIFY2(edit(t, name)->text().isEmpty(), name);
        });
        t.app->form<TForm1>()->Button1Click();
        QCOMPARE(t.scalar("select concat_ws('|', w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time, vvod, ok, prize, "
                          "id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use) from accounts_dep.smena where id > 1000")
                     .toString(),
                 QStringLiteral("3|102|202|3|40|3|2025-04-03|2|0|7|2025-04-01 00:00:00|no|0|0|0|0|0|0"));
    }

    void paintingNeedsColour_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<int>("stored");
        QTest::newRow("mixed case, no colour") << "П-1; кРаСкА; Готовая продукция" << "" << false << 0;
        QTest::newRow("mixed case, colour") << "П-1; кРаСкА; Готовая продукция" << "7035" << true << 7035;
        QTest::newRow("word in the mark") << "Краска-2; Формовка; Заготовки" << "" << false << 0;
        QTest::newRow("not painting") << "П-1; Формовка; Готовая продукция" << "" << true << 0;
    }
    void paintingNeedsColour()
    {
        QFETCH(QString, operation);
        QFETCH(QString, colour);
        QFETCH(bool, saved);
        QFETCH(int, stored);
        TestApp t;
        t.login();
        workOn(t, QDate(2025, 4, 2), 1);
        const int before = records(t);
        t.seam.onModal("TForm11", [&](QDialog* d) {
            fill(t, {});
            edit(t, "Edit2")->setText(operation);
            edit(t, "Edit5")->setText(colour);
            QVERIFY(t.invoke("TForm11", "Button1Click"));
            QCOMPARE(d->isVisible(), !saved);
        });
        t.app->form<TForm1>()->Button1Click();
        QCOMPARE(records(t), before + (saved ? 1 : 0));
        if (saved)
            QCOMPARE(t.scalar("select color from accounts_dep.smena where id > 1000").toInt(), stored);
        else
            QCOMPARE(t.seam.last()->text, kIncomplete);
    }

    void checks_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("field2");
        QTest::addColumn<QString>("value2");
        QTest::addColumn<QString>("message");
        QTest::newRow("no worker") << "Edit1" << " " << "" << "" << kIncomplete;
        QTest::newRow("no operation") << "Edit2" << "" << "" << "" << kIncomplete;
        QTest::newRow("no quantity") << "Edit3" << " " << "" << "" << kIncomplete;
        QTest::newRow("no defects") << "Edit4" << "" << "" << "" << kIncomplete;
        QTest::newRow("no hours") << "Edit6" << "" << "" << "" << kIncomplete;
        QTest::newRow("blank beats too large") << "Edit1" << "" << "Edit4" << "99999" << kIncomplete;
        QTest::newRow("quantity beyond integer") << "Edit3" << "2147483648" << "" << ""
                                                 << "Значение поля \"Кол-во\" должно быть не более 2147483647!";
        QTest::newRow("defects beyond smallint") << "Edit4" << "32768" << "" << ""
                                                 << "Значение поля \"Брак\" должно быть не более 32767!";
        QTest::newRow("hours beyond integer") << "Edit6" << "99999999999999999999" << "" << ""
                                              << "Значение поля \"Время\" должно быть не более 2147483647!";
        QTest::newRow("defects before hours") << "Edit6" << "2147483648" << "Edit4" << "40000"
                                              << "Значение поля \"Брак\" должно быть не более 32767!";
        QTest::newRow("not digits") << "Edit3" << "1e5" << "" << "" << "В поле \"Кол-во\" допустимы только цифры!";
    }
    void checks()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, field2);
        QFETCH(QString, value2);
        QFETCH(QString, message);
        TestApp t;
        t.login();
        const int before = records(t);
        t.seam.onModal("TForm11", [&](QDialog* d) {
            fill(t, {});
            edit(t, qPrintable(field))->setText(value);
            if (!field2.isEmpty())
                edit(t, qPrintable(field2))->setText(value2);
            QVERIFY(t.invoke("TForm11", "Button1Click"));
            QVERIFY(d->isVisible());
            QCOMPARE(edit(t, qPrintable(field))->text(), value);
        });
        t.app->form<TForm1>()->Button1Click();
        QCOMPARE(t.seam.shown.size(), 1);
        QCOMPARE(t.seam.last()->text, message);
        QCOMPARE(t.seam.last()->title, QStringLiteral("Ошибка"));
        QCOMPARE(t.seam.last()->icon, QMessageBox::Critical);
        QCOMPARE(records(t), before);
    }

    void colourBeyondInteger()
    {
        TestApp t;
        t.login();
        const int before = records(t);
        t.seam.onModal("TForm11", [&](QDialog*) {
            fill(t, {1, "Антонов А.А.", 201, "5", "0", "1", "2147483648"});
            QVERIFY(t.invoke("TForm11", "Button1Click"));
        });
        t.app->form<TForm1>()->Button1Click();
        QCOMPARE(t.seam.last()->text, QStringLiteral("Значение поля \"Цвет\" должно быть не более 2147483647!"));
        QCOMPARE(records(t), before);
    }

    void numberFieldsTakeDigitsOnly()
    {
        TestApp t;
        t.login();
        t.seam.onModal("TForm11", [&](QDialog*) {
            for (const char* name : {"Edit3", "Edit4", "Edit5", "Edit6"}) {
                QLineEdit* e = edit(t, name);
                e->setEnabled(true);
                e->clear();
                QTest::keyClicks(e, "1a-2,5 ");
                QCOMPARE(e->text(), QStringLiteral("125"));
                e->clear();
                QApplication::clipboard()->setText("12a");
                e->paste();
                QVERIFY2(e->text().isEmpty(), name);
                QApplication::clipboard()->setText("42");
                e->paste();
                QCOMPARE(e->text(), QStringLiteral("42"));
            }
        });
        t.app->form<TForm1>()->Button1Click();
    }

    void leavingQuantityCompletesZero()
    {
        TestApp t;
        t.login();
        workOn(t, QDate(2025, 4, 2), 1);
        t.seam.onModal("TForm11", [&](QDialog* d) {
            fill(t, {});
            edit(t, "Edit3")->clear();
            edit(t, "Edit6")->clear();
            QApplication::setActiveWindow(d);
            edit(t, "Edit3")->setFocus(Qt::TabFocusReason);
            edit(t, "Edit4")->setFocus(Qt::TabFocusReason);
            QCOMPARE(edit(t, "Edit3")->text(), QStringLiteral("0"));
            QCOMPARE(edit(t, "Edit6")->text(), QStringLiteral("0"));
            QCOMPARE(edit(t, "Edit9")->text(), QStringLiteral("0"));
            QVERIFY(t.invoke("TForm11", "Button1Click"));
        });
        t.app->form<TForm1>()->Button1Click();
        QCOMPARE(t.scalar("select kol_vo from accounts_dep.smena where id > 1000").toInt(), 0);
    }

    void duplicates_data()
    {
        QTest::addColumn<bool>("change");
        QTest::addColumn<int>("worker");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<bool>("refused");
        // Record 1: worker 1, operation 200, 1 April, shift 1, no colour. Record 6 (worker 2,
        // same operation) is not in the list (no mark) but is still a record.
        QTest::newRow("new, same as record 1") << false << 1 << "" << true;
        QTest::newRow("new, other worker without a record") << false << 3 << "" << false;
        QTest::newRow("change unchanged") << true << 1 << "" << false;
        QTest::newRow("change onto record 6") << true << 2 << "" << true;
    }
    void duplicates()
    {
        QFETCH(bool, change);
        QFETCH(int, worker);
        QFETCH(QString, colour);
        QFETCH(bool, refused);
        TestApp t;
        t.login();
        const int before = records(t);
        const QString record1 = t.scalar("select concat_ws('|', w_id, kol_vo, vvod) from accounts_dep.smena where id=1").toString();
        t.seam.onModal("TForm11", [&](QDialog* d) {
            if (change) {
                dialog(t)->setProperty("worker_id", worker);
                edit(t, "Edit1")->setText("someone");
            } else {
                fill(t, {worker, "someone", 200, "10", "0", "0", colour});
            }
            QVERIFY(t.invoke("TForm11", "Button1Click"));
            QCOMPARE(d->isVisible(), refused);
        });
        if (change)
            t.app->form<TForm1>()->Button2Click();
        else
            t.app->form<TForm1>()->Button1Click();
        QCOMPARE(records(t), before + (refused || change ? 0 : 1));
        if (refused) {
            QCOMPARE(t.seam.last()->text, kDuplicate);
            QCOMPARE(t.seam.last()->title, QStringLiteral("Ошибка"));
            QCOMPARE(t.scalar("select concat_ws('|', w_id, kol_vo, vvod) from accounts_dep.smena where id=1").toString(), record1);
        } else {
            QVERIFY(t.seam.shown.isEmpty());
        }
    }

    void changeKeepsStoredPrice()
    {
        TestApp t;
        t.login();
        t.exec("update accounts_dep.smena set prize=5, id_doc=9, vvod='2025-03-01' where id=4");
        t.find<QRadioButton>("TForm1", "RadioButton2")->click();
        // Ticked after the record was priced: a change without a new operation keeps the price.
        t.find<QCheckBox>("TForm1", "CBox1")->setChecked(true);
        t.seam.onModal("TForm11", [&](QDialog* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Изменение данных о позиции (11)"));
            QCOMPARE(dialog(t)->Tag, 2);
            QCOMPARE(edit(t, "Edit1")->text(), QStringLiteral("Васильев В.В."));
            QCOMPARE(edit(t, "Edit2")->text(), QStringLiteral("П-1; Краска; Готовая продукция"));
            QCOMPARE(edit(t, "Edit3")->text(), QStringLiteral("20"));
            QCOMPARE(edit(t, "Edit4")->text(), QStringLiteral("1"));
            QCOMPARE(edit(t, "Edit6")->text(), QStringLiteral("6"));
            QCOMPARE(edit(t, "Edit5")->text(), QStringLiteral("7035"));
            QVERIFY(edit(t, "Edit5")->isEnabled());
            QVERIFY(t.find<QLabel>("TForm11", "Label5")->isEnabled());
            QCOMPARE(edit(t, "Edit7")->text(), QStringLiteral("5"));
            QCOMPARE(edit(t, "Edit9")->text(), QStringLiteral("100"));
            QCOMPARE(dialog(t)->worker_id, 3);
            QCOMPARE(dialog(t)->oper_id, 201);
            QCOMPARE(dialog(t)->item_id, 100);
            QVERIFY(!t.dm().Oper->isOpen());
            QVERIFY(t.invoke("TForm11", "Edit6Exit"));
            QCOMPARE(edit(t, "Edit8")->text(), QStringLiteral("0"));
            edit(t, "Edit3")->setText("25");
            QVERIFY(t.invoke("TForm11", "Button1Click"));
        });
        t.app->form<TForm1>()->Button2Click();
        QCOMPARE(t.scalar("select concat_ws('|', cena, kol_vo, color, vvod, prize, id_doc, ok) from accounts_dep.smena where id=4").toString(),
                 QStringLiteral("5|25|7035|2025-04-01 00:00:00|0|0|no"));
    }

    void changeOfNonPaintingEmptiesColour()
    {
        TestApp t;
        t.login();
        edit(t, "Edit5")->setText("12");
        t.seam.onModal("TForm11", [&](QDialog*) {
            QVERIFY(edit(t, "Edit5")->text().isEmpty());
            QVERIFY(!edit(t, "Edit5")->isEnabled());
            QVERIFY(!t.find<QLabel>("TForm11", "Label5")->isEnabled());
        });
        t.app->form<TForm1>()->Button2Click();
    }

    void changeOnEmptyListDoesNothing()
    {
        TestApp t;
        t.login();
        t.find<QRadioButton>("TForm1", "RadioButton3")->click();
        t.app->form<TForm1>()->Button2Click();
        QVERIFY(t.seam.modals == QStringList{"TForm1"});
    }

    void listReturnsToTheRowNumber()
    {
        TestApp t;
        t.login();
        Query* list = t.dm().Smena1;
        list->setRecNo(2);
        QCOMPARE(list->asString("fio"), QStringLiteral("Борисов Б.Б."));
        // The shift timesheet's month grid, open from an earlier showing.
        Query* month = t.dm().H_Tabel_1;
        month->setParam("mnth", 4);
        month->setParam("yea", 2025);
        month->setParam("date1", QDate(2025, 4, 1));
        month->setParam("date2", QDate(2025, 5, 1));
        month->open();
        t.seam.onModal("TForm11", [&](QDialog*) {
            fill(t, {1, "Антонов А.А.", 202, "1", "0", "1", {}});
            QVERIFY(t.invoke("TForm11", "Button1Click"));
            // The new record sorts before Борисов: the same row number is another record.
            QCOMPARE(list->recordCount(), 4);
            QCOMPARE(list->recNo(), 2);
            QCOMPARE(list->asString("fio"), QStringLiteral("Антонов А.А."));
            QVERIFY(!month->isOpen());
        });
        t.app->form<TForm1>()->Button1Click();
    }

    void changeReturnsToTheRecord()
    {
        TestApp t;
        t.login();
        Query* list = t.dm().Smena1;
        list->setRecNo(3);
        t.seam.onModal("TForm11", [&](QDialog*) { QVERIFY(t.invoke("TForm11", "Button1Click")); });
        t.app->form<TForm1>()->Button2Click();
        QCOMPARE(list->recNo(), 3);
        QCOMPARE(list->asInteger("id"), 3);
    }

    void failedUpkeepKeepsJournal_data()
    {
        QTest::addColumn<bool>("change");
        QTest::newRow("new") << false;
        QTest::newRow("change") << true;
    }
    void failedUpkeepKeepsJournal()
    {
        QFETCH(bool, change);
        TestApp t;
        t.login();
        t.exec("create function h_tabel_closed() returns trigger language plpgsql as "
               "$$ begin raise exception 'табель закрыт'; end $$");
        t.exec("create trigger closed before insert or update on accounts_dep.h_tabel "
               "for each row execute function h_tabel_closed()");
        const QString before = t.scalar("select string_agg(concat_ws('|', id, w_id, kol_vo, time, vvod), ';' order by id) "
                                        "from accounts_dep.smena").toString();
        t.seam.onModal("TForm11", [&](QDialog* d) {
            if (!change)
                fill(t, {3, "Васильев В.В.", 200, "10", "0", "5", {}});
            else
                edit(t, "Edit6")->setText("9");
            t.seam.expectDbError();
            QVERIFY(!t.invoke("TForm11", "Button1Click"));
            QVERIFY(d->isVisible());
            QCOMPARE(t.seam.last()->kind, QStringLiteral("dbError"));
            QVERIFY(t.seam.last()->text.contains("табель закрыт"));
            QVERIFY(!edit(t, "Edit1")->text().isEmpty());
        });
        if (change)
            t.app->form<TForm1>()->Button2Click();
        else
            t.app->form<TForm1>()->Button1Click();
        QCOMPARE(t.scalar("select string_agg(concat_ws('|', id, w_id, kol_vo, time, vvod), ';' order by id) "
                          "from accounts_dep.smena").toString(),
                 before);
        // The connection is usable afterwards and out of the failed transaction.
        t.exec("drop trigger closed on accounts_dep.h_tabel");
        t.seam.onModal("TForm11", [&](QDialog* d) {
            fill(t, {3, "Васильев В.В.", 200, "10", "0", "5", {}});
            QVERIFY(t.invoke("TForm11", "Button1Click"));
            QVERIFY(!d->isVisible());
        });
        t.app->form<TForm1>()->Button1Click();
        QCOMPARE(t.scalar("select d1 from accounts_dep.h_tabel where w_id=3 and smena=1").toInt(), 5);
    }

    // Through the real workers and operations windows, as the user picks.
    void throughThePickers()
    {
        TestApp t;
        t.login();
        workOn(t, QDate(2025, 4, 5), 3); // a Saturday: the day-off box is ticked
        QVERIFY(t.find<QCheckBox>("TForm1", "CBox1")->isChecked());
        t.seam.onModal("TForm11", [&](QDialog* d) {
            t.seam.onModal("TForm5", [&](QDialog* f5) {
                QCOMPARE(f5->property("Tag").toInt(), 1);
                auto* choose = f5->findChild<QPushButton*>("Button2");
                QCOMPARE(choose->text(), QStringLiteral("Выбрать"));
                QVERIFY(choose->isDefault());
                QVERIFY(f5->findChild<QPushButton*>("Button1")->isHidden());
                QVERIFY(f5->findChild<QPushButton*>("Button3")->isHidden());
                QVERIFY(t.dm().Workers->locate("id", 2));
                QVERIFY(t.invoke("TForm5", "Button2Click"));
            });
            QVERIFY(t.invoke("TForm11", "Button3Click"));
            QCOMPARE(edit(t, "Edit1")->text(), QStringLiteral("Борисов Б.Б."));
            QCOMPARE(dialog(t)->worker_id, 2);
            QVERIFY(!t.dm().Workers->isOpen());

            t.seam.onModal("TForm4", [&](QDialog* f4) {
                QCOMPARE(f4->property("Tag").toInt(), 1);
                QCOMPARE(t.dm().Oper->recNo(), 1);
                auto* search = f4->findChild<QLineEdit*>("Edit1");
                QVERIFY(!search->isHidden());
                QVERIFY(search->text().isEmpty());
                QVERIFY(t.dm().Oper->locate("id", 201));
                QVERIFY(t.invoke("TForm4", "Button2Click"));
            });
            QVERIFY(t.invoke("TForm11", "Button4Click"));
            QCOMPARE(edit(t, "Edit2")->text(), QStringLiteral("П-1; Краска; Готовая продукция"));
            QVERIFY(edit(t, "Edit5")->isEnabled());
            QVERIFY(!t.dm().Oper->filtered());
            QVERIFY(t.app->window("TForm4")->findChild<QLineEdit*>("Edit1")->isHidden());
            // Base 5, day off, third shift.
            QCOMPARE(edit(t, "Edit8")->text(), QStringLiteral("5"));
            QCOMPARE(edit(t, "Edit7")->text(), QStringLiteral("12"));
            QCOMPARE(edit(t, "Edit3")->text(), QStringLiteral("0"));
            edit(t, "Edit3")->setText("3");
            edit(t, "Edit5")->setText("1");
            QVERIFY(t.invoke("TForm11", "Button1Click"));
            QVERIFY(!d->isVisible());
        });
        t.app->form<TForm1>()->Button1Click();
        QCOMPARE(t.scalar("select concat_ws('|', w_id, i_id, o_id, cena, kol_vo, color, smena, data) from accounts_dep.smena where id > 1000")
                     .toString(),
                 QStringLiteral("2|100|201|12|3|1|3|2025-04-05"));
    }

    void basePriceIsThePickedOperationsAfterASearch()
    {
        TestApp t;
        t.login();
        t.seam.onModal("TForm11", [&](QDialog*) {
            t.seam.onModal("TForm4", [&](QDialog* f4) {
                // П-1 has "Краска" (5) and "Формовка" (10); the whole list starts with Б-1 (3).
                f4->findChild<QLineEdit*>("Edit1")->setText(QStringLiteral("П-1"));
                QCOMPARE(t.dm().Oper->recordCount(), 2);
                t.dm().Oper->last();
                QVERIFY(t.invoke("TForm4", "Button2Click"));
            });
            QVERIFY(t.invoke("TForm11", "Button4Click"));
            // The search is gone, but the price shown is the chosen operation's, not the first row's.
            QVERIFY(!t.dm().Oper->filtered());
            QCOMPARE(dialog(t)->oper_id, 200);
            QCOMPARE(edit(t, "Edit8")->text(), QStringLiteral("10"));
            QCOMPARE(edit(t, "Edit7")->text(), QStringLiteral("10"));
        });
        t.app->form<TForm1>()->Button1Click();
    }

    void clickIntoNameOrOperationOpensPicker()
    {
        TestApp t;
        t.login();
        t.seam.onModal("TForm11", [&](QDialog*) {
            t.seam.onModal("TForm5");
            QTest::mouseClick(edit(t, "Edit1"), Qt::LeftButton);
            t.seam.onModal("TForm4");
            QTest::mouseClick(edit(t, "Edit2"), Qt::LeftButton);
            QVERIFY(t.seam.nothingPending());
            // Closed without a choice: nothing was taken over.
            QVERIFY(edit(t, "Edit1")->text().isEmpty());
            QVERIFY(edit(t, "Edit2")->text().isEmpty());
        });
        t.app->form<TForm1>()->Button1Click();
        QCOMPARE(t.seam.modals, (QStringList{"TForm1", "TForm11", "TForm5", "TForm4"}));
    }

    void operationPickerOnTheRecordsOperation()
    {
        TestApp t;
        t.login();
        t.dm().Smena1->setRecNo(2); // Борисов, operation 202
        t.seam.onModal("TForm11", [&](QDialog*) {
            t.seam.onModal("TForm4", [&](QDialog*) { QCOMPARE(t.dm().Oper->asInteger("id"), 202); });
            QVERIFY(t.invoke("TForm11", "Button4Click"));
            // Closed without a choice: the record's operation and price stay.
            QCOMPARE(dialog(t)->oper_id, 202);
            QCOMPARE(edit(t, "Edit7")->text(), QStringLiteral("3"));
            QCOMPARE(edit(t, "Edit8")->text(), QStringLiteral("3"));
        });
        t.app->form<TForm1>()->Button2Click();
    }
};

PW_TEST_MAIN(TestJournalEntry)
#include "test_journal_entry.moc"
