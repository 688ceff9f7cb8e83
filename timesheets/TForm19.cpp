#include "TForm19.h"
#include "App.h"
#include "DbGrid.h"
#include "LongOperation.h"
#include "ReportServer.h"
#include "Query.h"
#include "TDataModule6.h"
#include "printing/TForm15.h"
#include "Seam.h"
#include "sheets/Excel.h"
#include "sheets/Exports.h"
#include "ui_TForm19.h"
#include <QApplication>
#include <QHeaderView>
#include <QStyledItemDelegate>

using namespace ShiftTimesheet;

namespace {
QVector<GridColumn> columns()
{
    QVector<GridColumn> c{{"fio", "Фамилия И. О.", 208}};
    for (int d = 1; d <= 31; ++d)
        c << GridColumn{QStringLiteral("d%1").arg(d), QString::number(d), 20, Qt::AlignCenter, true, {}, {}, true};
    c << GridColumn{"summ", "Итого", 47, Qt::AlignCenter};
    return c;
}

const QColor kRed(255, 0, 0);
const QColor kSilver(192, 192, 192);
const QColor kGreen(192, 220, 192);
const QColor kTotal(225, 228, 255);

// The selected row keeps the grid's own look: no bold, no coloured ground.
class Delegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_Selected) {
            option->font.setBold(false);
            option->backgroundBrush = QBrush();
        }
    }
};
} // namespace

TForm19::TForm19(App& a) : TForm(a), ui(std::make_unique<Ui::TForm19>())
{
    ui->setupUi(this);
    for (DayMark& m : marks_)
        m = DayMark::Working;
    QTableView* grids[] = {ui->DBGrid1, ui->DBGrid2, ui->DBGrid3};
    Query* qs[] = {dm().H_Tabel_1, dm().H_Tabel_2, dm().H_Tabel_3};
    for (int i = 0; i < 3; ++i) {
        QueryModel* m = bindGrid(seam(), grids[i], qs[i], columns());
        m->setTitleFont(true, Qt::AlignCenter);
        m->setLook([this](const QueryModel& model, int row, int column, int role) { return look(model, row, column, role); });
        grids[i]->setItemDelegate(new Delegate(grids[i]));
        grids[i]->horizontalHeader()->setMinimumSectionSize(20);
        applyColumns(grids[i]);
        models_ << m;
    }
    on(ui->Button1, &QPushButton::clicked, &TForm19::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &TForm19::Button2Click);
    on(ui->Button4, &QPushButton::clicked, &TForm19::Button4Click);
    on(ui->Button5, &QPushButton::clicked, &TForm19::Button5Click);
    on(ui->Button6, &QPushButton::clicked, &TForm19::Button6Click);
    on(ui->ComboBox1, &QComboBox::currentIndexChanged, &TForm19::ComboBox1Change);
    on(ui->ComboBox2, &QComboBox::currentIndexChanged, &TForm19::ComboBox1Change);
    setFixedSize(958, 577);
}

TForm19::~TForm19() = default;

QVector<Query*> TForm19::queries() const { return {dm().H_Tabel_1, dm().H_Tabel_2, dm().H_Tabel_3}; }

int TForm19::month() const { return ui->ComboBox1->currentIndex() + 1; }
int TForm19::year() const { return ui->ComboBox2->currentText().toInt(); }

void TForm19::showFor(const QDate& workingDay)
{
    {
        const QSignalBlocker b1(ui->ComboBox1), b2(ui->ComboBox2);
        ui->ComboBox1->setCurrentIndex(workingDay.month() - 1);
        ui->ComboBox2->clear();
        ui->ComboBox2->addItems(years(seam().today(), workingDay.year()));
        ui->ComboBox2->setCurrentText(QString::number(workingDay.year()));
    }
    struct Closer {
        QVector<Query*> qs;
        ~Closer()
        {
            for (Query* q : qs)
                q->close();
        }
    } closer{queries()};
    ComboBox1Change();
    showModal(this);
}

void TForm19::ComboBox1Change()
{
    const int m = month();
    const int y = year();
    if (y <= 0)
        return;
    const QDate first(y, m, 1);
    for (int d = 1; d <= 31; ++d)
        marks_[d - 1] = dayMark(d, m, y, app.calendar());
    for (Query* q : queries()) {
        q->close();
        q->setParam(QStringLiteral("mnth"), m);
        q->setParam(QStringLiteral("yea"), y);
        q->setParam(QStringLiteral("date1"), first);
        q->setParam(QStringLiteral("date2"), first.addMonths(1));
        q->open();
    }
    // The titles take the new marks.
    for (QueryModel* model : models_)
        emit model->headerDataChanged(Qt::Horizontal, 1, 31);
    showMonthState(dm().ADO_DB, m, y, ui->LabelClosed, {ui->Button1});
}

QVariant TForm19::look(const QueryModel& m, int row, int column, int role) const
{
    if (column == 32) {
        if (role == Qt::BackgroundRole && row >= 0)
            return kTotal;
        if (role == Qt::FontRole) {
            QFont f;
            f.setBold(true);
            return f;
        }
        return {};
    }
    if (column < 1 || column > 31)
        return {};
    const DayMark mark = marks_[column - 1];
    const QPalette pal = QApplication::palette();
    auto colour = [&](Ink ink, const QColor& base) -> QColor {
        switch (ink) {
        case Ink::Silver: return kSilver;
        case Ink::WindowText: return pal.color(QPalette::WindowText);
        case Ink::WindowBackground: return pal.color(QPalette::Base);
        case Ink::Unchanged: break;
        }
        return base;
    };
    const QColor columnInk = mark == DayMark::DayOff ? kRed
        : mark == DayMark::Beyond                   ? pal.color(QPalette::Base)
                                                    : pal.color(QPalette::WindowText);
    if (row < 0) {
        if (role == Qt::ForegroundRole)
            return mark == DayMark::Beyond ? kSilver : columnInk;
        return {};
    }
    const CellLook cell = cellLook(m.raw(row, column), mark);
    switch (role) {
    case Qt::ForegroundRole:
        return colour(cell.ink, columnInk);
    case Qt::FontRole:
        if (cell.bold) {
            QFont f;
            f.setBold(true);
            return f;
        }
        return {};
    case Qt::BackgroundRole:
        return cell.green ? QVariant(kGreen) : QVariant();
    default:
        return {};
    }
}

void TForm19::Button1Click()
{
    LongOperation op(QStringLiteral("Перестроение табеля: ") + ui->ComboBox1->currentText() + QLatin1Char(' ')
                     + QString::number(year()));
    ui->PB->setMaximum(QDate(year(), month(), 1).daysInMonth());
    ui->PB->setValue(1);
    ui->PB->show();
    struct Hider {
        QWidget* w;
        ~Hider() { w->hide(); }
    } hider{ui->PB};
    const int days = ui->PB->maximum();
    ShiftTimesheet::rebuild(op.connection(dm().ADO_DB), month(), year(), [&](int done, int of) {
        ui->PB->setValue(std::max(1, days * done / of));
        op.step(done, of);
    });
    for (Query* q : queries())
        q->reopen();
}

void TForm19::Button2Click()
{
    // The sums of all the month's rows per worker, as the printed timesheet has them.
    Query* q = app.form<TForm15>()->H_Tabel;
    q->close();
    q->setParam(QStringLiteral("mnth"), month());
    q->setParam(QStringLiteral("yea"), year());
    LongOperation op(QStringLiteral("Выгрузка табеля в Excel"));
    op.watch(dm().ADO_DB);
    readForReport(*q);
    ClosesAtEnd closer(*q);
    const QString title = ui->ComboBox1->currentText() + QLatin1Char(' ') + QString::number(year());
    Excel excel(seam(), QStringLiteral("Табель по сменам ") + title);
    if (excel.OpenExcel() < 0)
        return;
    excel.ShowExcel(false);
    Exports::shiftTimesheet(excel, *q, title, [&](int n, int all) {
        ui->Button2->setText(Exports::progressCaption(n, all));
        op.step(n, all);
    });
    excel.ShowExcel(true);
}

void TForm19::Button4Click() { reject(); }

void TForm19::Button5Click()
{
    for (Query* q : queries())
        q->close();
    for (Query* q : queries())
        q->open();
}

void TForm19::Button6Click()
{
    TForm15* f = app.form<TForm15>();
    Query* q = f->H_Tabel;
    q->close();
    q->setParam(QStringLiteral("mnth"), month());
    q->setParam(QStringLiteral("yea"), year());
    const QString note = ReportServer::dataNote(readForReport(*q));
    ClosesAtEnd closer(*q);
    f->markDays(month(), year(), app.calendar());
    f->QuickRep1.setText(QStringLiteral("QRLabel33"), ui->ComboBox1->currentText() + QLatin1Char(' ')
                                                          + ui->ComboBox2->currentText() + QStringLiteral(" г.")
                                                          + (note.isEmpty() ? QString() : QStringLiteral(". ") + note));
    f->preview(*q);
}

void TForm19::FormActivate() { ui->Button2->setText(QStringLiteral("Excel")); }
