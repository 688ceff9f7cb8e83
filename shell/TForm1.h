#pragma once
#include "JournalDesk.h"
#include "TForm.h"
#include <memory>

namespace Ui { class TForm1; }
class Query;
class QueryModel;
class QAction;
class QMenu;
class QMenuBar;
class QTimer;

// The main window: the journal records of one day and shift, the shift buttons, the
// working day with its day-off box, the OK-mark toggle, and the menus to every window.
class TForm1 : public TForm, public JournalDesk {
    Q_OBJECT
    Q_PROPERTY(int cur_smena MEMBER cur_smena)
    Q_PROPERTY(QString login_code MEMBER login_code)
    Q_PROPERTY(int build_date MEMBER build_date)
    Q_PROPERTY(int build_time MEMBER build_time)
public:
    explicit TForm1(App& app);
    ~TForm1() override;

    int cur_smena = 1;
    QString login_code;
    int build_time = 0;
    int build_date = 0;
    Query* cur_query = nullptr;

    QTimer* Timer1;
    QMenuBar* MainMenu;
    QMenu* N11 = nullptr; // "Табель"
    QAction* N12 = nullptr; // "Импорт", hidden
    QAction* N16 = nullptr; // "Структура БД", hidden
    QueryModel* gridModel() const { return model_; }

    // Connection and login; false (with the message shown) when the database is unreachable.
    bool FormCreate();
    // The journal query of cur_smena, which becomes cur_query.
    Query* currentQuery() override;
    Query* shownQuery() const override { return cur_query; }
    // The working day of the date picker, and whether the day-off box is ticked.
    QDate workingDay() const override;
    bool dayOff() const override;
    int shift() const override { return cur_smena; }
    QWidget* deskWindow() override { return this; }
    // The menu "Табель", which only the administrator codes open.
    void setTimesheetMenuEnabled(bool on);

public slots:
    void FormActivate();
    void DateTChange();
    void DateTKeyPress();
    void Button8Click();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void RadioButton4Click();
    void CBox1Click();
    void DBGrid2DblClick();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Timer1Timer();
    void N1Click();
    void N3Click();
    void N4Click();
    void N6Click();
    void N9Click();
    void N13Click();
    void N14Click();
    void N15Click();
    void N17Click();
    void N18Click();
    void N19Click();
    void N20Click();
    void N10Click();
    void N5Click();
    void N12Click();
    void N16Click();
    // The key chord that shows or hides the two maintenance items, for administrators only.
    void MaintenanceChord();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void chooseShift(int shift);
    void openJournal(const QDate& day);
    void openRefBook(class TListForm* window, Query* query);
    void setDayOffFromCalendar(bool off);
    void wire();

    std::unique_ptr<Ui::TForm1> ui;
    QueryModel* model_ = nullptr;
    // The box's tick came from the calendar for the date picked, not from the user's hand.
    bool dayOffByCalendar_ = false;
    bool settingDayOff_ = false;
};
