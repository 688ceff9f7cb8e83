#pragma once
#include "TForm.h"
#include <memory>

namespace Ui { class TForm23; }
class QTimer;

// The login window: checks the program version, takes the login code, switches off
// what the role may not use and shows the main window. Closing it ends the program.
class TForm23 : public TForm {
    Q_OBJECT
public:
    explicit TForm23(App& app);
    ~TForm23() override;

    QTimer* Timer1;

public slots:
    void FormActivate();
    void CheckVersion();
    void Button1Click();
    void Button2Click();
    void Timer1Timer();

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    void switchOffRole(const QString& code);
    std::unique_ptr<Ui::TForm23> ui;
};
