#include "TForm1.h"
#include "App.h"
#include "ReportServer.h"
#include "LongOperation.h"
#include "DbError.h"
#include "DbGrid.h"
#include "LegacyImport.h"
#include "SchemaUpgrade.h"
#include "refbooks/TForm3.h"
#include "refbooks/TForm4.h"
#include "refbooks/TForm5.h"
#include "refbooks/TForm8.h"
#include "reports/TForm18.h"
#include "timesheets/TForm19.h"
#include "household/TForm25.h"
#include "timesheets/TForm27.h"
#include "timesheets/TForm29.h"
#include "reports/TForm30.h"
#include "timesheets/rules/MonthClose.h"
#include "Watch.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "TForm23.h"
#include "journal/JournalActions.h"
#include "rules/DataModuleSql.h"
#include "rules/Journal.h"
#include "rules/Shell.h"
#include "ui_TForm1.h"
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScopeGuard>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

namespace {
// Numbers read from the right, as the workshop's grids always showed them.
const Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;
const QVector<GridColumn> kJournalColumns = {
    {"fio", "Фамилия И.О.", 250},
    {"marka", "Марка изделия", Stretch},
    {"vid", "Операция", 155},
    {"nmn", "Вид", 157},
    {"color", "Цвет", 45, Qt::AlignCenter},
    {"time", "Часы", 45, kRight},
    {"kol_vo", "Кол-во", 57, kRight},
    {"brak", "Брак", 49, kRight},
    {"summa", "Итого (р.)", 78, kRight},
    {"prize", "Премия (%)", 64, Qt::AlignCenter, false},
    {"ok", "OK", 37},
    // Records entered by other programs carry a time as well.
    {"vvod", "Заведен", 72, Qt::AlignCenter, true, {}, "00.00.0000 00:00:00"},
};

struct MenuItem {
    const char* name;
    const char* title;
    void (TForm1::*handler)();
};
struct Menu {
    const char* name;
    const char* title;
    QVector<MenuItem> items;
    bool hidden;
};
const QVector<Menu> kMenus = {
    {"N2", "Справочники",
     {{"N1", "Рабочие", &TForm1::N1Click},
      {"N3", "Изделия", &TForm1::N3Click},
      {"N4", "Цены", &TForm1::N4Click},
      {"N6", "Операции", &TForm1::N6Click},
      {"N8", "Внеурочное", nullptr}},
     false},
    {"N11", "Табель",
     {{"N9", "Табель сделка", &TForm1::N9Click},
      {"N13", "Табель по сменам", &TForm1::N13Click},
      {"N14", "Табель хоз. работ", &TForm1::N14Click},
      {"N15", "Табель ср. сдельная", &TForm1::N15Click},
      {"N17", "Общий табель", &TForm1::N17Click},
      {"N18", "Закрыть месяц…", &TForm1::N18Click}},
     false},
    {"N7", "Отчеты",
     {{"N10", "Сводные отчеты", &TForm1::N10Click},
      {"N19", "История изменений", &TForm1::N19Click},
      {"N20", "История записи", &TForm1::N20Click}},
     false},
};
const QKeySequence kMaintenanceChord(Qt::CTRL | Qt::SHIFT | Qt::Key_F12);
const QString kShiftOn = QStringLiteral("QRadioButton { background-color: rgb(0, 128, 0); font-weight: bold; }");
const QString kDayOffOn = QStringLiteral("QCheckBox { background-color: rgb(255, 0, 0); font-weight: bold; }");
} // namespace

TForm1::TForm1(App& a) : TForm(a), ui(std::make_unique<Ui::TForm1>())
{
    ui->setupUi(this);
    setFixedSize(1281, 585);
    buildMenu();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(30000);
    on(Timer1, &QTimer::timeout, &TForm1::Timer1Timer);
    Timer1->start();

    model_ = bindGrid(seam(), ui->DBGrid2, dm().Smena1, kJournalColumns);
    model_->setTitleFont(true, Qt::AlignCenter);
    model_->setLook([](const QueryModel& m, int row, int column, int role) -> QVariant {
        if (row < 0 || m.columns()[column].field != QLatin1String("ok"))
            return {};
        const QString ok = m.text(row, column);
        if (role == Qt::ForegroundRole)
            return JournalRules::markColor(ok);
        if (role == Qt::FontRole) {
            QFont f;
            f.setBold(true);
            return f;
        }
        return {};
    });
    ui->RadioButton1->setStyleSheet(kShiftOn);
    wire();
    // What the calendar has to say (a year without its decree) stays in the status line.
    app.calendar().setListener([this](const QString& text) { ui->StatusBar1->showMessage(text); });
}

TForm1::~TForm1() { app.calendar().setListener({}); }

void TForm1::buildMenu()
{
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    layout()->setMenuBar(MainMenu);
    for (const Menu& m : kMenus) {
        QMenu* menu = MainMenu->addMenu(QString::fromUtf8(m.title));
        menu->setObjectName(QString::fromLatin1(m.name));
        if (qstrcmp(m.name, "N11") == 0)
            N11 = menu;
        for (const MenuItem& item : m.items) {
            QAction* a = menu->addAction(QString::fromUtf8(item.title));
            a->setObjectName(QString::fromLatin1(item.name));
            if (item.handler)
                on(a, &QAction::triggered, item.handler);
        }
    }
    QAction* exit = MainMenu->addAction(QStringLiteral("Выход"));
    exit->setObjectName(QStringLiteral("N5"));
    on(exit, &QAction::triggered, &TForm1::N5Click);
    // Maintenance commands, hidden in every role; an administrator shows them with the chord.
    for (const MenuItem& item : {MenuItem{"N12", "Импорт", &TForm1::N12Click}, MenuItem{"N16", "Структура БД", &TForm1::N16Click}}) {
        QAction* a = MainMenu->addAction(QString::fromUtf8(item.title));
        a->setObjectName(QString::fromLatin1(item.name));
        a->setVisible(false);
        on(a, &QAction::triggered, item.handler);
        (qstrcmp(item.name, "N12") == 0 ? N12 : N16) = a;
    }
    auto* chord = new QShortcut(kMaintenanceChord, this);
    chord->setObjectName(QStringLiteral("MaintenanceChordKey"));
    on(chord, &QShortcut::activated, &TForm1::MaintenanceChord);
}

void TForm1::wire()
{
    on(ui->Button1, &QPushButton::clicked, &TForm1::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &TForm1::Button2Click);
    on(ui->Button3, &QPushButton::clicked, &TForm1::Button3Click);
    on(ui->Button4, &QPushButton::clicked, &TForm1::Button4Click);
    on(ui->Button5, &QPushButton::clicked, &TForm1::Button5Click);
    on(ui->Button8, &QPushButton::clicked, &TForm1::Button8Click);
    // The checked state decides, however it came about (a click, a key, a screen reader).
    on(ui->RadioButton1, &QRadioButton::toggled, &TForm1::RadioButton1Click);
    on(ui->RadioButton2, &QRadioButton::toggled, &TForm1::RadioButton2Click);
    on(ui->RadioButton3, &QRadioButton::toggled, &TForm1::RadioButton3Click);
    on(ui->RadioButton4, &QRadioButton::toggled, &TForm1::RadioButton4Click);
    on(ui->CBox1, &QCheckBox::toggled, &TForm1::CBox1Click);
    on(ui->DBGrid2, &QTableView::doubleClicked, &TForm1::DBGrid2DblClick);
    // The working day changes when the calendar closes on a day, or on Enter in the field.
    on(ui->DateT->calendarWidget(), &QCalendarWidget::clicked, &TForm1::DateTChange, Qt::QueuedConnection);
    on(ui->DateT->calendarWidget(), &QCalendarWidget::activated, &TForm1::DateTChange, Qt::QueuedConnection);
    ui->DateT->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->DateT && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            seam().guarded([this] { DateTKeyPress(); });
            return true;
        }
    }
    return TForm::eventFilter(watched, event);
}

bool TForm1::FormCreate()
{
    const QString database = app.args().value(0);
    const QString server = app.args().value(1);
    const QString reportServer = app.args().value(2);
    QString unsafe = Shell::unsafeValue(database, server);
    if (unsafe.isEmpty())
        unsafe = Shell::unsafeValue(database, reportServer);
    try {
        if (!unsafe.isEmpty())
            throw DbError(unsafe);
        dm().ADO_DB.close();
        dm().ADO_DB.setConnectionString(Shell::connectionString(database, server));
        ReportServer::set(Shell::readingString(database, server, reportServer));
        dm().ADO_DB.open();
        app.addWindow(new TForm23(app));
    } catch (const DbError& e) {
        // The cause goes with it where the user can mend it (the configuration file).
        seam().message(QMessageBox::Critical, QStringLiteral("Ошибка!"),
                       QStringLiteral("Подключение к БД отсутсвует!!!") + (unsafe.isEmpty() ? QString() : QLatin1Char('\n') + e.message()));
        seam().requestQuit();
        close();
        return false;
    }
    return true;
}

Query* TForm1::currentQuery()
{
    cur_query = dm().smenaQuery(cur_smena);
    return cur_query;
}

QDate TForm1::workingDay() const { return ui->DateT->date(); }
bool TForm1::dayOff() const { return ui->CBox1->isChecked(); }
void TForm1::setTimesheetMenuEnabled(bool on) { N11->menuAction()->setEnabled(on); }

void TForm1::openJournal(const QDate& day)
{
    // Every query gets its day before any of them runs: one that fails must not leave
    // the others without it, or no refresh could show them again.
    for (Query* q : dm().smenaQueries()) {
        q->close();
        q->setParam(QStringLiteral("data"), day);
    }
    for (Query* q : dm().smenaQueries())
        q->open();
    showMonthState(dm().ADO_DB, day.month(), day.year(), nullptr, {ui->Button1, ui->Button2, ui->Button3});
}

void TForm1::FormActivate()
{
    const QDate today = seam().today();
    ui->DateT->setDate(today);
    // A tick the user gave stays; one the calendar gave for another day must not mark
    // today's work as done on a day off.
    if (app.calendar().isDayOff(today))
        setDayOffFromCalendar(true);
    else if (dayOffByCalendar_)
        setDayOffFromCalendar(false);
    for (Query* q : dm().smenaQueries())
        q->setFiltered(false);
    openJournal(today);
}

void TForm1::DateTChange()
{
    BusyCursor busy;
    const QDate day = ui->DateT->date();
    openJournal(day);
    setDayOffFromCalendar(app.calendar().isDayOff(day));
    ui->DBGrid2->setFocus();
}

void TForm1::DateTKeyPress() { DateTChange(); }

void TForm1::Button8Click()
{
    BusyCursor busy;
    for (Query* q : dm().smenaQueries())
        q->close();
    for (Query* q : dm().smenaQueries())
        q->open();
}

void TForm1::chooseShift(int shift)
{
    QRadioButton* buttons[] = {ui->RadioButton1, ui->RadioButton2, ui->RadioButton3, ui->RadioButton4};
    if (!buttons[shift - 1]->isChecked())
        return;
    rebindGrid(ui->DBGrid2, dm().smenaQuery(shift));
    for (int i = 0; i < 4; ++i)
        buttons[i]->setStyleSheet(i == shift - 1 ? kShiftOn : QString());
    cur_smena = shift;
}

void TForm1::RadioButton1Click() { chooseShift(1); }
void TForm1::RadioButton2Click() { chooseShift(2); }
void TForm1::RadioButton3Click() { chooseShift(3); }
void TForm1::RadioButton4Click() { chooseShift(4); }

void TForm1::CBox1Click()
{
    if (!settingDayOff_)
        dayOffByCalendar_ = false;
    ui->CBox1->setStyleSheet(ui->CBox1->isChecked() ? kDayOffOn : QString());
}

void TForm1::setDayOffFromCalendar(bool off)
{
    settingDayOff_ = true;
    ui->CBox1->setChecked(off);
    CBox1Click(); // also when the tick does not change
    settingDayOff_ = false;
    dayOffByCalendar_ = off;
}

void TForm1::DBGrid2DblClick()
{
    if (Shell::isForemanCode(login_code))
        return;
    Query* q = currentQuery();
    if (q->isEmpty())
        return;
    Command updtOK(dm().ADO_DB, QStringLiteral("updtOK"));
    updtOK.setSql(QString::fromUtf8(DataModuleSql::UpdtOK));
    updtOK.setParam(QStringLiteral("ok"), JournalRules::toggledMark(q->asString(QStringLiteral("ok"))));
    updtOK.setParam(QStringLiteral("id"), q->asInteger(QStringLiteral("id")));
    updtOK.execute();
    const int recNo = q->recNo();
    q->reopen();
    q->setRecNo(recNo);
}

void TForm1::Button1Click() { JournalActions::addRecord(app); }
void TForm1::Button2Click() { JournalActions::changeRecord(app); }
void TForm1::Button3Click() { JournalActions::deleteRecord(app); }
void TForm1::Button4Click() { close(); }
void TForm1::N5Click() { close(); }

void TForm1::Button5Click()
{
    auto* f25 = app.form<TForm25>();
    f25->setJournalDate(ui->DateT->date());
    showModal(f25);
    f25->fatigue->close();
}

void TForm1::Timer1Timer()
{
    // Not while an operation or a wait on the server is under way: the check would run
    // inside its transaction, or on a connection that is waiting.
    if (LongOperation::running() || dm().ADO_DB.busy())
        return;
    if (auto* login = app.form<TForm23>())
        login->CheckVersion();
}

void TForm1::N1Click() { app.form<TForm5>()->openAsEditor(); }
void TForm1::N3Click() { app.form<TForm3>()->openAsEditor(); }
void TForm1::N4Click() { app.form<TForm4>()->openAsEditor(); }
void TForm1::N6Click() { app.form<TForm8>()->openAsEditor(); }

static void showMonthSheet(App& app, MonthSheets::Variant v)
{
    auto* f27 = app.form<TForm27>();
    f27->prepare(v);
    app.seam().showModal(f27);
    f27->finish();
}

void TForm1::N9Click() { showMonthSheet(app, MonthSheets::Variant::PieceWork); }
void TForm1::N14Click() { showMonthSheet(app, MonthSheets::Variant::Household); }
void TForm1::N15Click() { showMonthSheet(app, MonthSheets::Variant::AverageRate); }
void TForm1::N17Click() { showMonthSheet(app, MonthSheets::Variant::General); }

void TForm1::N13Click() { app.form<TForm19>()->showFor(workingDay()); }

void TForm1::N18Click()
{
    if (!Watch::available(dm().ADO_DB)) {
        seam().message(QMessageBox::Warning, QStringLiteral("Закрытие месяца"), QString::fromUtf8(MonthClose::kUnavailable));
        return;
    }
    app.form<TForm29>()->showFor(workingDay());
}

void TForm1::N10Click()
{
    auto* f18 = app.form<TForm18>();
    const QDate today = seam().today();
    f18->setPeriod(JournalRules::previousMonthStart(today), JournalRules::monthStart(today));
    showModal(f18);
}

static bool historyKept(App& app)
{
    if (Watch::available(app.DataModule6()->ADO_DB))
        return true;
    app.seam().message(QMessageBox::Warning, QStringLiteral("История изменений"), QString::fromUtf8(MonthClose::kUnavailable));
    return false;
}

void TForm1::N19Click()
{
    if (!historyKept(app))
        return;
    const QDate today = seam().today();
    History::Filter f;
    f.from = JournalRules::previousMonthStart(today);
    f.to = today;
    app.form<TForm30>()->showFor(f);
}

void TForm1::N20Click()
{
    Query* q = currentQuery();
    if (q->isEmpty() || !historyKept(app))
        return;
    History::Filter f;
    f.from = f.to = seam().today();
    f.table = QStringLiteral("accounts_dep.smena");
    f.key = QString::number(q->asInteger(QStringLiteral("id")));
    app.form<TForm30>()->showFor(f);
}

void TForm1::MaintenanceChord()
{
    if (Shell::roleForCode(login_code) != Shell::Role::Administrator)
        return;
    const bool show = !N12->isVisible();
    N12->setVisible(show);
    N16->setVisible(show);
}

void TForm1::N16Click()
{
    // Steps that fail are skipped without a word, except for want of rights or a table held
    // by another client: the administrator has to learn what is missing and why.
    SchemaUpgrade::Outcome out;
    {
        LongOperation op(QStringLiteral("Структура БД"));
        out = SchemaUpgrade::run(op.connection(dm().ADO_DB), [&](int done, int of, const QString& step) {
            if (!step.isEmpty())
                op.setText(QStringLiteral("Структура БД: ") + step);
            op.step(done, of);
        });
    }
    const QString lacking = SchemaUpgrade::rightsMessage(out);
    if (!lacking.isEmpty())
        seam().message(QMessageBox::Warning, QStringLiteral("Структура БД"), lacking);
}

void TForm1::N12Click()
{
    // Both commands wait while the copy runs: a second start, or an upgrade waiting for
    // the tables the copy holds, would never return.
    N12->setEnabled(false);
    N16->setEnabled(false);
    ui->Label1->setVisible(true);
    const auto restore = qScopeGuard([this] {
        N12->setEnabled(true);
        N16->setEnabled(true);
        ui->Label1->setVisible(false);
    });
    LegacyImport::Outcome out;
    {
        LongOperation op(QStringLiteral("Импорт журнала"));
        const LegacyImport::Connections c = LegacyImport::open(&op);
        Connection& MSA = *c.source;
        Connection& PGSQL = *c.target;
        // No click reaches a handler meanwhile: one writing to the tables the copy holds
        // would wait for it while it waits for the handler.
        out = LegacyImport::run(MSA, PGSQL, [&](const QString& table, qint64 done, qint64 total) {
            ui->Label1->setText(LegacyImport::progressText(table, done, total));
            op.setText(LegacyImport::progressText(table, done, total));
            op.step(int(std::min<qint64>(done, INT_MAX)), int(std::min<qint64>(total, INT_MAX)));
        });
    }
    if (out.status == LegacyImport::Outcome::Refused)
        error(out.refusal);
    else
        seam().message(QMessageBox::Information, QStringLiteral("Импорт"), LegacyImport::summary(out));
}
