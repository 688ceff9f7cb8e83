#include "WindowDriver.h"
#include "Query.h"
#include "TForm.h"
#include "TForm1.h"
#include "TestDb.h"
#include <QDateEdit>
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
