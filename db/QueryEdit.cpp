// Row editing of a client-side query: the edits become one insert, update or delete of
// the table's row, keyed by its id column; the database assigns the id of a new row.
#include "Connection.h"
#include "DbError.h"
#include "Query.h"
#include "SqlText.h"

void Query::setTable(const QString& table, const QString& key)
{
    table_ = table;
    key_ = key.toLower();
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
    const Editing was = editing_;
    if (was == Editing::Appending) {
        const QString text = QStringLiteral("insert into %1(%2) values(%3) returning %4")
                                 .arg(table_, columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")), key_);
        const OdbcReader::Result r = connection().select(text);
        if (!r.rows.isEmpty() && keyCol >= 0)
            data_.set(row, keyCol, r.rows.first().value(0));
    } else {
        const QString text = QStringLiteral("update %1 set %2 where %3=%4")
                                 .arg(table_, sets.join(QStringLiteral(", ")), key_, SqlText::literal(data_.value(row, keyCol)));
        connection().execute(text);
    }
    for (auto it = changed_.cbegin(); it != changed_.cend(); ++it)
        data_.set(row, it.key(), it.value());
    changed_.clear();
    editing_ = Editing::None;
    emit rowChanged(cur_);
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
    connection().execute(QStringLiteral("delete from %1 where %2=%3").arg(table_, key_, SqlText::literal(data_.value(row, keyCol))));
    editing_ = Editing::None;
    changed_.clear();
    visible_.remove(cur_);
    if (cur_ >= visible_.size())
        cur_ = std::max(0, int(visible_.size()) - 1);
    emit reset();
    announceCurrent();
}
