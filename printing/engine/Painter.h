#pragma once
#include "Paginator.h"
#include <functional>

class QPainter;
class QPrinter;

// Painting the page data: to any painter whose units are millimetres of the paper, and to
// a printer or a PDF file. Pages are laid out as they are painted.
namespace Rep {
void paintPage(QPainter& p, const Paginator& doc, const Page& page);
// Told the index of each page once it is painted.
using PagePainted = std::function<void(int page)>;
// Writes every page; false when the file cannot be written.
bool writePdf(Paginator& doc, const QString& path, const PagePainted& painted = {});
// Prints the printer's page range (all pages when it has none).
void print(Paginator& doc, QPrinter& printer, const PagePainted& painted = {});
}
