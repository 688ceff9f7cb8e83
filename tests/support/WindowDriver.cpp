#include "WindowDriver.h"
#include "Gate.h"
#include "Query.h"
#include "TForm.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include <QDateEdit>
#include <QScrollBar>
#include <QTableView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <thread>

QLineEdit* edit(TestApp& t, const QString& window, const QString& name)
{
    return t.find<QLineEdit>(window, name);
}

void click(TestApp& t, const QString& window, const QString& button)
{
    auto* b = t.find<QPushButton>(window, button);
    QVERIFY2(b, qPrintable(window + "." + button));
    QTest::mouseClick(b, Qt::LeftButton);
}

void type(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(w, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

QStringList columnTexts(Query* q, const QString& field)
{
    QStringList out;
    const int column = q->fieldIndex(field);
    for (int i = 0; i < q->recordCount(); ++i)
        out << Query::toText(q->valueAt(i, column));
    return out;
}

QStringList trimmedTexts(Query* q, const QString& field)
{
    QStringList out = columnTexts(q, field);
    for (QString& s : out)
        s = s.trimmed();
    return out;
}

void workOn(TestApp& t, const QDate& day, int shift)
{
    t.find<QDateEdit>("TForm1", "DateT")->setDate(day);
    t.app->form<TForm1>()->DateTChange();
    t.find<QRadioButton>("TForm1", QString("RadioButton%1").arg(shift))->click();
}

void openFromMenu(TestApp& t, const QString& window, void (TForm1::*item)(), const ScriptedSeam::Step& step)
{
    t.seam.onModal(window, step);
    (t.app->form<TForm1>()->*item)();
    QVERIFY(t.seam.nothingPending());
}

void pickFrom(TestApp& t, const QString& window, const ScriptedSeam::Step& step)
{
    // The operation dialog's "..." next to the product (TForm3) or the kind (TForm8).
    const QString button = window == QLatin1String("TForm3") ? QStringLiteral("Button3") : QStringLiteral("Button4");
    t.seam.onModal(QStringLiteral("TForm10"),
                   [&](QDialog*) { QTest::mouseClick(t.find<QPushButton>("TForm10", button), Qt::LeftButton); });
    t.seam.onModal(window, step);
    t.app->seam().showModal(qobject_cast<QDialog*>(t.app->window(QStringLiteral("TForm10"))));
    QVERIFY(t.seam.nothingPending());
}

void checkWholeMonthShows(QTableView* grid, int firstDay, const QDate& month, const QString& what)
{
    QCoreApplication::processEvents();
    const QByteArray bytes = what.toUtf8();
    const char* name = bytes.constData();
    QVERIFY2(grid->horizontalScrollBar()->maximum() == 0, name);
    const int bar = grid->verticalScrollBar()->isVisible() ? 0 : grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    int last = -1;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        if (!grid->isColumnHidden(c))
            last = c;
    const int right = grid->columnViewportPosition(last) + grid->columnWidth(last);
    QVERIFY2(right <= grid->viewport()->width() - bar,
             qPrintable(QStringLiteral("%1: the last column ends at %2 of %3").arg(what).arg(right).arg(grid->viewport()->width() - bar)));
    for (int d = 1; d <= month.daysInMonth(); ++d) {
        const int c = firstDay + d - 1;
        QVERIFY2(!grid->isColumnHidden(c), name);
        QVERIFY2(grid->columnWidth(c) == 20, qPrintable(QStringLiteral("%1: day %2 is %3 wide").arg(what).arg(d).arg(grid->columnWidth(c))));
        const QFont title = grid->model()->headerData(c, Qt::Horizontal, Qt::FontRole).value<QFont>();
        QVERIFY2(title.bold(), name);
        QVERIFY2(QFontMetrics(title).horizontalAdvance(QString::number(d)) <= 20, name);
    }
    QFont bold = grid->font();
    bold.setBold(true);
    QVERIFY2(QFontMetrics(bold).horizontalAdvance(QStringLiteral("24")) + 2 <= 20, name);
}

void fillRecord(TestApp& t, QDialog* d)
{
    t.find<QLineEdit>("TForm11", "Edit1")->setText("Васильев В.В.");
    d->setProperty("worker_id", 3);
    t.dm().Oper->open();
    QVERIFY(t.dm().Oper->locate("id", 200));
    QVERIFY(t.invoke("TForm11", "takeOperation"));
    t.find<QLineEdit>("TForm11", "Edit3")->setText("1");
    t.find<QLineEdit>("TForm11", "Edit6")->setText("7");
}

void saveInterruptedThenAgain(TestApp& t, const std::function<void()>& interrupt)
{
    int stopped = 0;
    std::thread interrupter([&] {
        auto look = TestDb::connect(t.database, "interrupter");
        stopped = Gate::waiter(*look);
        look.reset();
        interrupt();
    });
    t.seam.onModal("TForm11", [&](QDialog* d) {
        fillRecord(t, d);
        t.seam.expectDbError();
        click(t, "TForm11", "Button1");
        interrupter.join();
        QVERIFY(stopped != 0);
        QVERIFY(d->isVisible());
        QVERIFY2(t.seam.last()->text.contains(QStringLiteral("изменения не сохранены")),
                 qPrintable(t.seam.last()->text));
        t.seam.clearShown();
        click(t, "TForm11", "Button1");
        QVERIFY(!d->isVisible());
    });
    click(t, "TForm1", "Button1");
    if (interrupter.joinable())
        interrupter.join();
    QVERIFY(t.seam.shown.isEmpty());
}
