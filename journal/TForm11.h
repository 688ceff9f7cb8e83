#pragma once
#include "TForm.h"
#include "journal/rules/EntryRules.h"
#include "journal/rules/TypedChoice.h"
#include <memory>
#include <optional>

namespace Ui { class TForm11; }
class Query;
class QDate;
class QLineEdit;

// The journal entry dialog: a new record (Tag 1) or a change of the main window's
// current record (Tag 2). The worker and operation pickers write their choice into the
// members below by name.
//
// "Серия" (new records): a paper list line after line from the keyboard. The worker and the
// operation are typed (found in a list beside the fields, narrowed as they are typed), Enter
// goes to the next field and saves on the last; a saved line starts the next one with the
// date, the shift and the worker kept.
class TForm11 : public TForm {
    Q_OBJECT
    Q_PROPERTY(int worker_id MEMBER worker_id)
    Q_PROPERTY(int oper_id MEMBER oper_id)
    Q_PROPERTY(int item_id MEMBER item_id)
    Q_PROPERTY(double final_price MEMBER final_price)
public:
    explicit TForm11(App& app);
    ~TForm11() override;

    int worker_id = 0;
    int oper_id = 0;
    int item_id = 0;
    double final_price = 0;

    // Before a showing for a new record on the working day.
    void prepareNew(const QDate& day);
    // Before a showing for a change of the record the query stands on.
    void prepareChange(const Query& record);
    bool series() const;

public slots:
    void FormActivate();
    void Button1Click();
    void Button3Click();
    void Button4Click();
    void Edit6Exit();
    void CheckBox1Click();
    // Prices the operation the current row of Oper stands on (the operation picker's choice).
    void takeOperation();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setColourEnabled(bool on);
    void showPrices();
    // The record the fields give, or nothing when a check refused it (said, and the
    // focus on the field to put right).
    std::optional<EntryRules::Record> gather();
    void refuse(QWidget* field, const QString& message);
    void moveTo(QWidget* field);

    // The series.
    void applySeries();
    void loadChoices();
    void showChoices(QLineEdit* field);
    void moveChoice(int step);
    bool takeTyped(QLineEdit* field);
    bool takeOperationId(qint64 id);
    void enterPressed(QObject* field);
    void startNextLine();

    std::unique_ptr<Ui::TForm11> ui;
    QVector<TypedChoice::Worker> workers_;
    QVector<TypedChoice::Operation> opers_;
    QVector<int> shown_; // the list's rows, as indexes into workers_ or opers_
    QLineEdit* choicesFor_ = nullptr;
    bool workerTyped_ = false; // typed since the last choice
    bool operTyped_ = false;
};
