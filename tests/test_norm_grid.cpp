// The norms grid typed into as a user does, key after key with no pauses: a price typed
// right after a click, whole rows entered with Tab or Enter between the cells, rows left
// half-filled, and the keyboard never leaving the grid while a row is typed.
#include "Query.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "refbooks/TForm22.h"
#include <QCheckBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <functional>

namespace {
// Operation 200 of the fixture has the norm rows 50 (price 10) and 100 (price 12.5).
const int kOper = 200;
const QString kFixtureRows = QStringLiteral("50 10 0; 100 12.5 0");

// The stored norm rows of the operation as "norma price prize", in norma order.
QString storedRows(TestApp& t, int oper = kOper)
{
    return t.scalar(QStringLiteral("select string_agg(concat_ws(' ', coalesce(norma::text, '-'), coalesce(price::text, '-'), "
                                   "coalesce(prize::text, '-')), '; ' order by norma) from accounts_dep.norm where o_id=%1")
                        .arg(oper))
        .toString();
}

using GridStep = std::function<void(QDialog*, QTableView*)>;

// Opens the operation's norms by a double click on the operations list with "Цены" ticked.
void openNorms(TestApp& t, const GridStep& step)
{
    openFromMenu(t, "TForm4", &TForm1::N4Click, [&](QDialog*) {
        t.find<QCheckBox>("TForm4", "CheckBox1")->setChecked(true);
        QVERIFY(t.dm().Oper->locate("id", kOper));
        auto* list = t.find<QTableView>("TForm4", "DBGrid1");
        t.seam.onModal("TForm22", [&](QDialog* d) { step(d, t.find<QTableView>("TForm22", "DBGrid1")); });
        // A double click here is the second click only.
        const QPoint at = list->visualRect(list->currentIndex()).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    });
}

// The widget the keyboard types into: the grid or its open cell, never anything else.
QWidget* keyboard(QDialog* d, QTableView* grid)
{
    QWidget* w = d->focusWidget();
    if (w != grid && !grid->isAncestorOf(w))
        QTest::qFail(qPrintable(QStringLiteral("the keyboard is on %1").arg(w ? w->objectName() : QStringLiteral("nothing"))), __FILE__, __LINE__);
    return w;
}

// Between two keys the event loop turns once, as it does for a fast typist: what the
// window puts off to "later" runs, timers of a few hundred milliseconds do not.
void press(QDialog* d, QTableView* grid, Qt::Key key, Qt::KeyboardModifiers modifiers = {}, char text = 0)
{
    if (QWidget* w = keyboard(d, grid)) {
        if (text)
            QTest::keyClick(w, text);
        else
            QTest::keyClick(w, key, modifiers);
    }
    QCoreApplication::processEvents();
}

// Types keys where the focus is, "\t" as Tab and "\n" as Enter.
void typeInGrid(QDialog* d, QTableView* grid, const QString& keys)
{
    for (const QChar c : keys) {
        if (c == QLatin1Char('\t'))
            press(d, grid, Qt::Key_Tab);
        else if (c == QLatin1Char('\n'))
            press(d, grid, Qt::Key_Return);
        else
            press(d, grid, Qt::Key_unknown, {}, char(c.unicode()));
        if (QTest::currentTestFailed())
            return;
    }
}

void clickCell(QTableView* grid, int row, int column)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, column)).center());
}
} // namespace

class TestNormGrid : public QObject {
    Q_OBJECT

private slots:
    void priceTypedRightAfterAClick_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("rows");
        // The first row is the selected one when the window opens.
        QTest::newRow("selected row, comma, Tab") << 0 << "8,75\t" << "50 8.75 0; 100 12.5 0";
        QTest::newRow("selected row, point, Enter") << 0 << "7.25\n" << "50 7.25 0; 100 12.5 0";
        QTest::newRow("other row, comma, Enter") << 1 << "7,25\n" << "50 10 0; 100 7.25 0";
    }
    void priceTypedRightAfterAClick()
    {
        QFETCH(int, row);
        QFETCH(QString, keys);
        QFETCH(QString, rows);
        TestApp t;
        t.login();
        openNorms(t, [&](QDialog* d, QTableView* grid) {
            QCOMPARE(grid->currentIndex().row(), 0);
            clickCell(grid, row, 1);
            typeInGrid(d, grid, keys);
            QCOMPARE(storedRows(t), rows);
            // Enter moved on to the bonus cell; it did not close the window.
            QVERIFY(d->isVisible());
            QCOMPARE(grid->currentIndex().column(), 2);
            QCOMPARE(keyboard(d, grid), grid);
        });
        QCOMPARE(storedRows(t), rows);
        QVERIFY(t.seam.shown.isEmpty());
    }

    void wholeRowTyped_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("storedAt");
        QTest::newRow("Tab, last in order") << "200\t6,5\t4\t" << "50 10 0; 100 12.5 0; 200 6.5 4" << 2;
        QTest::newRow("Enter, between others") << "75\n6.5\n4\n" << "50 10 0; 75 6.5 4; 100 12.5 0" << 1;
    }
    void wholeRowTyped()
    {
        QFETCH(QString, keys);
        QFETCH(QString, rows);
        QFETCH(int, storedAt);
        TestApp t;
        t.login();
        openNorms(t, [&](QDialog* d, QTableView* grid) {
            auto* model = grid->model();
            // Tab from the last cell of the last row starts a new row.
            clickCell(grid, 1, 2);
            press(d, grid, Qt::Key_Tab);
            QCOMPARE(model->rowCount(), 3);
            QCOMPARE(grid->currentIndex(), model->index(2, 0));
            typeInGrid(d, grid, keys);
            QCOMPARE(storedRows(t), rows);
            QCOMPARE(model->data(model->index(storedAt, 0)).toString(), keys.section(QRegularExpression("[\t\n]"), 0, 0));
            // The next row is a new one again, ready for typing.
            QCOMPARE(model->rowCount(), 4);
            QCOMPARE(grid->currentIndex(), model->index(3, 0));
            QVERIFY(d->isVisible());
            // Keys that would press a button with the focus delete nothing here.
            press(d, grid, Qt::Key_Space);
            press(d, grid, Qt::Key_Escape);
            QVERIFY(d->isVisible());
            QCOMPARE(storedRows(t), rows);
            // Escape with no cell open saves and closes; the untouched new row goes.
            press(d, grid, Qt::Key_Escape);
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(storedRows(t), rows);
        QVERIFY(t.seam.shown.isEmpty());
    }

    void rowLeftHalfFilled_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("leave");
        QTest::newRow("Up from the open cell") << "300\t7,5" << "up";
        QTest::newRow("click on another row") << "300\t7,5" << "click";
        QTest::newRow("Сохранить") << "300\t7,5" << "save";
        QTest::newRow("Escape after Tab") << "300\t7.5\t" << "escape";
        QTest::newRow("Tab past the last cell") << "300\t7,5\t" << "tab";
        QTest::newRow("Shift+Tab past the first cell") << "300\t7,5" << "backtab";
    }
    void rowLeftHalfFilled()
    {
        QFETCH(QString, keys);
        QFETCH(QString, leave);
        TestApp t;
        t.login();
        openNorms(t, [&](QDialog* d, QTableView* grid) {
            // Down on the last row starts a new row.
            clickCell(grid, 1, 0);
            press(d, grid, Qt::Key_Down);
            QCOMPARE(grid->currentIndex(), grid->model()->index(2, 0));
            typeInGrid(d, grid, keys);
            // Still being typed: nothing stored yet.
            QCOMPARE(storedRows(t), kFixtureRows);
            if (leave == "up")
                press(d, grid, Qt::Key_Up);
            else if (leave == "click")
                clickCell(grid, 0, 1);
            else if (leave == "save")
                QTest::mouseClick(t.find<QPushButton>("TForm22", "Button1"), Qt::LeftButton);
            else if (leave == "escape")
                press(d, grid, Qt::Key_Escape);
            else if (leave == "tab")
                press(d, grid, Qt::Key_Tab);
            else
                for (int i = 0; i < 2; ++i)
                    press(d, grid, Qt::Key_Tab, Qt::ShiftModifier);
            QCOMPARE(storedRows(t), kFixtureRows + "; 300 7.5 -");
        });
        QCOMPARE(storedRows(t), kFixtureRows + "; 300 7.5 -");
        QCOMPARE(t.scalar("select count(*) from accounts_dep.norm where o_id is null").toInt(), 0);
        QVERIFY(t.seam.shown.isEmpty());
    }

    // The server gone while a row is typed: leaving the row, Escape or the window's close
    // button shows the error once and keeps the row as typed, the keyboard on it; once the
    // server is back, Escape stores it, once.
    void serverGoneWhileARowIsTyped_data()
    {
        QTest::addColumn<QString>("leave");
        QTest::newRow("click on another row") << "click";
        QTest::newRow("Up") << "up";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close button") << "close";
    }
    void serverGoneWhileARowIsTyped()
    {
        QFETCH(QString, leave);
        TestApp t;
        t.login();
        openNorms(t, [&](QDialog* d, QTableView* grid) {
            clickCell(grid, 1, 0);
            press(d, grid, Qt::Key_Down);
            typeInGrid(d, grid, "300\t7,5\t");
            const QString reachable = t.loseDatabase();
            t.seam.expectDbError();
            if (leave == "click")
                clickCell(grid, 0, 1);
            else if (leave == "up")
                press(d, grid, Qt::Key_Up);
            else if (leave == "escape")
                press(d, grid, Qt::Key_Escape);
            else
                d->close();
            QCoreApplication::processEvents();
            QVERIFY(t.seam.nothingPending());
            QVERIFY(d->isVisible());
            Query* norm = t.app->form<TForm22>()->norm;
            QVERIFY(norm->isAppending());
            QCOMPARE(norm->asString("norma"), QStringLiteral("300"));
            QCOMPARE(norm->asString("price"), QStringLiteral("7.5"));
            QCOMPARE(grid->currentIndex().row(), 2);
            t.dm().ADO_DB.setConnectionString(reachable);
            press(d, grid, Qt::Key_Escape);
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(storedRows(t), kFixtureRows + "; 300 7.5 -");
        QCOMPARE(t.seam.shown.size(), 1);
    }

    void enterOnACellWithNothingTypedSaves()
    {
        TestApp t;
        t.login();
        openNorms(t, [&](QDialog* d, QTableView* grid) {
            clickCell(grid, 1, 1);
            press(d, grid, Qt::Key_Return);
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(t.seam.modals, (QStringList{"TForm1", "TForm4", "TForm22"}));
        QCOMPARE(storedRows(t), kFixtureRows);
        QVERIFY(t.seam.shown.isEmpty());
    }
};

PW_TEST_MAIN(TestNormGrid)
#include "test_norm_grid.moc"
