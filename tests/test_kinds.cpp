// Operation kinds: the list opened from the menu, adding, renaming and deleting kinds
// with their duplicate checks, the search box, and the list as the kind picker.
#include "Query.h"
#include "TDataModule6.h"
#include "TForm.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {
const QString kFieldsMissing = QStringLiteral("Все поля должны быть заполнены!");
const QString kDuplicate = QStringLiteral("Такая операция уже заведена!");
const QString kTooLong = QStringLiteral("Название вида операции не более 128 символов!");

QStringList kinds(Query* q) { return trimmedTexts(q, "vid"); }

// The kinds in the table besides the two reserved ones, in the order they were added.
QStringList storedKinds(TestApp& t)
{
    return t.scalar("select string_agg(trim(vid), '|' order by id) from accounts_dep.vid_oper where id<7777")
        .toString()
        .split('|');
}

// The list as the operation dialog's "..." shows it.
void pickKind(TestApp& t, const ScriptedSeam::Step& step) { pickFrom(t, "TForm8", step); }

// Opens the list from the menu and the kind dialog from one of its buttons; the dialog
// gets the name typed and "Записать". Returns whether the dialog stayed open.
bool saveThroughDialog(TestApp& t, const char* opener, const QString& name, const QString& expectCaption = {},
                       const QString& expectText = {})
{
    bool open = false;
    t.seam.onModal("TForm8", [&](QDialog*) {
        t.seam.onModal("TForm9", [&](QDialog* d) {
            if (!expectCaption.isEmpty())
                QCOMPARE(d->windowTitle(), expectCaption);
            QCOMPARE(edit(t, "TForm9", "Edit1")->text(), expectText);
            QCOMPARE(d->focusWidget(), edit(t, "TForm9", "Edit1"));
            edit(t, "TForm9", "Edit1")->setText(name);
            t.invoke("TForm9", "Button1Click");
            open = d->isVisible();
        });
        t.invoke("TForm8", opener);
    });
    t.app->form<TForm1>()->N6Click();
    return open;
}
} // namespace

class TestKinds : public QObject {
    Q_OBJECT

private slots:
    void menuOpensTheListForEditing()
    {
        TestApp t;
        t.login();
        // As a picker left it: search box shown, a filter on, "Выбрать" the default.
        pickKind(t, [&](QDialog*) { type(edit(t, "TForm8", "Edit1"), "Фор"); });
        QVERIFY(t.dm().Vid_oper->filtered());
        t.seam.onModal("TForm8", [&](QDialog* d) {
            QCOMPARE(d->property("Tag").toInt(), 0);
            QCOMPARE(d->windowTitle(), QStringLiteral("Виды операций (8)"));
            auto* b2 = t.find<QPushButton>("TForm8", "Button2");
            QCOMPARE(b2->text(), QStringLiteral("Изменить"));
            QVERIFY(!b2->isDefault());
            QVERIFY(t.find<QPushButton>("TForm8", "Button1")->isDefault());
            QVERIFY(t.find<QPushButton>("TForm8", "Button1")->isVisible());
            QVERIFY(t.find<QPushButton>("TForm8", "Button3")->isVisible());
            QVERIFY(!edit(t, "TForm8", "Edit1")->isVisible());
            QAbstractItemModel* m = t.find<QTableView>("TForm8", "DBGrid1")->model();
            QAbstractItemModelTester tester(m, QAbstractItemModelTester::FailureReportingMode::QtTest);
            QCOMPARE(m->columnCount(), 1);
            QCOMPARE(m->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Операции"));
            QCOMPARE(kinds(t.dm().Vid_oper),
                     (QStringList{"Краска", "Ср. сдельная", "Упаковка", "Формовка", "Хоз. работы"}));
            QCOMPARE(m->rowCount(), 5);
        });
        t.app->form<TForm1>()->N6Click();
        QVERIFY(!t.dm().Vid_oper->isOpen());
    }

    void add_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // empty: stored
        QTest::addColumn<QString>("stored");
        QTest::newRow("new, blanks trimmed") << "  Резка  " << "" << "Резка";
        QTest::newRow("blanks only") << "   " << kFieldsMissing << "";
        QTest::newRow("other letter case") << "формовка" << kDuplicate << "";
        QTest::newRow("upper case with blanks") << " КРАСКА " << kDuplicate << "";
        QTest::newRow("apostrophe") << "Д'Артаньян" << "" << "Д'Артаньян";
        QTest::newRow("128 letters") << QString(128, QChar(u'ж')) << "" << QString(128, QChar(u'ж'));
        QTest::newRow("129 letters") << QString(129, QChar(u'ж')) << kTooLong << "";
    }
    void add()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        TestApp t;
        t.login();
        edit(t, "TForm9", "Edit1")->setText("left over");
        const bool open = saveThroughDialog(t, "Button1Click", typed, "Заведение нового вида операций", "");
        const QStringList before{"Формовка", "Краска", "Упаковка"};
        if (message.isEmpty()) {
            QVERIFY(t.seam.shown.isEmpty());
            QVERIFY(!open);
            QCOMPARE(storedKinds(t), before + QStringList{stored});
        } else {
            QVERIFY(open);
            QCOMPARE(t.seam.shown.size(), 1);
            QCOMPARE(t.seam.last()->text, message);
            QCOMPARE(t.seam.last()->title, QStringLiteral("Ошибка"));
            QCOMPARE(t.seam.last()->icon, QMessageBox::Critical);
            QCOMPARE(storedKinds(t), before);
        }
    }

    void addedKindShowsInTheList()
    {
        TestApp t;
        t.login();
        t.seam.onModal("TForm8", [&](QDialog*) {
            t.seam.onModal("TForm9", [&](QDialog*) {
                edit(t, "TForm9", "Edit1")->setText("Резка");
                t.invoke("TForm9", "Button1Click");
            });
            t.invoke("TForm8", "Button1Click");
            QVERIFY(kinds(t.dm().Vid_oper).contains("Резка"));
            QCOMPARE(t.find<QTableView>("TForm8", "DBGrid1")->model()->rowCount(), 6);
        });
        t.app->form<TForm1>()->N6Click();
    }

    void rename_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored"); // the kind's name afterwards
        QTest::newRow("own name, other case") << "КРАСКА" << "" << "КРАСКА";
        QTest::newRow("new name trimmed") << " Покраска " << "" << "Покраска";
        QTest::newRow("another kind") << "Формовка" << kDuplicate << "Краска";
        QTest::newRow("another kind, other case") << "упаковка" << kDuplicate << "Краска";
        QTest::newRow("empty") << "" << kFieldsMissing << "Краска";
        QTest::newRow("apostrophe") << "О'Кей" << "" << "О'Кей";
        QTest::newRow("too long") << QString(129, QChar(u'щ')) << kTooLong << "Краска";
    }
    void rename()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        TestApp t;
        t.login();
        bool open = false;
        t.seam.onModal("TForm8", [&](QDialog*) {
            QVERIFY(t.dm().Vid_oper->locate("vid", "Краска"));
            t.seam.onModal("TForm9", [&](QDialog* d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("Изменение данных вида операции"));
                QCOMPARE(d->property("Tag").toInt(), 2);
                // Shown without the blanks the column pads it with.
                QCOMPARE(edit(t, "TForm9", "Edit1")->text(), QStringLiteral("Краска"));
                edit(t, "TForm9", "Edit1")->setText(typed);
                t.invoke("TForm9", "Button1Click");
                open = d->isVisible();
            });
            // A double click renames in this mode.
            t.invoke("TForm8", "DBGrid1DblClick");
        });
        t.app->form<TForm1>()->N6Click();
        QCOMPARE(open, !message.isEmpty());
        QCOMPARE(t.seam.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(storedKinds(t), (QStringList{"Формовка", stored, "Упаковка"}));
    }

    void deleteKind_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("yes") << "Шлифовка" << true << "";
        QTest::newRow("no") << "Шлифовка" << false << "";
        QTest::newRow("used by an operation") << "Упаковка" << true
                                              << "Вид операции нельзя удалить: его используют операции и хоз. работы (1).";
    }
    void deleteKind()
    {
        QFETCH(QString, kind);
        QFETCH(bool, yes);
        QFETCH(QString, refusal);
        TestApp t;
        t.exec("insert into accounts_dep.vid_oper(id, vid) values (4, 'Шлифовка')");
        t.login();
        const bool gone = yes && refusal.isEmpty();
        t.seam.onModal("TForm8", [&](QDialog*) {
            QVERIFY(t.dm().Vid_oper->locate("vid", kind));
            t.seam.answer(yes);
            t.invoke("TForm8", "Button3Click");
            QCOMPARE(kinds(t.dm().Vid_oper).contains(kind), !gone);
        });
        t.app->form<TForm1>()->N6Click();
        QCOMPARE(t.seam.shown.first().kind, QStringLiteral("question"));
        QCOMPARE(t.seam.shown.first().title, QStringLiteral("Удаление"));
        QCOMPARE(t.seam.shown.first().text, QStringLiteral("Удалить вид операции?"));
        QCOMPARE(t.seam.last()->text, refusal.isEmpty() ? QStringLiteral("Удалить вид операции?") : refusal);
        QCOMPARE(storedKinds(t).contains(kind), !gone);
        QCOMPARE(t.scalar("select count(*) from accounts_dep.oper where vid=3").toInt(), 1);
    }

    void pickerHandsTheKind_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("handler");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("id");
        QTest::newRow("button") << "Уп" << QByteArray("Button2Click") << "Упаковка" << 3;
        QTest::newRow("double click") << "кр" << QByteArray("DBGrid1DblClick") << "Краска" << 2;
        QTest::newRow("empty list") << "Ъ" << QByteArray("Button2Click") << "" << 0;
    }
    void pickerHandsTheKind()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, handler);
        QFETCH(QString, name);
        QFETCH(int, id);
        TestApp t;
        t.login();
        QWidget* f10 = t.app->window("TForm10");
        edit(t, "TForm10", "Edit2")->setText("before");
        f10->setProperty("kind_id", 99);
        bool closed = false;
        pickKind(t, [&](QDialog* d) {
            type(edit(t, "TForm8", "Edit1"), typed);
            t.invoke("TForm8", handler.constData());
            closed = !d->isVisible() && d->result() == QDialog::Accepted;
        });
        QVERIFY(closed);
        QCOMPARE(edit(t, "TForm10", "Edit2")->text(), name);
        QCOMPARE(f10->property("kind_id").toInt(), id);
        QVERIFY(t.seam.shown.isEmpty());
    }
};

PW_TEST_MAIN(TestKinds)
#include "test_kinds.moc"
