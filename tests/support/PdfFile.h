#pragma once
#include <QString>
#include <QStringList>

// A written PDF file as its readers see it: the text poppler finds, the fonts it lists,
// and what qpdf finds wrong with the file's structure.
namespace PdfFile {
// pdftotext's text; options such as "-layout" or "-f", "2".
QString text(const QString& path, const QStringList& options = {});
// pdffonts' table.
QString fonts(const QString& path);
// qpdf --check's report when it finds a fault or a warning; empty for a sound file.
QString faults(const QString& path);
} // namespace PdfFile
