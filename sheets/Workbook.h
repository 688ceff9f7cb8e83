#pragma once
#include <QHash>
#include <QString>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// A workbook of one sheet, gathered cell by cell and written to its file when finished.
// Numbers are stored as numbers, text-format cells as text; auto-fitted columns are as
// wide as the longest text written into them.
class Workbook {
public:
    explicit Workbook(const QString& path);
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // False when the file could not be started (a folder that cannot be written).
    bool ok() const { return book_ != nullptr; }
    const QString& path() const { return path_; }

    struct Style {
        bool text = false;    // the text format "@": kept as text, whatever it looks like
        bool bold = false;
        bool autofit = false;
    };
    // row and column from 0. An empty text writes nothing. False when the write failed.
    bool write(int row, int column, const QString& text, const Style& style);
    // Writes the file; false when it could not be written.
    bool finish();

    // A text as a number, with a point or a comma as decimal separator; false when it is none.
    static bool number(const QString& text, double& value);

private:
    lxw_format* format(const Style& style);

    QString path_;
    lxw_workbook* book_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    QHash<int, lxw_format*> formats_;
    QHash<int, int> widths_; // column → longest auto-fitted text, in characters
};
