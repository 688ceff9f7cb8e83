#include "WindowDriver.h"
#include "Query.h"
#include "TForm.h"
#include "TForm1.h"
#include "TestDb.h"
#include <QDateEdit>
#include <QScrollBar>
#include <QTableView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

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
