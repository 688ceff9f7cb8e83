#pragma once
#include "Seam.h"
#include <QDialog>

class App;
class Seam;
class TDataModule6;
class QLineEdit;
class QLabel;
class Connection;
class QPushButton;
class Query;
namespace ReportServer { struct Source; }

// Base of every window: its mode (Tag), the way to the application object, and the
// message and question boxes through the seam.
class TForm : public QDialog {
    Q_OBJECT
    Q_PROPERTY(int Tag MEMBER Tag)
public:
    explicit TForm(App& app, QWidget* parent = nullptr);
    int Tag = 0;

protected:
    App& app;
    Seam& seam() const;
    // Connects a signal to a handler of this window (or one written in place) through the
    // one guard of the program (see wire in Seam.h).
    template <class Sender, class Signal, class Owner, class R, class... Args>
    void on(Sender* sender, Signal signal, R (Owner::*handler)(Args...), Qt::ConnectionType type = Qt::AutoConnection)
    {
        wire(seam(), sender, signal, static_cast<Owner*>(this), handler, type);
    }
    template <class Sender, class Signal, class Fn, class = std::enable_if_t<!std::is_member_function_pointer_v<Fn>>>
    void on(Sender* sender, Signal signal, Fn fn, Qt::ConnectionType type = Qt::AutoConnection)
    {
        wireFn(seam(), sender, signal, this, std::move(fn), type);
    }
    TDataModule6& dm() const;
    void error(const QString& text) const;
    bool askDelete(const QString& text) const;
    int showModal(QDialog* window) const;
    // Opens a report's, print's or export's query where reports read (the report server
    // when one is configured, telling once when it fell back to the primary); what it
    // found out about its data.
    ReportServer::Source readForReport(Query& q) const;
    void tellFallback(const ReportServer::Source& source) const;
    // Fixed-size dialog, sized to its contents.
    void fixSize();
    // Dialogs open centred over the main window.
    void showEvent(QShowEvent* event) override;
};

// Shows whether a month is closed: the label says "Месяц закрыт" (or nothing), and the entry
// buttons are disabled with the reason in their tooltip; a button disabled for another
// reason (the role) stays so when the month is open. Returns whether it is closed.
bool showMonthState(Connection& c, int month, int year, QLabel* label, const QVector<QWidget*>& entry);

// Whole-number input: digits only, whether typed or pasted.
void acceptDigitsOnly(QLineEdit* edit);
// Makes a button the dialog's default (Enter) button or not.
void setDefaultButton(QPushButton* button, bool on);

// Hourglass while a handler works; restored however the handler ends.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
};
