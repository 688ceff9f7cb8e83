// Row editing of a client-side query: the edits become one insert, update or delete of
// the table's row, keyed by its id column, each in a transaction of its own; the database
// assigns the id of a new row.
#include "Connection.h"
#include "DbError.h"
#include "Locks.h"
#include "Query.h"
#include "SqlText.h"
#include "Transaction.h"

void Query::setTable(const QString& table, const QString& key)
{
    table_ = table;
    key_ = key.toLower();
}

void Query::setReference(const QString& field, Locks::Table table, const QString& goneMessage)
{
    reference_ = Reference{field.toLower(), table, goneMessage};
}

void Query::append()
{
    if (table_.isEmpty() || !isOpen())
        throw DbError(QStringLiteral("%1: набор данных не редактируется").arg(objectName()));
    if (isEditing())
        post();
    data_.appendEmptyRow();
    visible_.push_back(data_.rowCount() - 1);
    cur_ = visible_.size() - 1;
    editing_ = Editing::Appending;
    changed_.clear();
    emit reset();
    announceCurrent();
}

void Query::edit()
{
    if (table_.isEmpty() || !isOpen() || currentRow() < 0)
        throw DbError(QStringLiteral("%1: нет записи для изменения").arg(objectName()));
    if (editing_ == Editing::None)
        editing_ = Editing::Editing;
}

void Query::setValue(const QString& field, const QVariant& value)
{
    const int col = fieldIndex(field);
    if (col < 0)
        throw DbError(QStringLiteral("%1: поле '%2' не найдено").arg(objectName(), field));
    if (editing_ == Editing::None)
        edit();
    changed_[col] = value;
    emit rowChanged(cur_);
}

void Query::cancel()
{
    if (editing_ == Editing::Appending) {
        unsettled_.reset();
        data_.removeLastRow();
        visible_.removeLast();
        cur_ = std::max(0, int(visible_.size()) - 1);
        editing_ = Editing::None;
        changed_.clear();
        emit reset();
        announceCurrent();
        return;
    }
    editing_ = Editing::None;
    changed_.clear();
    emit rowChanged(cur_);
}

void Query::post()
{
    if (editing_ == Editing::None)
        return;
    const int row = currentRow();
    const int keyCol = fieldIndex(key_);
    if (changed_.isEmpty()) {
        cancel();
        return;
    }
    QStringList columns, values, sets;
    for (auto it = changed_.cbegin(); it != changed_.cend(); ++it) {
        columns << fields_[it.key()];
        values << SqlText::literal(it.value());
        sets << fields_[it.key()] + QLatin1Char('=') + SqlText::literal(it.value());
    }
    // A last try that may have stored the row: what was typed since goes in as a change.
    if (editing_ == Editing::Appending && unsettled_ && lastTryStored(row, keyCol))
        editing_ = Editing::Editing;
    if (editing_ == Editing::Appending)
        insertRow(row, keyCol, columns, values);
    else
        updateRow(row, keyCol, sets);
    for (auto it = changed_.cbegin(); it != changed_.cend(); ++it)
        data_.set(row, it.key(), it.value());
    changed_.clear();
    editing_ = Editing::None;
    emit rowChanged(cur_);
}

void Query::insertRow(int row, int keyCol, const QStringList& columns, const QStringList& values)
{
    QVariant key;
    {
        Transaction t(connection());
        holdReference();
        const OdbcReader::Result r =
            connection().select(QStringLiteral("insert into %1(%2) values(%3) returning %4, txid_current()")
                                    .arg(table_, columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")), key_));
        key = r.rows.value(0).value(0);
        // Until COMMIT is answered: should its fate stay unknown, the next try asks first.
        unsettled_ = Unsettled{r.rows.value(0).value(1).toString(), key};
    }
    unsettled_.reset();
    if (keyCol >= 0)
        data_.set(row, keyCol, key);
}

void Query::updateRow(int row, int keyCol, const QStringList& sets)
{
    Transaction t(connection());
    holdReference();
    connection().execute(QStringLiteral("update %1 set %2 where %3=%4")
                             .arg(table_, sets.join(QStringLiteral(", ")), key_, SqlText::literal(data_.value(row, keyCol))));
}

void Query::holdReference()
{
    if (!reference_)
        return;
    const QVariant id = value(reference_->field);
    if (id.isNull())
        return;
    const QString condition = QStringLiteral("id=") + SqlText::num(toInteger(id));
    if (Locks::rows(connection(), reference_->table, condition, Locks::RowMode::KeyShare).rows.isEmpty())
        throw DbError(reference_->gone);
}

// What became of the last try's transaction, asked on the session now open: true when it
// stored the row, which takes its key; false when it did not. Not known yet: an error.
bool Query::lastTryStored(int row, int keyCol)
{
    const QString status = connection()
                               .select(QStringLiteral("select txid_status(%1)").arg(unsettled_->transaction))
                               .rows.value(0)
                               .value(0)
                               .toString();
    if (status == QLatin1String("aborted")) {
        unsettled_.reset();
        return false;
    }
    if (status != QLatin1String("committed"))
        throw DbError(QStringLiteral("Сервер ещё не закончил прежнюю попытку сохранить строку: повторите позже."));
    if (keyCol >= 0)
        data_.set(row, keyCol, unsettled_->key);
    unsettled_.reset();
    return true;
}

void Query::deleteCurrent()
{
    if (editing_ == Editing::Appending) {
        cancel();
        return;
    }
    const int row = currentRow();
    const int keyCol = fieldIndex(key_);
    if (table_.isEmpty() || row < 0 || keyCol < 0)
        throw DbError(QStringLiteral("%1: нет записи для удаления").arg(objectName()));
    {
        // One statement, in a transaction all the same: a lost answer is looked up.
        Transaction t(connection());
        connection().execute(
            QStringLiteral("delete from %1 where %2=%3").arg(table_, key_, SqlText::literal(data_.value(row, keyCol))));
    }
    editing_ = Editing::None;
    changed_.clear();
    visible_.remove(cur_);
    if (cur_ >= visible_.size())
        cur_ = std::max(0, int(visible_.size()) - 1);
    emit reset();
    announceCurrent();
}
