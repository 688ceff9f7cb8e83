#pragma once
#include "TForm.h"
#include <memory>

namespace Ui { class TForm29; }

// Closing a month and reopening it: the month, whether it is closed, and the two commands,
// each asked for with the month named.
class TForm29 : public TForm {
    Q_OBJECT
public:
    explicit TForm29(App& app);
    ~TForm29() override;

    // Opens on the month before the working day's, modally.
    void showFor(const QDate& workingDay);
    int month() const;
    int year() const;

public slots:
    void ComboBox1Change();
    void Button1Click();
    void Button2Click();
    void Button3Click();

private:
    void setClosed(bool closing);
    std::unique_ptr<Ui::TForm29> ui;
};
