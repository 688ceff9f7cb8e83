#include "JournalActions.h"
#include "App.h"
#include "Query.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "JournalDesk.h"
#include "TForm11.h"
#include "app/rules/Messages.h"
#include "journal/rules/JournalRecords.h"

namespace JournalActions {

void addRecord(App& app)
{
    app.desk()->currentQuery();
    TForm11* f11 = app.form<TForm11>();
    f11->prepareNew(app.desk()->workingDay());
    app.seam().showModal(f11);
}

void changeRecord(App& app)
{
    Query* list = app.desk()->currentQuery();
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
    Query* list = app.desk()->currentQuery();
    const QString id = list->asString(QStringLiteral("id")).trimmed();
    if (id.isEmpty())
        return;
    if (app.seam().question(QStringLiteral("Удаление"), QStringLiteral("Удалить позицию из списка?"))) {
        // The cell to recompute is where the record stood in the database, whatever the
        // list showed: another client may have moved it meanwhile.
        const JournalRecords::Removed r = JournalRecords::remove(app.DataModule6()->ADO_DB, list->asInteger(QStringLiteral("id")));
        if (!r.found)
            app.seam().message(QMessageBox::Critical, QStringLiteral("Ошибка"), QString::fromUtf8(Messages::Gone));
    }
    list->reopen();
}

} // namespace JournalActions
