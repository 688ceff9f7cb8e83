// Renders the shift timesheet window and its printed preview on a database to PNG files,
// for a person to look at: timesheet_shots DATABASE SOCKET_DIR OUT_DIR [YYYY-MM-DD]
#include "App.h"
#include "BenchSupport.h"
#include "Program.h"
#include "PwApplication.h"
#include "ScriptedSeam.h"
#include "printing/ReportPreview.h"
#include "timesheets/TForm19.h"
#include <QDate>
#include <QPushButton>
#include <cstdio>

int main(int argc, char** argv)
{
    PwApplication qapp(argc, argv);
    PwApplication::useRussianLocale();
    const Bench::Target target = Bench::target(argc, argv);
    const QString out = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral(".");
    ScriptedSeam seam;
    seam.todayValue = QDate::currentDate();
    const QDate day = argc > 4 ? QDate::fromString(QString::fromLatin1(argv[4]), Qt::ISODate) : seam.todayValue;
    App app(seam, {target.database, target.socketDir}, buildProgram);
    app.start();
    TForm19* f = app.form<TForm19>();
    seam.onModal(QStringLiteral("TForm19"), [&](QDialog* d) {
        QCoreApplication::processEvents();
        d->grab().save(out + QStringLiteral("/TForm19.png"));
        seam.onModal(QStringLiteral("ReportPreview"), [&](QDialog* p) {
            p->setWindowState(Qt::WindowNoState);
            p->resize(1300, 1000);
            QCoreApplication::processEvents();
            p->grab().save(out + QStringLiteral("/TForm19_print.png"));
        });
        f->findChild<QPushButton*>(QStringLiteral("Button6"))->click();
    });
    f->showFor(day);
    std::printf("%s/TForm19.png, %s/TForm19_print.png\n", qPrintable(out), qPrintable(out));
    return 0;
}
