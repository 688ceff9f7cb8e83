#pragma once
#include <QString>
#include <memory>

class Seam;
class Workbook;

// The spreadsheet operations of the exports. A new workbook is gathered cell by cell into
// a file of the export folder (named after the export, never over an existing file) and
// opened in the desktop's spreadsheet program when it is shown. Failures are told through
// the seam with the place of the file, so that the user never loses what was written.
class Excel {
public:
    // name: what the workbook's file is called, e.g. "Операции и цены".
    Excel(Seam& seam, const QString& name);
    ~Excel();

    // Starts a new workbook (the file name is always empty here); 1, or -1 on failure.
    int OpenExcel(const QString& fileName = {});
    // Shown: the workbook is written and opened. Hidden: nothing yet. Always 1.
    int ShowExcel(bool visible);
    // sheet, column and row from 1; an empty text writes nothing. 1, or -1 on failure.
    int WriteCell(int sheet, int column, int row, const QString& text, bool textFormat, bool autoFit, bool bold);
    int WriteCellPlain(int sheet, int column, int row, const QString& text);

    // The file of the last workbook started.
    const QString& path() const { return path_; }

private:
    int write(int sheet, int column, int row, const QString& text, bool textFormat, bool autoFit, bool bold);
    QString freePath() const;

    Seam& seam_;
    QString name_;
    QString path_;
    std::unique_ptr<Workbook> book_;
};
