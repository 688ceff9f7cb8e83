#include "Excel.h"
#include "Seam.h"
#include "Workbook.h"
#include <QDir>
#include <QFileInfo>

namespace {
const QString kTitle = QStringLiteral("Ошибка");
}

Excel::Excel(Seam& seam, const QString& name) : seam_(seam), name_(name) {}
Excel::~Excel() = default;

// The export's name, and a number after it when a file of that name is there already.
QString Excel::freePath() const
{
    const QString folder = seam_.exportFolder();
    if (folder.isEmpty())
        return {};
    const QDir dir(folder);
    QString base = name_;
    base.replace(QLatin1Char('/'), QLatin1Char('-'));
    QString path = dir.filePath(base + QStringLiteral(".xlsx"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1 (%2).xlsx").arg(base).arg(n));
    return path;
}

int Excel::OpenExcel(const QString&)
{
    path_ = freePath();
    book_ = std::make_unique<Workbook>(path_);
    if (!book_->ok()) {
        book_.reset();
        seam_.message(QMessageBox::Critical, kTitle,
                      QStringLiteral("Ошибка открытия файла Microsoft Excel.\nНе удалось создать файл %1").arg(path_));
        return -1;
    }
    return 1;
}

int Excel::ShowExcel(bool visible)
{
    if (!visible || !book_)
        return 1;
    const bool written = book_->finish();
    book_.reset();
    if (!written)
        seam_.message(QMessageBox::Critical, kTitle,
                      QStringLiteral("Ошибка открытия файла Microsoft Excel.\nНе удалось записать файл %1").arg(path_));
    else if (!seam_.openDocument(path_))
        seam_.message(QMessageBox::Critical, kTitle,
                      QStringLiteral("Невозможно открыть Microsoft Excel.\nКнига записана в файл %1").arg(path_));
    return 1;
}

int Excel::write(int sheet, int column, int row, const QString& text, bool textFormat, bool autoFit, bool bold)
{
    if (text.isEmpty())
        return 1;
    const QString failure = QStringLiteral("Ошибка при записи: лист %1, столбец %2, строка %3").arg(sheet).arg(column).arg(row);
    // The workbook has the one sheet.
    if (sheet != 1 || !book_) {
        seam_.message(QMessageBox::Critical, QStringLiteral("Ошибочный номер листа Microsoft Excel"), failure);
        return -1;
    }
    if (column < 1 || row < 1 || !book_->write(row - 1, column - 1, text, {textFormat, bold, autoFit})) {
        seam_.message(QMessageBox::Critical, QStringLiteral("Ошибка Microsoft Excel"), failure);
        return -1;
    }
    return 1;
}

int Excel::WriteCell(int sheet, int column, int row, const QString& text, bool textFormat, bool autoFit, bool bold)
{
    return write(sheet, column, row, text, textFormat, autoFit, bold);
}

// Columns fit their texts here too: the workbook is read on a screen, not printed blind.
int Excel::WriteCellPlain(int sheet, int column, int row, const QString& text)
{
    return write(sheet, column, row, text, false, true, false);
}
