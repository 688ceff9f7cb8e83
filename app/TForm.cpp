#include "TForm.h"
#include "App.h"
#include "Seam.h"
#include "Query.h"
#include "ReportServer.h"
#include "TDataModule6.h"
#include "timesheets/rules/MonthClose.h"
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

TForm::TForm(App& a, QWidget* parent) : QDialog(parent), app(a)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
}

Seam& TForm::seam() const { return app.seam(); }
TDataModule6& TForm::dm() const { return *app.DataModule6(); }

void TForm::error(const QString& text) const { seam().message(QMessageBox::Critical, QStringLiteral("Ошибка"), text); }

bool TForm::askDelete(const QString& text) const { return seam().question(QStringLiteral("Удаление"), text); }

int TForm::showModal(QDialog* window) const { return seam().showModal(window); }

ReportServer::Source TForm::readForReport(Query& q) const
{
    if (!ReportServer::configured()) {
        q.open();
        return {};
    }
    const ReportServer::Source source = ReportServer::open(q);
    tellFallback(source);
    return source;
}

void TForm::tellFallback(const ReportServer::Source& source) const
{
    const QString notice = ReportServer::fallbackNotice(source);
    if (!notice.isEmpty())
        seam().message(QMessageBox::Information, QStringLiteral("Отчёты"), notice);
}

void TForm::fixSize()
{
    adjustSize();
    setFixedSize(size());
}

void TForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    QWidget* main = app.mainWindow();
    if (main && main != this && main->isVisible())
        move(main->frameGeometry().center() - rect().center());
}

void acceptDigitsOnly(QLineEdit* edit)
{
    static const QRegularExpression digits(QStringLiteral("[0-9]*"));
    edit->setValidator(new QRegularExpressionValidator(digits, edit));
}

void setDefaultButton(QPushButton* button, bool on)
{
    button->setAutoDefault(on);
    button->setDefault(on);
}

BusyCursor::BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }

bool showMonthState(Connection& c, int month, int year, QLabel* label, const QVector<QWidget*>& entry)
{
    const bool closed = MonthClose::isClosed(c, month, year);
    if (label)
        label->setText(closed ? QStringLiteral("Месяц закрыт") : QString());
    const char* const mark = "pwClosedMonth";
    for (QWidget* w : entry) {
        if (closed && w->isEnabled()) {
            w->setEnabled(false);
            w->setProperty(mark, true);
            w->setToolTip(QStringLiteral("Месяц %1 закрыт: его записи не изменяются.").arg(MonthClose::monthText(month, year)));
        } else if (!closed && w->property(mark).toBool()) {
            w->setEnabled(true);
            w->setProperty(mark, false);
            w->setToolTip(QString());
        } else if (closed && w->property(mark).toBool()) {
            w->setToolTip(QStringLiteral("Месяц %1 закрыт: его записи не изменяются.").arg(MonthClose::monthText(month, year)));
        }
    }
    return closed;
}
