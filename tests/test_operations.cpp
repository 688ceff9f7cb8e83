// Operations and their norm prices: the list with its lowest price, the search, adding
// (with a first norm row), changing and deleting operations, the operation dialog's
// pickers, the picker for the journal entry dialog and the norms grid.
#include "DbGrid.h"
#include "Query.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "refbooks/TForm10.h"
#include "refbooks/TForm22.h"
#include "refbooks/TForm4.h"
#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {
const QString kDuplicate = QStringLiteral("Операция с такими параметрами уже заведена!");
const QString kMissing = QStringLiteral("Все поля должны быть заполнены!");

void openOperations(TestApp& t, const ScriptedSeam::Step& step) { openFromMenu(t, "TForm4", &TForm1::N4Click, step); }

// The marks of the rows the list shows, in order.
QStringList shownMarks(Query* q) { return trimmedTexts(q, "marka"); }

// Fills the operation dialog as its pickers would.
void fillDialog(TestApp& t, const QString& mark, int item, const QString& kind, int kindId, int naimen)
{
    auto* f10 = t.app->form<TForm10>();
    edit(t, "TForm10", "Edit1")->setText(mark);
    edit(t, "TForm10", "Edit2")->setText(kind);
    f10->item_id = item;
    f10->kind_id = kindId;
    t.find<QComboBox>("TForm10", "ComboBox1")->setCurrentIndex(naimen);
}
} // namespace

class TestOperations : public QObject {
    Q_OBJECT

private slots:
    void listShowsLowestPriceAndNormCount()
    {
        TestApp t;
        t.login();
        openOperations(t, [&](QDialog*) {
            Query* oper = t.dm().Oper;
            QVERIFY(oper->isOpen());
            auto* model = t.app->form<TForm4>()->gridModel();
            new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::QtTest, model);
            QCOMPARE(model->rowCount(), 3); // operation 203 has no norm row
            QVERIFY(oper->locate("id", 200));
            QCOMPARE(oper->asFloat("cena"), 10.0);
            QCOMPARE(oper->asInteger("norma"), 2);
            QCOMPARE(model->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Опреция"));
            auto* grid = t.find<QTableView>("TForm4", "DBGrid1");
            QVERIFY(grid->isColumnHidden(5) && grid->isColumnHidden(6) && grid->isColumnHidden(7));
            QCOMPARE(grid->columnWidth(1), 243);
        });
        QVERIFY(!t.dm().Oper->isOpen());
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("marks");
        QTest::newRow("inside the mark") << "-1" << QStringList{"Б-1", "Д'Арт-1", "П-1", "П-1"};
        QTest::newRow("any letter case") << "п-" << QStringList{"П-1", "П-1"};
        QTest::newRow("apostrophe") << "Д'" << QStringList{"Д'Арт-1"};
        QTest::newRow("nothing matches") << "ZZ" << QStringList{};
        QTest::newRow("blanks show all") << "  " << QStringList{"Б-1", "Д'Арт-1", "П-1", "П-1"};
    }
    void search()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, marks);
        TestApp t;
        t.exec("insert into cmn_gds_and_srv.gds_and_srv(id, s_caption, id_class_item) values (103, 'Д''Арт-1', 10)");
        t.exec("insert into accounts_dep.oper(id, vid, naimen, i_id, cena_new) values (204, 1, 0, 103, 0)");
        t.exec("insert into accounts_dep.norm(o_id, norma, prize, price) values (204, 1, 0, 7)");
        t.login();
        openOperations(t, [&](QDialog*) {
            edit(t, "TForm4", "Edit1")->setText(text);
            QCOMPARE(shownMarks(t.dm().Oper), marks);
            QVERIFY(t.seam.shown.isEmpty());
            edit(t, "TForm4", "Edit1")->clear();
            QCOMPARE(t.dm().Oper->recordCount(), 4);
        });
    }

    void searchBoxKeysMoveTheList()
    {
        TestApp t;
        t.login();
        openOperations(t, [&](QDialog*) {
            QLineEdit* box = edit(t, "TForm4", "Edit1");
            Query* oper = t.dm().Oper;
            QTest::keyClick(box, Qt::Key_Down);
            QTest::keyClick(box, Qt::Key_Down);
            QCOMPARE(oper->recNo(), 3);
            QTest::keyClick(box, Qt::Key_Down); // stays on the last row
            QCOMPARE(oper->recNo(), 3);
            QTest::keyClicks(box, "-");
            QCOMPARE(box->text(), QStringLiteral("-"));
            QTest::keyClick(box, Qt::Key_Left);
            QTest::keyClick(box, Qt::Key_Delete);
            QCOMPARE(box->cursorPosition(), 1);
            QCOMPARE(box->text(), QStringLiteral("-"));
            QTest::keyClick(box, Qt::Key_Up);
            QTest::keyClick(box, Qt::Key_Up); // stays on the first row
            QCOMPARE(oper->recNo(), 1);
            QCOMPARE(t.find<QTableView>("TForm4", "DBGrid1")->currentIndex().row(), 0);
        });
    }

    void addThroughThePickers()
    {
        TestApp t;
        t.login();
        openOperations(t, [&](QDialog*) {
            t.seam.onModal("TForm10", [&](QDialog* d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("Заведение новой цены за операцию"));
                QCOMPARE(d->property("Tag").toInt(), 1);
                QVERIFY(edit(t, "TForm10", "Edit1")->text().isEmpty());
                QCOMPARE(t.find<QComboBox>("TForm10", "ComboBox1")->currentText(), QStringLiteral("Готовая продукция"));

                t.seam.onModal("TForm3", [&](QDialog* f3) {
                    QCOMPARE(f3->property("Tag").toInt(), 1);
                    auto* choose = t.find<QPushButton>("TForm3", "Button2");
                    QCOMPARE(choose->text(), QStringLiteral("Выбрать"));
                    QVERIFY(choose->isDefault());
                    QVERIFY(t.find<QPushButton>("TForm3", "Button1")->isHidden());
                    QVERIFY(t.find<QPushButton>("TForm3", "Button3")->isHidden());
                    QVERIFY(edit(t, "TForm3", "Edit1")->isVisible());
                    QVERIFY(t.dm().Izdel->locate("id", 101));
                    t.invoke("TForm3", "Button2Click");
                });
                t.invoke("TForm10", "Button3Click");
                QCOMPARE(edit(t, "TForm10", "Edit1")->text(), QStringLiteral("П-2"));
                QCOMPARE(d->property("item_id").toInt(), 101);
                QVERIFY(!t.find<QPushButton>("TForm3", "Button2")->isDefault());
                QVERIFY(edit(t, "TForm3", "Edit1")->isHidden());
                QVERIFY(!t.dm().Izdel->isOpen());

                t.seam.onModal("TForm8", [&](QDialog* f8) {
                    QCOMPARE(f8->property("Tag").toInt(), 1);
                    QCOMPARE(t.find<QPushButton>("TForm8", "Button2")->text(), QStringLiteral("Выбрать"));
                    QVERIFY(t.dm().Vid_oper->locate("id", 3));
                    t.invoke("TForm8", "Button2Click");
                });
                t.invoke("TForm10", "Button4Click");
                QCOMPARE(edit(t, "TForm10", "Edit2")->text(), QStringLiteral("Упаковка"));
                QCOMPARE(d->property("kind_id").toInt(), 3);
                QVERIFY(!t.dm().Vid_oper->isOpen());

                t.find<QComboBox>("TForm10", "ComboBox1")->setCurrentIndex(1);
                t.invoke("TForm10", "Button1Click");
                QVERIFY(!d->isVisible());
            });
            t.invoke("TForm4", "Button1Click");
            QVERIFY(t.seam.shown.isEmpty());
            // Listed at once, with its first norm row at price 0, ready to be priced.
            Query* oper = t.dm().Oper;
            QVERIFY(oper->locate("i_id", 101));
            QCOMPARE(oper->asInteger("oper_vid"), 3);
            QCOMPARE(oper->asInteger("naimen"), 1);
            QCOMPARE(oper->asFloat("cena"), 0.0);
            QCOMPARE(oper->asInteger("norma"), 1);
            const int id = int(oper->asInteger("id"));
            QCOMPARE(t.scalar(QString("select cena_new from accounts_dep.oper where id=%1").arg(id)).toDouble(), 0.0);
            QCOMPARE(t.scalar(QString("select count(*) from accounts_dep.norm where o_id=%1 and price=0").arg(id)).toInt(), 1);
        });
    }

    void newOperationAndItsNormRowTogether()
    {
        TestApp t;
        t.login();
        // The norm row cannot be written: the operation must not stay behind without it.
        t.exec("alter table accounts_dep.norm add constraint no_free_rows check (price > 0)");
        const int before = t.scalar("select count(*) from accounts_dep.oper").toInt();
        openOperations(t, [&](QDialog*) {
            t.seam.onModal("TForm10", [&](QDialog* d) {
                fillDialog(t, "П-2", 101, "Упаковка", 3, 0);
                t.seam.expectDbError();
                t.invoke("TForm10", "Button1Click");
                QVERIFY(d->isVisible());
            });
            t.invoke("TForm4", "Button1Click");
        });
        QCOMPARE(t.seam.last()->kind, QStringLiteral("dbError"));
        QCOMPARE(t.scalar("select count(*) from accounts_dep.oper").toInt(), before);
    }

    void duplicates_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("current"); // operation the list stands on
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("naimen");
        QTest::addColumn<int>("item");
        QTest::addColumn<bool>("refused");
        QTest::newRow("new like 200") << 1 << 200 << 1 << 0 << 100 << true;
        QTest::newRow("new, other category") << 1 << 200 << 1 << 1 << 100 << false;
        QTest::newRow("new, other product") << 1 << 200 << 1 << 0 << 102 << false;
        QTest::newRow("201 changed into 200") << 2 << 201 << 1 << 0 << 100 << true;
        QTest::newRow("200 saved unchanged") << 2 << 200 << 1 << 0 << 100 << false;
        QTest::newRow("200 to blanks") << 2 << 200 << 1 << 1 << 100 << false;
    }
    void duplicates()
    {
        QFETCH(int, mode);
        QFETCH(int, current);
        QFETCH(int, kind);
        QFETCH(int, naimen);
        QFETCH(int, item);
        QFETCH(bool, refused);
        TestApp t;
        t.login();
        const int before = t.scalar("select count(*) from accounts_dep.oper").toInt();
        openOperations(t, [&](QDialog*) {
            QVERIFY(t.dm().Oper->locate("id", current));
            t.seam.onModal("TForm10", [&](QDialog* d) {
                fillDialog(t, "марка", item, "вид", kind, naimen);
                t.invoke("TForm10", "Button1Click");
                QCOMPARE(d->isVisible(), refused);
            });
            t.invoke("TForm4", mode == 1 ? "Button1Click" : "Button2Click");
        });
        QCOMPARE(t.seam.texts(), refused ? QStringList{kDuplicate} : QStringList{});
        if (refused)
            QCOMPARE(t.seam.last()->title, QStringLiteral("Ошибка"));
        QCOMPARE(t.scalar("select count(*) from accounts_dep.oper").toInt(), before + (mode == 1 && !refused ? 1 : 0));
        const QString row = QString("select count(*) from accounts_dep.oper where vid=%1 and naimen=%2 and i_id=%3")
                                .arg(kind).arg(naimen).arg(item);
        QCOMPARE(t.scalar(row).toInt(), 1);
    }

    void missingFields_data()
    {
        QTest::addColumn<QString>("mark");
        QTest::addColumn<QString>("kind");
        QTest::newRow("no product") << "" << "Формовка";
        QTest::newRow("blank kind") << "П-1" << "   ";
    }
    void missingFields()
    {
        QFETCH(QString, mark);
        QFETCH(QString, kind);
        TestApp t;
        t.login();
        const int before = t.scalar("select count(*) from accounts_dep.oper").toInt();
        openOperations(t, [&](QDialog*) {
            t.seam.onModal("TForm10", [&](QDialog* d) {
                fillDialog(t, mark, 102, kind, 2, 1);
                t.invoke("TForm10", "Button1Click");
                QVERIFY(d->isVisible());
            });
            t.invoke("TForm4", "Button1Click");
        });
        QCOMPARE(t.seam.texts(), QStringList{kMissing});
        QCOMPARE(t.seam.last()->icon, QMessageBox::Critical);
        QCOMPARE(t.scalar("select count(*) from accounts_dep.oper").toInt(), before);
    }

    void changeFillsTheDialogAndKeepsCenaNew()
    {
        TestApp t;
        t.login();
        openOperations(t, [&](QDialog*) {
            QVERIFY(t.dm().Oper->locate("id", 202));
            t.seam.onModal("TForm10", [&](QDialog* d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("Изменение данных о цене за операцию"));
                QCOMPARE(d->property("Tag").toInt(), 2);
                QCOMPARE(edit(t, "TForm10", "Edit1")->text(), QStringLiteral("Б-1"));
                QCOMPARE(edit(t, "TForm10", "Edit2")->text(), QStringLiteral("Упаковка"));
                QCOMPARE(t.find<QComboBox>("TForm10", "ComboBox1")->currentIndex(), 1);
                QCOMPARE(d->property("item_id").toInt(), 102);
                QCOMPARE(d->property("kind_id").toInt(), 3);
                d->setProperty("kind_id", 1);
                t.find<QComboBox>("TForm10", "ComboBox1")->setCurrentIndex(0);
                t.invoke("TForm10", "Button1Click");
            });
            t.invoke("TForm4", "Button2Click");
            QVERIFY(t.dm().Oper->isOpen());
        });
        QCOMPARE(t.scalar("select vid || '/' || naimen || '/' || i_id || '/' || cena_new from accounts_dep.oper where id=202").toString(),
                 QStringLiteral("1/0/102/3"));
    }

    void cancelWritesNothing()
    {
        TestApp t;
        t.login();
        const int before = t.scalar("select count(*) from accounts_dep.oper").toInt();
        openOperations(t, [&](QDialog*) {
            t.seam.onModal("TForm10", [&](QDialog*) {
                fillDialog(t, "П-2", 101, "Упаковка", 3, 0);
                t.invoke("TForm10", "Button2Click");
            });
            t.invoke("TForm4", "Button1Click");
        });
        QCOMPARE(t.scalar("select count(*) from accounts_dep.oper").toInt(), before);
    }

    void remove_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("refusal");
        // 203 gets a norm row here and has no journal records; 201 has one.
        QTest::newRow("yes") << 203 << true << "";
        QTest::newRow("no") << 203 << false << "";
        QTest::newRow("used by the journal") << 201 << true << "Операцию нельзя удалить: по ней есть записи журнала (1).";
    }
    void remove()
    {
        QFETCH(int, id);
        QFETCH(bool, yes);
        QFETCH(QString, refusal);
        TestApp t;
        t.exec("insert into accounts_dep.norm(o_id, norma, prize, price) values (203, 5, 0, 2), (203, 7, 0, 3)");
        t.login();
        const int norms = t.scalar(QString("select count(*) from accounts_dep.norm where o_id=%1").arg(id)).toInt();
        const bool gone = yes && refusal.isEmpty();
        openOperations(t, [&](QDialog*) {
            QVERIFY(t.dm().Oper->locate("id", id));
            t.seam.answer(yes);
            t.invoke("TForm4", "Button3Click");
            QCOMPARE(t.seam.shown.first().kind, QStringLiteral("question"));
            QCOMPARE(t.seam.shown.first().title, QStringLiteral("Удаление"));
            QCOMPARE(t.seam.shown.first().text, QStringLiteral("Удалить операцию?"));
            QCOMPARE(t.seam.last()->text, refusal.isEmpty() ? QStringLiteral("Удалить операцию?") : refusal);
            QCOMPARE(t.dm().Oper->recordCount(), gone ? 3 : 4);
            QCOMPARE(t.dm().Oper->locate("id", id), !gone);
        });
        QCOMPARE(t.scalar(QString("select count(*) from accounts_dep.oper where id=%1").arg(id)).toInt(), gone ? 0 : 1);
        // Its norm rows go with it, in the same step.
        QCOMPARE(t.scalar(QString("select count(*) from accounts_dep.norm where o_id=%1").arg(id)).toInt(), gone ? 0 : norms);
    }

    void databaseRefusesTheDelete()
    {
        TestApp t;
        t.exec("insert into accounts_dep.norm(o_id, norma, prize, price) values (203, 5, 0, 2)");
        t.login();
        t.exec("create function public.keep_oper() returns trigger language plpgsql as $$ begin raise exception 'операция используется'; end $$");
        t.exec("create trigger keep before delete on accounts_dep.oper for each row execute function public.keep_oper()");
        openOperations(t, [&](QDialog*) {
            QVERIFY(t.dm().Oper->locate("id", 203));
            t.seam.answer(true);
            t.seam.expectDbError();
            t.invoke("TForm4", "Button3Click");
            QCOMPARE(t.seam.last()->kind, QStringLiteral("dbError"));
            QVERIFY(t.seam.last()->text.contains(QStringLiteral("операция используется")));
            QCOMPARE(t.dm().Oper->recordCount(), 4);
        });
        // The norm rows deleted before the refusal are back.
        QCOMPARE(t.scalar("select count(*) from accounts_dep.norm where o_id=203").toInt(), 1);
    }

    // The journal entry dialog's picker: the window is set up as that dialog does.
    void selectionHandsTheOperationToTheJournalDialog_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<bool>("byDoubleClick");
        QTest::addColumn<int>("chosen"); // -1: nothing handed over
        QTest::newRow("choose") << "" << false << 202;
        QTest::newRow("double click, prices ticked") << "" << true << 202;
        QTest::newRow("empty list") << "nothing" << false << -1;
    }
    void selectionHandsTheOperationToTheJournalDialog()
    {
        QFETCH(QString, search);
        QFETCH(bool, byDoubleClick);
        QFETCH(int, chosen);
        TestApp t;
        t.login();
        QWidget* f11 = t.app->window("TForm11");
        QVERIFY(f11);
        f11->setProperty("oper_id", -1);
        f11->setProperty("Tag", 1);
        t.seam.onModal("TForm4", [&](QDialog* d) {
            QCOMPARE(d->property("Tag").toInt(), 1);
            QVERIFY(t.find<QPushButton>("TForm4", "Button2")->isDefault());
            QVERIFY(t.find<QPushButton>("TForm4", "Button1")->isHidden());
            QVERIFY(t.dm().Oper->locate("id", 202));
            edit(t, "TForm4", "Edit1")->setText(search);
            t.find<QCheckBox>("TForm4", "CheckBox1")->setChecked(byDoubleClick);
            t.invoke("TForm4", byDoubleClick ? "DBGrid1DblClick" : "Button2Click");
            QVERIFY(!d->isVisible());
        });
        t.invoke("TForm11", "Button4Click");
        QVERIFY(t.seam.nothingPending());
        QCOMPARE(f11->property("oper_id").toInt(), chosen);
        if (chosen > 0) {
            QCOMPARE(f11->property("item_id").toInt(), 102);
            QCOMPARE(f11->property("final_price").toDouble(), 3.0);
        }
        QVERIFY(!t.find<QPushButton>("TForm4", "Button2")->isDefault());
        QVERIFY(edit(t, "TForm4", "Edit1")->isHidden());

        // The menu brings management mode back.
        openOperations(t, [&](QDialog* d) {
            QCOMPARE(d->property("Tag").toInt(), 0);
            QCOMPARE(t.find<QPushButton>("TForm4", "Button2")->text(), QStringLiteral("Изменить"));
            QVERIFY(t.find<QPushButton>("TForm4", "Button1")->isVisible());
            QVERIFY(t.find<QPushButton>("TForm4", "Button3")->isVisible());
        });
    }

    void normsOfAnOperation()
    {
        TestApp t;
        t.login();
        openOperations(t, [&](QDialog*) {
            t.find<QCheckBox>("TForm4", "CheckBox1")->setChecked(true);
            QVERIFY(t.dm().Oper->locate("id", 200));
            const int position = t.dm().Oper->recNo();
            t.seam.onModal("TForm22", [&](QDialog* d) {
                auto* f22 = static_cast<TForm22*>(d);
                Query* norm = f22->norm;
                auto* grid = t.find<QTableView>("TForm22", "DBGrid1");
                auto* model = f22->gridModel();
                new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::QtTest, model);
                QCOMPARE(norm->filter(), QStringLiteral("o_id=200"));
                QCOMPARE(model->rowCount(), 2);
                QCOMPARE(model->data(model->index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("50"));
                QCOMPARE(model->data(model->index(0, 1), Qt::DisplayRole).toString(), QLocale().toString(10.0, 'f', 2));

                // A changed cell is stored when its column is left.
                grid->setCurrentIndex(model->index(0, 1));
                QVERIFY(model->setData(model->index(0, 1), "8.5", Qt::EditRole));
                QCOMPARE(t.scalar("select price from accounts_dep.norm where o_id=200 and norma=50").toDouble(), 10.0);
                grid->setCurrentIndex(model->index(0, 2));
                QCOMPARE(t.scalar("select price from accounts_dep.norm where o_id=200 and norma=50").toDouble(), 8.5);

                // A new row belongs to the operation and, once left, takes its place in
                // norma order; half typed it waits.
                grid->setFocus();
                QTest::keyClick(grid, Qt::Key_Insert);
                QCOMPARE(model->rowCount(), 3);
                QCOMPARE(grid->currentIndex().row(), 2);
                QVERIFY(model->setData(model->index(2, 0), "75", Qt::EditRole));
                grid->setCurrentIndex(model->index(2, 1));
                QTest::qWait(1);
                QCOMPARE(t.scalar("select count(*) from accounts_dep.norm where o_id=200 and norma=75").toInt(), 0);
                grid->setCurrentIndex(model->index(0, 1));
                QTest::qWait(1);
                QCOMPARE(t.scalar("select count(*) from accounts_dep.norm where o_id=200 and norma=75").toInt(), 1);
                QCOMPARE(model->data(model->index(1, 0), Qt::DisplayRole).toString(), QStringLiteral("75"));
                QCOMPARE(grid->currentIndex(), model->index(0, 1));
                grid->setCurrentIndex(model->index(1, 1));
                QCOMPARE(norm->asInteger("norma"), 75);

                // Typed in the user's notation in an open cell, stored by "Сохранить".
                grid->edit(grid->currentIndex());
                auto* editor = grid->viewport()->findChild<QLineEdit*>();
                QVERIFY(editor);
                editor->setText("7,25");
                t.invoke("TForm22", "Button1Click");
                QVERIFY(!d->isVisible());
            });
            t.invoke("TForm4", "DBGrid1DblClick");
            QVERIFY(t.seam.nothingPending());
            QCOMPARE(t.dm().Oper->recNo(), position);
            QCOMPARE(t.dm().Oper->asInteger("id"), 200);
            QCOMPARE(t.dm().Oper->asFloat("cena"), 7.25);
            QCOMPARE(t.dm().Oper->asInteger("norma"), 3);
        });
        QCOMPARE(t.scalar("select price from accounts_dep.norm where o_id=200 and norma=75").toDouble(), 7.25);
        QCOMPARE(t.scalar("select count(*) from accounts_dep.norm where o_id is null").toInt(), 0);
    }

    void newNormRowStoredWhenTheRowIsLeft()
    {
        // Leaving a new row for another row stores it as well, with its operation.
        TestApp t;
        t.login();
        const int before = t.scalar("select count(*) from accounts_dep.norm").toInt();
        openOperations(t, [&](QDialog*) {
            t.find<QCheckBox>("TForm4", "CheckBox1")->setChecked(true);
            QVERIFY(t.dm().Oper->locate("id", 202));
            t.seam.onModal("TForm22", [&](QDialog* d) {
                auto* f22 = static_cast<TForm22*>(d);
                auto* grid = t.find<QTableView>("TForm22", "DBGrid1");
                auto* model = f22->gridModel();
                f22->DBGrid1Append();
                QVERIFY(model->setData(model->index(1, 0), "5", Qt::EditRole));
                grid->setCurrentIndex(model->index(0, 0));
                QTest::qWait(1);
                QCOMPARE(model->rowCount(), 2);
                QCOMPARE(t.scalar("select count(*) from accounts_dep.norm where o_id=202").toInt(), 2);
                // An appended row left untouched goes away again.
                f22->DBGrid1Append();
                QCOMPARE(model->rowCount(), 3);
                grid->setCurrentIndex(model->index(0, 0));
                QCOMPARE(model->rowCount(), 2);
            });
            t.invoke("TForm4", "DBGrid1DblClick");
        });
        QCOMPARE(t.scalar("select count(*) from accounts_dep.norm").toInt(), before + 1);
        QCOMPARE(t.scalar("select count(*) from accounts_dep.norm where o_id is null").toInt(), 0);
    }

    void deleteKeepsTheLastNormRow_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("rowsAfter");
        QTest::newRow("two rows") << 200 << 1;
        QTest::newRow("last row") << 201 << 1;
    }
    void deleteKeepsTheLastNormRow()
    {
        QFETCH(int, operation);
        QFETCH(int, rowsAfter);
        TestApp t;
        t.login();
        openOperations(t, [&](QDialog*) {
            t.find<QCheckBox>("TForm4", "CheckBox1")->setChecked(true);
            QVERIFY(t.dm().Oper->locate("id", operation));
            t.seam.onModal("TForm22", [&](QDialog* d) {
                auto* f22 = static_cast<TForm22*>(d);
                t.invoke("TForm22", "Button2Click");
                QCOMPARE(f22->norm->recordCount(), rowsAfter);
                t.invoke("TForm22", "Button2Click");
                QCOMPARE(f22->norm->recordCount(), 1);
                QVERIFY(t.seam.shown.isEmpty());
                // Escape saves and closes as well.
                QTest::keyClick(d, Qt::Key_Escape);
                QVERIFY(!d->isVisible());
            });
            t.invoke("TForm4", "DBGrid1DblClick");
            QVERIFY(t.dm().Oper->locate("id", operation));
            QCOMPARE(t.dm().Oper->asInteger("norma"), 1);
        });
        QCOMPARE(t.scalar(QString("select count(*) from accounts_dep.norm where o_id=%1").arg(operation)).toInt(), 1);
    }

    void doubleClickWithoutPricesChanges()
    {
        TestApp t;
        t.login();
        openOperations(t, [&](QDialog*) {
            t.find<QCheckBox>("TForm4", "CheckBox1")->setChecked(false);
            t.seam.onModal("TForm10", [&](QDialog* d) { QCOMPARE(d->property("Tag").toInt(), 2); });
            t.invoke("TForm4", "DBGrid1DblClick");
        });
        QCOMPARE(t.seam.modals, (QStringList{"TForm1", "TForm4", "TForm10"}));
    }
};

PW_TEST_MAIN(TestOperations)
#include "test_operations.moc"
