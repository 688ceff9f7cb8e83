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
// Told the index of each page once it is painted, and of the last page made while rows
// still being read are awaited.
using PagePainted = std::function<void(int page)>;
// Writes every page; false when the file cannot be written.
bool writePdf(Paginator& doc, const QString& path, const PagePainted& painted = {});
// The same through Qt's own PDF engine, which places every glyph apart: what the direct
// writer is compared with.
bool writeQtPdf(Paginator& doc, const QString& path, const PagePainted& painted = {});
// Prints the printer's page range (all pages when it has none).
void print(Paginator& doc, QPrinter& printer, const PagePainted& painted = {});
}
