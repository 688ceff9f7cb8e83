// A shift's paper list of 30 lines typed into the journal, keys and clicks counted: through
// the entry dialog with its pickers, one dialog a line, as the program has always taken it.
#include "Query.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
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
    const auto rows = t.check->select("select w_id, o_id, kol_vo, time, brak, color from accounts_dep.smena "
                                      "where data='2025-04-01' and smena=3 order by id").rows;
    for (const auto& r : rows) {
        QStringList f;
        for (const QVariant& v : r)
            f << v.toString();
        out << f.join('|');
    }
    return out;
}

QStringList expected(const QVector<Line>& list)
{
    QStringList out;
    for (const Line& l : list)
        out << QString("%1|%2|%3|%4|%5|%6").arg(l.worker).arg(l.oper).arg(l.count).arg(l.hours).arg(l.defects).arg(l.colour);
    return out;
}
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
    // A key, with its modifiers counted as keys pressed too.
    void press(Qt::Key key, Qt::KeyboardModifiers mods = {})
    {
        keys += 1 + qPopulationCount(uint(mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)));
        QTest::keyClick(focus(), key, mods);
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
};

PW_TEST_MAIN(TestPaperList)
#include "test_paper_list.moc"
