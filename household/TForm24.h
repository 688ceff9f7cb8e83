#pragma once
#include "TForm.h"
#include <QDate>
#include <memory>

namespace Ui { class TForm24; }
class Query;

// The household work dialog: a new record (Tag 0) or a change of the journal's current
// record (Tag 1) on the journal's date; the worker from the workers list, the group from
// the nomenclature picker, the kind with its norm price.
class TForm24 : public TForm {
    Q_OBJECT
public:
    explicit TForm24(App& app);
    ~TForm24() override;

    int group_id = 0;
    int worker_id = 0;
    Query* type_work;

    // What the journal window hands over: its date and whether "Выходной" is ticked.
    struct Journal {
        QDate day;
        bool holiday = false;
    };
    void prepareNew(const Journal& journal);
    // record: the journal's list standing on the record to change.
    void prepareChange(const Journal& journal, const Query& record);

public slots:
    void Button1Click();
    void Button3Click();
    void Button4Click();
    void cb_type_workChange();
    void Edit3Change();

private:
    void openKinds();
    void selectKind(int kind);
    double price() const;

    std::unique_ptr<Ui::TForm24> ui;
    Journal journal_;
    qint64 record_id_ = 0;
};
