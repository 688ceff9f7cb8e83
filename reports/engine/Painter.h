#pragma once
#include "Paginator.h"
#include "TextLines.h"
#include <functional>

class QPainter;
class QPrinter;

// Painting the page data: to any painter whose units are millimetres of the paper, and to
// a printer or a PDF file. Pages are laid out as they are painted.
namespace Rep {
// lines: the texts laid out so far, kept by the caller from page to page.
void paintPage(QPainter& p, const Paginator& doc, const Page& page, LineCache& lines);
// Told the pages done after each page, and while rows are still being read.
using Progress = std::function<void(int pages)>;
// Writes every page; false when the file cannot be written.
bool writePdf(Paginator& doc, const QString& path, const Progress& progress = {});
// The same through Qt's own PDF engine (which writePdf falls back on for fonts it cannot
// embed itself).
bool writeQtPdf(Paginator& doc, const QString& path, const Progress& progress = {});
// Prints the printer's page range (all pages when it has none).
void print(Paginator& doc, QPrinter& printer, const Progress& progress = {});
}
