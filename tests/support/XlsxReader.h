#pragma once
#include <QHash>
#include <QString>

// The cells of the first sheet of a written workbook, read back from its XML.
struct XlsxCell {
    QString value;     // the text, or the number as written in the file
    bool text = false; // stored as text (a shared or inline string), not as a number
    bool bold = false;
};
// Cells by reference ("A1"); empty when the file cannot be read.
QHash<QString, XlsxCell> readXlsx(const QString& path);
// "A1" for row 1, column 1.
QString cellRef(int row, int column);
