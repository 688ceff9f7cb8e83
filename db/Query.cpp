#include "Query.h"
#include "Connection.h"
#include "DbError.h"
#include "Filter.h"
#include "ReadAhead.h"
#include "SqlText.h"
#include <QCollator>
#include <algorithm>
#include <cmath>

Statement::Statement(Connection& c, const QString& name, QObject* parent) : QObject(parent), c_(c)
{
    setObjectName(name);
}

QString Statement::boundSql() const { return SqlText::bind(sql_, params_); }

void Command::execute() { connection().execute(boundSql()); }

Query::Query(Connection& c, const QString& name, QObject* parent) : Statement(c, name, parent) {}
Query::~Query() = default;

void Query::open()
{
    if (open_)
        return;
    OdbcReader::Result r = plannedEachTime_ ? connection().selectTable(boundSql(), {}, &spare_)
                                            : connection().selectTable(sql(), params(), &spare_);
    editing_ = Editing::None;
    changed_.clear();
    unsettled_.reset();
    filterFn_.reset();
    readingFailed_ = false;
    take(std::move(r));
}

void Query::openReading(std::unique_ptr<ReadAhead> reader)
{
    close();
    readingFailed_ = false;
    reader_ = std::move(reader);
    editing_ = Editing::None;
    changed_.clear();
    filterFn_.reset();
    fetchMore(true);
}

bool Query::fetchMore(bool wait)
{
    if (!reader_)
        return false;
    bool any = false;
    OdbcReader::Result r;
    try {
        while (reader_->next(r, wait && !any)) {
            take(std::move(r));
            any = true;
        }
    } catch (const DbError&) {
        reader_.reset();
        readingFailed_ = true;
        if (!open_)
            throw;
        applyView(currentRow());
        throw;
    }
    if (reader_->finished()) {
        reader_.reset();
        // A sort, if any, waits for the last row.
        if (fieldIndex(sortField_) >= 0)
            applyView(currentRow());
    }
    return any;
}

void Query::take(OdbcReader::Result&& r)
{
    if (!open_) {
        fields_ = std::move(r.fields);
        numeric_ = std::move(r.numeric);
        index_.clear();
        for (int i = 0; i < fields_.size(); ++i)
            if (!index_.contains(fields_[i]))
                index_.insert(fields_[i], i);
        data_ = std::move(r.table);
        open_ = true;
        applyView();
        return;
    }
    const int from = data_.rowCount();
    data_.append(std::move(r.table));
    if (filtered_ && !filterText_.isEmpty() && !filterFn_)
        filterFn_ = std::make_unique<Filter>(filterText_, [this](const QString& f) { return fieldIndex(f); });
    const bool filtering = filtered_ && !filterText_.isEmpty();
    for (int i = from; i < data_.rowCount(); ++i)
        if (!filtering || filterFn_->accepts(data_, i))
            visible_.push_back(i);
}

void Query::close()
{
    reader_.reset();
    if (!open_)
        return;
    open_ = false;
    // A query reopened (a journal, a list) fills the memory it had: new memory costs the
    // system's time at every page. A year's report gives its memory back.
    constexpr qsizetype kKept = qsizetype(8) << 20;
    spare_ = data_.bytes() <= kKept ? std::move(data_) : Table();
    data_ = Table();
    visible_.clear();
    editing_ = Editing::None;
    changed_.clear();
    unsettled_.reset();
    cur_ = 0;
    eof_ = bof_ = false;
    emit reset();
}

void Query::applyView(int keepRow)
{
    visible_.clear();
    if (filtered_ && !filterText_.isEmpty() && open_) {
        if (!filterFn_)
            filterFn_ = std::make_unique<Filter>(filterText_, [this](const QString& f) { return fieldIndex(f); });
        for (int i = 0; i < data_.rowCount(); ++i)
            if (filterFn_->accepts(data_, i))
                visible_.push_back(i);
    } else {
        visible_.resize(data_.rowCount());
        std::iota(visible_.begin(), visible_.end(), 0);
    }
    const int col = fieldIndex(sortField_);
    if (col >= 0 && !reader_)
        sortVisible(col);
    cur_ = 0;
    if (keepRow >= 0) {
        const int at = visible_.indexOf(keepRow);
        if (at >= 0)
            cur_ = at;
    }
    eof_ = bof_ = false;
    emit reset();
    announceCurrent();
}

// Each shown row's value is made once, not at every comparison.
void Query::sortVisible(int col)
{
    std::vector<QVariant> keys(size_t(data_.rowCount()));
    for (int row : visible_)
        keys[size_t(row)] = data_.value(row, col);
    QCollator coll(QLocale(QLocale::Russian));
    std::stable_sort(visible_.begin(), visible_.end(), [&](int a, int b) {
        const QVariant& x = keys[size_t(a)];
        const QVariant& y = keys[size_t(b)];
        if (x.typeId() == QMetaType::QString)
            return coll.compare(x.toString(), y.toString()) < 0;
        return QVariant::compare(x, y) == QPartialOrdering::Less;
    });
}

void Query::setFilter(const QString& expression)
{
    if (expression == filterText_)
        return;
    // Parse before taking it, so that a bad expression leaves the list as it was.
    std::unique_ptr<Filter> f;
    if (open_ && !expression.isEmpty())
        f = std::make_unique<Filter>(expression, [this](const QString& n) { return fieldIndex(n); });
    filterText_ = expression;
    filterFn_ = std::move(f);
    if (filtered_ && open_)
        applyView();
}

void Query::setFiltered(bool on)
{
    if (on == filtered_)
        return;
    if (on && open_ && !filterText_.isEmpty() && !filterFn_)
        filterFn_ = std::make_unique<Filter>(filterText_, [this](const QString& n) { return fieldIndex(n); });
    filtered_ = on;
    // Switching the filter off keeps the record the user stands on.
    if (open_)
        applyView(on ? -1 : currentRow());
}

void Query::setSort(const QString& field)
{
    sortField_ = field;
    if (open_)
        applyView(currentRow());
}

void Query::enableControls()
{
    if (controlsOff_ > 0 && --controlsOff_ == 0)
        announceCurrent();
}

void Query::announceCurrent()
{
    if (controlsOff_ == 0)
        emit currentChanged(recNo());
}

void Query::moveTo(int pos)
{
    if (isEditing())
        post();
    cur_ = std::clamp(pos, 0, std::max(0, int(visible_.size()) - 1));
    eof_ = bof_ = false;
    announceCurrent();
}

void Query::setRecNo(int recNo) { moveTo(recNo - 1); }

void Query::next()
{
    if (isEditing())
        post();
    bof_ = false;
    if (cur_ + 1 < visible_.size()) {
        ++cur_;
        eof_ = false;
        announceCurrent();
    } else {
        eof_ = true;
    }
}

void Query::prior()
{
    if (isEditing())
        post();
    eof_ = false;
    if (cur_ > 0) {
        --cur_;
        bof_ = false;
        announceCurrent();
    } else {
        bof_ = true;
    }
}

bool Query::locate(const QString& field, const QVariant& value)
{
    const int col = fieldIndex(field);
    if (col < 0)
        return false;
    const QString wanted = toText(value).trimmed();
    for (int i = 0; i < visible_.size(); ++i) {
        if (toText(data_.value(visible_[i], col)).trimmed() == wanted) {
            moveTo(i);
            return true;
        }
    }
    return false;
}

int Query::currentRow() const
{
    if (cur_ < 0 || cur_ >= visible_.size())
        return -1;
    return visible_[cur_];
}

QVariant Query::value(const QString& field) const
{
    const int col = fieldIndex(field);
    if (col < 0) {
        if (!open_)
            throw DbError(QStringLiteral("%1: набор данных закрыт").arg(objectName()));
        throw DbError(QStringLiteral("%1: поле '%2' не найдено").arg(objectName(), field));
    }
    if (changed_.contains(col))
        return changed_.value(col);
    const int row = currentRow();
    return row < 0 ? QVariant() : data_.value(row, col);
}

QVariant Query::valueAt(int row, int column) const
{
    if (row < 0 || row >= visible_.size() || column < 0 || column >= fields_.size())
        return {};
    if (row == cur_ && changed_.contains(column))
        return changed_.value(column);
    return data_.value(visible_[row], column);
}

QDateTime Query::asDateTime(const QString& field) const
{
    const QVariant v = value(field);
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().startOfDay();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    const QString s = v.toString().trimmed();
    QDateTime d = QDateTime::fromString(s, Qt::ISODate);
    if (!d.isValid())
        d = QDate::fromString(s, QStringLiteral("d.M.yyyy")).startOfDay();
    return d;
}

qint64 Query::toInteger(const QVariant& v)
{
    if (v.isNull())
        return 0;
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return std::llround(v.toDouble());
    case QMetaType::QString: {
        const QString s = v.toString().trimmed();
        bool ok = false;
        const qint64 i = s.toLongLong(&ok);
        if (ok)
            return i;
        const double d = s.toDouble(&ok);
        if (ok)
            return std::llround(d);
        if (s.isEmpty())
            return 0;
        throw DbError(QStringLiteral("'%1' не является целым числом").arg(s));
    }
    default:
        return v.toLongLong();
    }
}

double Query::toFloat(const QVariant& v)
{
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed();
        bool ok = false;
        const double d = s.toDouble(&ok);
        if (!ok && !s.isEmpty())
            throw DbError(QStringLiteral("'%1' не является числом").arg(s));
        return d;
    }
    return v.toDouble();
}

QString Query::toText(const QVariant& v)
{
    if (v.isNull())
        return {};
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime: {
        const QDateTime d = v.toDateTime();
        return d.time() == QTime(0, 0) ? d.toString(QStringLiteral("dd.MM.yyyy"))
                                       : d.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return SqlText::num(v.toDouble());
    default:
        return v.toString();
    }
}
