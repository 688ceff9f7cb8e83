#include "JournalActions.h"
#include "App.h"
#include "Query.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TForm11.h"
#include "Transaction.h"
#include "journal/rules/DayCells.h"
#include <QDateEdit>

namespace JournalActions {

static QDate workingDay(App& app) { return app.Form1()->findChild<QDateEdit*>(QStringLiteral("DateT"))->date(); }

void addRecord(App& app)
{
    app.Form1()->currentQuery();
    TForm11* f11 = app.form<TForm11>();
    f11->prepareNew(workingDay(app));
    app.seam().showModal(f11);
}

void changeRecord(App& app)
{
    Query* list = app.Form1()->currentQuery();
    const int recNo = list->recNo();
    if (list->isEmpty())
        return;
    TForm11* f11 = app.form<TForm11>();
    f11->prepareChange(*list);
    app.seam().showModal(f11);
    list->setRecNo(recNo);
}

void deleteRecord(App& app)
{
    TForm1* f1 = app.Form1();
    TDataModule6& dm = *app.DataModule6();
    Query* list = f1->currentQuery();
    const QString id = list->asString(QStringLiteral("id")).trimmed();
    if (id.isEmpty())
        return;
    dm.DelSmena->setSql(DayCells::deleteRecordStatement(id));
    if (!app.seam().question(QStringLiteral("Удаление"), QStringLiteral("Удалить позицию из списка?"))) {
        list->reopen();
        return;
    }
    const qint64 worker = list->asInteger(QStringLiteral("w_id"));
    // The record's own day; it is the working day unless the date field was edited
    // without the list following it.
    QDate day = list->asDateTime(QStringLiteral("data")).date();
    if (!day.isValid())
        day = workingDay(app);
    {
        // The record goes and its day cell follows, or neither happens.
        Transaction t(dm.ADO_DB);
        dm.DelSmena->execute();
        DayCells::refreshAfterDelete(dm.ADO_DB, worker, f1->cur_smena, day);
    }
    list->reopen();
}

} // namespace JournalActions
