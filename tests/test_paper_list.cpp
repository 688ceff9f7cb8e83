// A shift's paper list of 30 lines typed into the journal, keys and clicks counted: through
// the entry dialog with its pickers, one dialog a line, as the program has always taken it;
// and in the dialog's series, line after line. The refusals of the series keep the line.
#include "Query.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "journal/rules/TypedChoice.h"
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {
// One line of the paper list, and what the old pickers need typed to find it.
struct Line {
    int worker;
    QString name;
    int oper;
    QString mark, kind;
    int count, hours, defects;
    int colour; // 0: not a painting
};

const QStringList kNames = {"Антонов А.А.",   "Борисов Б.Б.", "Васильев В.В.", "Григорьев Г.Г.", "Дмитриев Д.Д.",
                            "Егоров Е.Е.",    "Жуков Ж.Ж.",   "Зайцев З.З.",   "Ильин И.И.",     "Козлов К.К."};
// The operations of the list in the order of the operations window: Б-1 Упаковка, П-1 Краска,
// П-1 Формовка.
struct Oper {
    int id;
    QString mark, kind;
};
const Oper kOpers[] = {{202, "Б-1", "Упаковка"}, {201, "П-1", "Краска"}, {200, "П-1", "Формовка"}};

// Ten workers, three lines each: moulding, painting, packing.
QVector<Line> paperList()
{
    QVector<Line> out;
    for (int w = 1; w <= 10; ++w) {
        const QString name = kNames[w - 1];
        out.push_back({w, name, 200, "П-1", "Формовка", 100 + 7 * w, 4, w % 3, 0});
        out.push_back({w, name, 201, "П-1", "Краска", 40 + w, 2, 0, w % 2 ? 7035 : 9016});
        out.push_back({w, name, 202, "Б-1", "Упаковка", 20 * w, 2, 0, 0});
    }
    return out;
}

// The characters of the list's data as the paper has them: worker number, mark, operation,
// count, hours, defects and, for a painting, the colour.
int dataCharacters(const QVector<Line>& list)
{
    int n = 0;
    for (const Line& l : list) {
        n += QString::number(l.worker).size() + l.mark.size() + l.kind.size() + QString::number(l.count).size()
            + QString::number(l.hours).size() + QString::number(l.defects).size();
        if (l.colour)
            n += QString::number(l.colour).size();
    }
    return n;
}

// The workers 4 to 10 beside the fixture's three; the list goes into the third shift of
// the fixture's day, which holds no record.
void prepare(TestApp& t)
{
    for (int w = 4; w <= 10; ++w)
        t.exec(QString("insert into accounts_dep.person(id, fio, s_staffpos_hl) values (%1, '%2', 'Цех №1')").arg(w).arg(kNames[w - 1]));
    t.login();
    t.find<QRadioButton>("TForm1", "RadioButton3")->click();
}

// The records of the day's third shift as the list's lines read back.
QStringList saved(TestApp& t)
{
    QStringList out;
    const auto rows = t.check->select("select w_id, o_id, kol_vo, time, brak, color, cena from accounts_dep.smena "
                                      "where data='2025-04-01' and smena=3 order by id").rows;
    for (const auto& r : rows) {
        QStringList f;
        for (const QVariant& v : r)
            f << v.toString();
        out << f.join('|');
    }
    return out;
}

// The third shift's prices: the lowest norm price (10, 5, 3) and 20 % more.
QStringList expected(const QVector<Line>& list)
{
    const QHash<int, QString> price = {{200, "12"}, {201, "6"}, {202, "3.6"}};
    QStringList out;
    for (const Line& l : list)
        out << QString("%1|%2|%3|%4|%5|%6|%7").arg(l.worker).arg(l.oper).arg(l.count).arg(l.hours).arg(l.defects).arg(l.colour)
                   .arg(price[l.oper]);
    return out;
}

// What the series needs typed to find the operation: the first letter of its kind.
QString typedOperation(const Line& l) { return l.kind.left(1).toLower(); }
} // namespace

// Keys pressed and mouse actions, each going where the window system sends it: to the
// focused widget of the window on top.
class Keyboard {
public:
    explicit Keyboard(TestApp& t) : t_(t) {}
    int keys = 0;
    int mouse = 0;

    QWidget* focus() const
    {
        QWidget* top = t_.seam.activeWindow();
        QWidget* w = top ? top->focusWidget() : nullptr;
        return w ? w : top;
    }
    // A key, with its modifiers counted as keys pressed too. A key with Alt is a window's
    // shortcut: its window is the active one, as the user's is.
    void press(Qt::Key key, Qt::KeyboardModifiers mods = {}, const QString& text = {})
    {
        keys += 1 + qPopulationCount(uint(mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)));
        QWidget* top = t_.seam.activeWindow();
        if ((mods & Qt::AltModifier) && top && QApplication::activeWindow() != top) {
            top->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(top));
        }
        if (text.isEmpty())
            QTest::keyClick(focus(), key, mods);
        else
            QTest::sendKeyEvent(QTest::Click, focus(), key, text, mods);
    }
    void type(const QString& text)
    {
        keys += text.size();
        ::type(focus(), text);
    }
    // Tab until the widget has the focus.
    void tabTo(QWidget* w)
    {
        for (int i = 0; i < 12 && focus() != w; ++i)
            press(Qt::Key_Tab);
        QCOMPARE(focus(), w);
    }

private:
    TestApp& t_;
};

class TestPaperList : public QObject {
    Q_OBJECT

private slots:
    // Each line: "Добавить", the worker's "..." and his name's first letter, the operation's
    // "..." and the arrows to it, the numbers with Tab between them, Enter. No mouse is needed.
    void throughTheDialog()
    {
        TestApp t;
        prepare(t);
        const QVector<Line> list = paperList();
        Keyboard kb(t);
        kb.tabTo(t.find<QPushButton>("TForm1", "Button1"));
        for (const Line& l : list) {
            t.seam.onModal("TForm11", [&](QDialog*) {
                QCOMPARE(kb.focus(), t.find<QPushButton>("TForm11", "Button3"));
                t.seam.onModal("TForm5", [&](QDialog*) {
                    kb.type(l.name.left(1));
                    kb.press(Qt::Key_Return);
                });
                kb.press(Qt::Key_Space);
                // The dialog is activated again: the focus is back on the worker's "...".
                kb.tabTo(t.find<QPushButton>("TForm11", "Button4"));
                t.seam.onModal("TForm4", [&](QDialog*) {
                    for (const Oper& o : kOpers) {
                        if (o.id == l.oper)
                            break;
                        kb.press(Qt::Key_Down);
                    }
                    kb.press(Qt::Key_Return);
                });
                kb.press(Qt::Key_Space);
                kb.tabTo(edit(t, "TForm11", "Edit3"));
                kb.type(QString::number(l.count));
                kb.tabTo(edit(t, "TForm11", "Edit6"));
                kb.type(QString::number(l.hours));
                if (l.colour) {
                    kb.tabTo(edit(t, "TForm11", "Edit5"));
                    kb.type(QString::number(l.colour));
                }
                kb.tabTo(edit(t, "TForm11", "Edit4"));
                kb.type(QString::number(l.defects));
                kb.press(Qt::Key_Return);
            });
            kb.press(Qt::Key_Space);
            QVERIFY(t.seam.nothingPending());
            if (QTest::currentTestFailed())
                return;
        }
        QCOMPARE(saved(t), expected(list));
        QVERIFY(t.seam.shown.isEmpty());
        qInfo("30 lines through the dialog: %d keys, %d mouse actions; the data has %d characters", kb.keys, kb.mouse,
              dataCharacters(list));
        QCOMPARE(dataCharacters(list), 519);
        QCOMPARE(kb.keys, 678);
        QCOMPARE(kb.mouse, 0);
    }

    // "Серия": the dialog opened once and the box ticked with Alt+С; a line is the operation's
    // first letter and the numbers, Enter after each; a new worker is Shift+Tab back to his
    // field and his number. Escape closes the dialog at the end.
    void inSeries()
    {
        TestApp t;
        prepare(t);
        const QVector<Line> list = paperList();
        Keyboard kb(t);
        kb.tabTo(t.find<QPushButton>("TForm1", "Button1"));
        t.seam.onModal("TForm11", [&](QDialog* d) {
            kb.press(Qt::Key(0x0421), Qt::AltModifier, QStringLiteral("с")); // Alt+С
            // A button's shortcut clicks it after showing it pressed for a moment.
            QTRY_VERIFY(t.find<QCheckBox>("TForm11", "CheckBox1")->isChecked());
            int worker = 0;
            for (const Line& l : list) {
                if (l.worker != worker) {
                    if (worker)
                        kb.press(Qt::Key_Tab, Qt::ShiftModifier);
                    QCOMPARE(kb.focus(), edit(t, "TForm11", "Edit1"));
                    kb.type(QString::number(l.worker));
                    kb.press(Qt::Key_Return);
                    QCOMPARE(edit(t, "TForm11", "Edit1")->text(), l.name);
                    worker = l.worker;
                }
                QCOMPARE(kb.focus(), edit(t, "TForm11", "Edit2"));
                kb.type(typedOperation(l));
                kb.press(Qt::Key_Return);
                QCOMPARE(edit(t, "TForm11", "Edit2")->text(), l.mark + "; " + l.kind + (l.oper == 202 ? "; Заготовки" : "; Готовая продукция"));
                QList<int> numbers{l.count, l.hours};
                if (l.colour)
                    numbers << l.colour;
                for (int n : numbers << l.defects) {
                    kb.type(QString::number(n));
                    kb.press(Qt::Key_Return);
                }
                QVERIFY(d->isVisible());
                if (QTest::currentTestFailed())
                    return;
            }
            kb.press(Qt::Key_Escape);
            QVERIFY(!d->isVisible());
        });
        kb.press(Qt::Key_Space);
        QVERIFY(t.seam.nothingPending());
        QCOMPARE(saved(t), expected(list));
        QVERIFY2(t.seam.shown.isEmpty(), qPrintable(t.seam.texts().join('\n')));
        // The day cells as a save of the dialog keeps them: 4 + 2 + 2 hours.
        QCOMPARE(t.scalar("select d1 from accounts_dep.h_tabel where w_id=10 and smena=3 and month=4 and year=2025").toInt(), 8);
        const int data = dataCharacters(list);
        qInfo("30 lines in the series: %d keys, %d mouse actions; the data has %d characters", kb.keys, kb.mouse, data);
        QVERIFY(kb.keys <= data + 2 * list.size());
        QCOMPARE(kb.keys, 389);
        QCOMPARE(kb.mouse, 0);
    }

    // What the series finds for a typed text, best first.
    void typedChoice_data()
    {
        QTest::addColumn<bool>("worker");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVector<int>>("found");
        QTest::newRow("number: itself first, then those it begins") << true << "1" << QVector<int>{0, 1, 2, 3};
        QTest::newRow("a longer number") << true << "10" << QVector<int>{1, 3};
        QTest::newRow("start of the name, any case") << true << "ант" << QVector<int>{0, 2};
        QTest::newRow("ё as е") << true << "Федо" << QVector<int>{1};
        QTest::newRow("nobody") << true << "Я" << QVector<int>{};
        QTest::newRow("mark without its hyphen, kind") << false << "п1 фор" << QVector<int>{0, 2};
        QTest::newRow("any word's start") << false << "п-1 кр" << QVector<int>{1};
        QTest::newRow("category") << false << "заг" << QVector<int>{2, 3};
        QTest::newRow("the operation's number first") << false << "301" << QVector<int>{3};
        QTest::newRow("a number inside the mark") << false << "100" << QVector<int>{3};
        QTest::newRow("no text: all") << false << " " << QVector<int>{0, 1, 2, 3};
    }
    void typedChoice()
    {
        QFETCH(bool, worker);
        QFETCH(QString, text);
        QFETCH(QVector<int>, found);
        const QVector<TypedChoice::Worker> workers{{1, "Антонов А.А."}, {10, "Фёдоров П.П."}, {12, "Антипов С.С."}, {101, "Борисов Б.Б."}};
        const QVector<TypedChoice::Operation> opers{{200, "П-1 Кирпичик 200x100x60", "Формовка", 0},
                                                    {201, "П-1 Кирпичик 200x100x60", "Краска", 0},
                                                    {202, "П-10 Квадрат", "Формовка", 1},
                                                    {301, "БР 100.30.15 Бордюр", "Упаковка", 1}};
        QCOMPARE(worker ? TypedChoice::workers(workers, text) : TypedChoice::operations(opers, text), found);
    }

    // A refusal says why, keeps the line as typed and puts the cursor on the field to fix:
    // a worker number nobody has, a line saved already, a painting without its colour.
    void refusalKeepsTheLine()
    {
        TestApp t;
        prepare(t);
        Keyboard kb(t);
        auto* worker = edit(t, "TForm11", "Edit1");
        auto* oper = edit(t, "TForm11", "Edit2");
        auto typeLine = [&](const QStringList& fields) {
            for (const QString& f : fields) {
                kb.type(f);
                kb.press(Qt::Key_Return);
            }
        };
        t.seam.onModal("TForm11", [&](QDialog* d) {
            QTest::mouseClick(t.find<QCheckBox>("TForm11", "CheckBox1"), Qt::LeftButton, {}, QPoint(6, 8));
            QCOMPARE(kb.focus(), worker);
            kb.type("99");
            QCOMPARE(t.find<QListWidget>("TForm11", "ListBox1")->count(), 0);
            kb.press(Qt::Key_Return);
            QCOMPARE(t.seam.last()->text, QStringLiteral("Работник «99» не найден."));
            QCOMPARE(worker->text(), QStringLiteral("99"));
            QCOMPARE(kb.focus(), worker);
            // The fixture's Васильев is number 3.
            typeLine({"3", "у", "40", "8", "0"});
            QCOMPARE(t.scalar("select count(*) from accounts_dep.smena where smena=3").toInt(), 1);
            QCOMPARE(kb.focus(), oper);
            typeLine({"у", "40", "6", "0"});
            QCOMPARE(t.seam.last()->text, QStringLiteral("Позиция с такими параметрами уже заведена!"));
            QCOMPARE(oper->text(), QStringLiteral("Б-1; Упаковка; Заготовки"));
            QCOMPARE(edit(t, "TForm11", "Edit3")->text(), QStringLiteral("40"));
            QCOMPARE(edit(t, "TForm11", "Edit6")->text(), QStringLiteral("6"));
            QCOMPARE(kb.focus(), oper);
            QCOMPARE(oper->selectedText(), oper->text());
            // Painting instead, the colour left out.
            typeLine({"к", "", "", "", ""});
            QCOMPARE(t.seam.last()->text, QStringLiteral("Все поля должны быть заполнены!"));
            QCOMPARE(oper->text(), QStringLiteral("П-1; Краска; Готовая продукция"));
            QCOMPARE(edit(t, "TForm11", "Edit3")->text(), QStringLiteral("40"));
            QCOMPARE(kb.focus(), edit(t, "TForm11", "Edit5"));
            typeLine({"7035", ""});
            QVERIFY(d->isVisible());
        });
        click(t, "TForm1", "Button1");
        QCOMPARE(t.seam.shown.size(), 3);
        QCOMPARE(saved(t), (QStringList{"3|202|40|8|0|0|3.6", "3|201|40|6|0|7035|6"}));
    }
};

PW_TEST_MAIN(TestPaperList)
#include "test_paper_list.moc"
