#include "Workbook.h"
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <xlsxwriter.h>

namespace {
const QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
}

Workbook::Workbook(const QString& path) : path_(path)
{
    // The file is made at once: a folder that cannot be written shows now, not at the end,
    // and the name is taken from any other export. Wages are for their owner's eyes: the
    // file is readable by the user alone from its first moment.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly))
        return;
    file.close();
    book_ = workbook_new(QFile::encodeName(path).constData());
    if (book_)
        sheet_ = workbook_add_worksheet(book_, "Лист1");
}

Workbook::~Workbook()
{
    if (book_) {
        // Not finished: nothing half-written is left behind under the name.
        workbook_close(book_);
        QFile::remove(path_);
    }
}

bool Workbook::number(const QString& text, double& value)
{
    static const QRegularExpression form(QStringLiteral(R"(^\s*-?\d+(?:[.,]\d+)?\s*$)"));
    if (!form.match(text).hasMatch())
        return false;
    bool ok = false;
    value = QLocale::c().toDouble(QString(text).replace(QLatin1Char(','), QLatin1Char('.')).trimmed(), &ok);
    return ok;
}

lxw_format* Workbook::format(const Style& s)
{
    const int key = (s.text ? 1 : 0) | (s.bold ? 2 : 0);
    if (key == 0)
        return nullptr;
    if (lxw_format* f = formats_.value(key))
        return f;
    lxw_format* f = workbook_add_format(book_);
    if (s.text)
        format_set_num_format(f, "@");
    if (s.bold)
        format_set_bold(f);
    formats_.insert(key, f);
    return f;
}

bool Workbook::write(int row, int column, const QString& text, const Style& style)
{
    if (text.isEmpty())
        return true;
    if (!sheet_)
        return false;
    double value = 0;
    lxw_error e;
    if (!style.text && number(text, value))
        e = worksheet_write_number(sheet_, row, lxw_col_t(column), value, format(style));
    else
        e = worksheet_write_string(sheet_, row, lxw_col_t(column), text.toUtf8().constData(), format(style));
    if (style.autofit)
        widths_[column] = std::max(widths_.value(column), int(text.size()));
    return e == LXW_NO_ERROR;
}

bool Workbook::finish()
{
    if (!book_)
        return false;
    for (auto it = widths_.cbegin(); it != widths_.cend(); ++it)
        worksheet_set_column(sheet_, lxw_col_t(it.key()), lxw_col_t(it.key()), it.value() * 1.15 + 2, nullptr);
    const lxw_error e = workbook_close(book_);
    book_ = nullptr;
    sheet_ = nullptr;
    // However the library wrote the file, it stays the user's alone.
    return e == LXW_NO_ERROR && QFile::setPermissions(path_, kOwnerOnly);
}
