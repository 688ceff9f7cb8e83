#include "Table.h"
#include <QDate>
#include <QDateTime>
#include <algorithm>
#include <cstring>

namespace {
constexpr qint64 kMsPerDay = 86400000;

QMetaType typeOf(Table::Kind k)
{
    switch (k) {
    case Table::Kind::Integer: return QMetaType::fromType<qlonglong>();
    case Table::Kind::Double: return QMetaType::fromType<double>();
    case Table::Kind::Date: return QMetaType::fromType<QDate>();
    case Table::Kind::Timestamp: return QMetaType::fromType<QDateTime>();
    case Table::Kind::Text: break;
    }
    return QMetaType::fromType<QString>();
}
} // namespace

void Table::addColumn(Kind kind)
{
    kinds_.push_back(kind);
    for (Part& p : parts_) {
        Column c;
        c.kind = kind;
        p.columns.push_back(std::move(c));
    }
}

void Table::startOver(const std::vector<Kind>& kinds)
{
    if (kinds != kinds_ || parts_.size() != 1) {
        *this = Table();
        for (Kind k : kinds)
            addColumn(k);
        return;
    }
    edits_.clear();
    rows_ = 0;
    parts_.front().rows = 0;
    for (Column& c : parts_.front().columns) {
        c.null.clear();
        c.numbers.clear();
        c.reals.clear();
        c.chars.clear();
        c.ends.clear();
    }
}

const Table::Part& Table::find(int row, int& at) const
{
    const size_t i = size_t(std::upper_bound(starts_.begin(), starts_.end(), row) - starts_.begin()) - 1;
    at = row - starts_[i];
    return parts_[i];
}

bool Table::isNull(int row, int column) const
{
    if (!edits_.isEmpty()) {
        auto it = edits_.constFind(cell(row, column));
        if (it != edits_.constEnd())
            return it->isNull();
    }
    int at;
    return part(row, at).columns[size_t(column)].null[size_t(at)] != 0;
}

QByteArrayView Table::utf8(int row, int column) const
{
    int at;
    const Column& c = part(row, at).columns[size_t(column)];
    const qsizetype begin = at > 0 ? c.ends[size_t(at) - 1] : 0;
    return QByteArrayView(c.chars.data() + begin, c.ends[size_t(at)] - begin);
}

QVariant Table::value(int row, int column) const
{
    if (!edits_.isEmpty()) {
        auto it = edits_.constFind(cell(row, column));
        if (it != edits_.constEnd())
            return *it;
    }
    return stored(row, column);
}

QVariant Table::stored(int row, int column) const
{
    int at;
    const Column& c = part(row, at).columns[size_t(column)];
    if (c.null[size_t(at)])
        return QVariant(typeOf(c.kind));
    switch (c.kind) {
    case Kind::Integer:
        return QVariant(qlonglong(c.numbers[size_t(at)]));
    case Kind::Double:
        return QVariant(c.reals[size_t(at)]);
    case Kind::Date:
        return QVariant(QDate::fromJulianDay(c.numbers[size_t(at)]));
    case Kind::Timestamp: {
        const qint64 v = c.numbers[size_t(at)];
        return QVariant(QDateTime(QDate::fromJulianDay(v / kMsPerDay), QTime::fromMSecsSinceStartOfDay(int(v % kMsPerDay))));
    }
    case Kind::Text:
        break;
    }
    return QVariant(text(row, column));
}

qint64 Table::dateNumber(int year, int month, int day) { return QDate(year, month, day).toJulianDay(); }

qint64 Table::timestampNumber(int year, int month, int day, int h, int m, int s, int ms)
{
    return dateNumber(year, month, day) * kMsPerDay + QTime(h, m, s, ms).msecsSinceStartOfDay();
}

void Table::appendNumbers(int column, const qint64* values, const unsigned char* null, int count)
{
    Column& c = filling(column);
    c.null.insert(c.null.end(), null, null + count);
    c.numbers.insert(c.numbers.end(), values, values + count);
}

void Table::appendReals(int column, const double* values, const unsigned char* null, int count)
{
    Column& c = filling(column);
    c.null.insert(c.null.end(), null, null + count);
    c.reals.insert(c.reals.end(), values, values + count);
}

void Table::appendTexts(int column, const char* block, qsizetype stride, const qsizetype* size, int count)
{
    Column& c = filling(column);
    qsizetype bytes = 0;
    for (int i = 0; i < count; ++i)
        bytes += std::max<qsizetype>(size[i], 0);
    size_t at = c.chars.size();
    c.chars.resize(at + size_t(bytes));
    const size_t rows = c.ends.size();
    c.ends.resize(rows + size_t(count));
    c.null.resize(rows + size_t(count));
    for (int i = 0; i < count; ++i) {
        if (size[i] > 0) {
            std::memcpy(c.chars.data() + at, block + i * stride, size_t(size[i]));
            at += size_t(size[i]);
        }
        c.ends[rows + size_t(i)] = qsizetype(at);
        c.null[rows + size_t(i)] = size[i] < 0;
    }
}

void Table::reserve(int rows, qsizetype textBytes)
{
    Part& p = parts_.back();
    const size_t total = size_t(p.rows) + size_t(rows);
    for (Column& c : p.columns) {
        c.null.reserve(total);
        if (c.kind == Kind::Text) {
            c.ends.reserve(total);
            const qsizetype perRow = p.rows > 0 ? qsizetype(c.chars.size()) / p.rows + 1 : textBytes;
            c.chars.reserve(c.chars.size() + size_t(perRow) * size_t(rows));
        } else if (c.kind == Kind::Double) {
            c.reals.reserve(total);
        } else {
            c.numbers.reserve(total);
        }
    }
}

void Table::append(Table&& more)
{
    for (auto it = more.edits_.cbegin(); it != more.edits_.cend(); ++it)
        edits_.insert(cell(int(it.key() >> 16) + rows_, int(it.key() & 0xffff)), it.value());
    for (Part& p : more.parts_) {
        if (p.rows == 0)
            continue;
        if (parts_.back().rows == 0) {
            parts_.back() = std::move(p);
        } else {
            starts_.push_back(rows_);
            parts_.push_back(std::move(p));
        }
        rows_ += parts_.back().rows;
    }
    more = Table();
}

void Table::appendEmptyRow()
{
    const unsigned char null = 1;
    const qint64 zero = 0;
    const double none = 0;
    const qsizetype noText = -1;
    for (int i = 0; i < columnCount(); ++i) {
        if (kind(i) == Kind::Text)
            appendTexts(i, nullptr, 0, &noText, 1);
        else if (kind(i) == Kind::Double)
            appendReals(i, &none, &null, 1);
        else
            appendNumbers(i, &zero, &null, 1);
    }
    endRows(1);
}

void Table::removeLastRow()
{
    if (rows_ == 0)
        return;
    --rows_;
    --parts_.back().rows;
    for (int i = 0; i < columnCount(); ++i) {
        edits_.remove(cell(rows_, i));
        Column& c = filling(i);
        c.null.pop_back();
        if (c.kind == Kind::Text) {
            c.ends.pop_back();
            c.chars.resize(size_t(c.ends.empty() ? 0 : c.ends.back()));
        } else if (c.kind == Kind::Double) {
            c.reals.pop_back();
        } else {
            c.numbers.pop_back();
        }
    }
    if (parts_.back().rows == 0 && parts_.size() > 1) {
        parts_.pop_back();
        starts_.pop_back();
    }
}

void Table::set(int row, int column, const QVariant& v) { edits_.insert(cell(row, column), v); }

qsizetype Table::bytes() const
{
    qsizetype n = 0;
    for (const Part& p : parts_)
        for (const Column& c : p.columns)
            n += qsizetype(c.null.size() + c.numbers.size() * 8 + c.reals.size() * 8 + c.chars.size()
                           + c.ends.size() * sizeof(qsizetype));
    return n;
}
