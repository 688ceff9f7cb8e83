#pragma once
#include "TForm.h"
#include <QDate>
#include <memory>

namespace Ui { class TForm25; }
class Query;
class QueryModel;

// The household works of one date: adding, changing and deleting them through the entry
// dialog, and the repricing of the month's average-rate records.
class TForm25 : public TForm {
    Q_OBJECT
public:
    explicit TForm25(App& app);
    ~TForm25() override;

    Query* fatigue;
    // The shift new records are written with.
    int cur_smena = 1;
    QueryModel* gridModel() const { return model_; }

    // The opener's date; the holiday box keeps its state.
    void setJournalDate(const QDate& day);
    QDate journalDate() const;
    bool holiday() const;

public slots:
    void FormActivate();
    void DTPicker1Change();
    void CBox1Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();

private:
    void reopenAt(int recNo);

    std::unique_ptr<Ui::TForm25> ui;
    QueryModel* model_ = nullptr;
};
