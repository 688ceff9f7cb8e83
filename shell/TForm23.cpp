#include "TForm23.h"
#include <QCoreApplication>
#include <QSysInfo>
#include "App.h"
#include "DbError.h"
#include "Seam.h"
#include "SqlText.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "ui_TForm23.h"
#include "rules/Shell.h"
#include "reports/TForm18.h"
#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QScreen>
#include <QTimer>

TForm23::TForm23(App& a) : TForm(a), ui(std::make_unique<Ui::TForm23>())
{
    ui->setupUi(this);
    resize(330, 44);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(5000);
    on(Timer1, &QTimer::timeout, &TForm23::Timer1Timer);
    on(ui->Button1, &QPushButton::clicked, &TForm23::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &TForm23::Button2Click);
}

TForm23::~TForm23() = default;

void TForm23::FormActivate()
{
    CheckVersion();
    setWindowTitle(Shell::loginCaption(seam().buildStamp()));
}

void TForm23::CheckVersion()
{
    const Shell::BuildStamp stamp = seam().buildStamp();
    TForm1* f1 = app.form<TForm1>();
    f1->build_date = stamp.date;
    f1->build_time = stamp.time;

    // A statement of its own: the check runs every 30 seconds, whatever a window left in
    // the shared queries.
    const OdbcReader::Result ver = dm().ADO_DB.select(QStringLiteral("select d, t, delim from accounts_dep.ver"));
    const bool hasRow = !ver.rows.isEmpty();
    const QVector<QVariant> row = hasRow ? ver.rows.first() : QVector<QVariant>(3);
    const int d = int(Query::toInteger(row.value(0))), t = int(Query::toInteger(row.value(1)));
    // A missing separator would glue the digits of every number together.
    const QString delim = Query::toText(row.value(2));
    dm().delim = delim.isEmpty() ? QStringLiteral(".") : delim;

    const Shell::VersionDecision v = Shell::decideVersion(hasRow, d, t, stamp);
    if (v.store) {
        const QString dt = SqlText::num(qint64(stamp.date)), tt = SqlText::num(qint64(stamp.time));
        dm().ADO_DB.execute(hasRow ? QStringLiteral("update accounts_dep.ver set d=%1, t=%2").arg(dt, tt)
                                   : QStringLiteral("insert into accounts_dep.ver(d, t, delim) values(%1, %2, '.')").arg(dt, tt));
    }
    if (v.outdated) {
        Timer1->start();
        seam().message(QMessageBox::Critical, QStringLiteral("Ошибка"),
                       QStringLiteral("Версия программы не соответсвует БД! Запустите программу через 5 мин."));
        seam().requestQuit();
    }
}

static void switchOff(QWidget* root, const QString& name)
{
    if (auto* menu = root->findChild<QMenu*>(name))
        menu->menuAction()->setEnabled(false);
    else if (auto* w = root->findChild<QWidget*>(name))
        w->setEnabled(false);
    else if (auto* a = root->findChild<QAction*>(name))
        a->setEnabled(false);
}

void TForm23::switchOffRole(const QString& code)
{
    const Shell::Role role = Shell::roleForCode(code);
    const Shell::SwitchedOff off = Shell::switchedOff(role);
    for (const QString& n : off.mainWindow)
        switchOff(app.form<TForm1>(), n);
    TForm18* f18 = app.form<TForm18>();
    for (const QString& n : off.reports)
        switchOff(f18, n);
    if (role == Shell::Role::Warehouse)
        f18->setProductKind(1);
}

void TForm23::Button1Click()
{
    TForm1* f1 = app.form<TForm1>();
    f1->cur_smena = 1;
    f1->login_code = Shell::trimLogin(ui->Edit1->text());
    const Shell::Role role = Shell::roleForCode(f1->login_code);
    f1->setTimesheetMenuEnabled(role == Shell::Role::Administrator || role == Shell::Role::Planning);
    if (role == Shell::Role::None) {
        error(QStringLiteral("Введены неверные данные."));
        return;
    }
    for (Query* q : dm().smenaQueries())
        q->setParam(QStringLiteral("ok"), QStringLiteral("ta"));
    // Every session of the program carries who works, for the history of changes.
    const QString osUser = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    dm().ADO_DB.setSessionSetting(QStringLiteral("pw.who"),
                                  Shell::whoSetting(role, osUser, QSysInfo::machineHostName(),
                                                    QCoreApplication::applicationVersion()));
    switchOffRole(f1->login_code);
    hide();
    showModal(f1);
    // The main window has closed: so does the program.
    seam().requestQuit();
}

void TForm23::Button2Click() { close(); }

void TForm23::Timer1Timer() { seam().requestQuit(); }

void TForm23::reject() { close(); }

void TForm23::closeEvent(QCloseEvent* e)
{
    e->accept();
    seam().requestQuit();
}
