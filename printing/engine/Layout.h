#pragma once
#include <QColor>
#include <QString>
#include <QVector>
#include <vector>

// A banded report layout as plain data: page setup, groups with header and footer bands,
// the detail band and the page footer. Positions and sizes are millimetres within the
// printable area; nothing here knows how the report is painted.
namespace Rep {

enum Frame : unsigned char { NoFrame = 0, FrameLeft = 1, FrameTop = 2, FrameRight = 4, FrameBottom = 8, FrameAll = 15 };

struct Font {
    QString family = QStringLiteral("Arial");
    double pt = 10;
    bool bold = false;
};

struct Element {
    enum Kind { Label, Field, Expression, PageNumber };
    Kind kind = Label;
    QString name;  // for the caller to set a label's text ("QRLabel1")
    QString text;  // label text, field name or expression
    double x = 0, y = 0, w = 20, h = 0; // h 0: the band's height less y
    Font font;
    Qt::Alignment align = Qt::AlignLeft;
    QColor color = Qt::black;
    QColor background; // invalid: transparent
    unsigned char frame = NoFrame;
    QString mask;
    bool reset = false; // sums of this element restart after it prints

    // Fluent set-up, so that layouts read as tables.
    Element& centre() { align = Qt::AlignHCenter; return *this; }
    Element& right() { align = Qt::AlignRight; return *this; }
    Element& bold() { font.bold = true; return *this; }
    Element& withFont(const QString& family, double pt, bool bold = false) { font = {family, pt, bold}; return *this; }
    Element& withMask(const QString& m) { mask = m; return *this; }
    Element& resetting() { reset = true; return *this; }
    Element& named(const QString& n) { name = n; return *this; }
    Element& framed(unsigned char f) { frame = f; return *this; }
    Element& filled(const QColor& c) { background = c; return *this; }
    Element& at(double top, double height) { y = top; h = height; return *this; }
};

Element label(const QString& text, double x, double w = 0);
Element field(const QString& name, double x, double w);
Element expr(const QString& expression, double x, double w);
Element pageNumber(double x, double w);

struct Band {
    QString name; // how the band is named in the page data
    double height = 5;
    QColor background;
    unsigned char frame = NoFrame;
    QVector<Element> elements;
    std::vector<Band> child; // printed right after this band (none or one)
};

// A group: with an expression, its header prints when the expression's value changes and
// its footer when the group ends; without one, once at the start and once at the end.
struct Group {
    QString expression;
    Band header;
    Band footer;
    bool everyPage = false;      // the header is printed again at the top of every page
    bool keepWithFooter = false; // no header where its footer would not fit after it
};

struct PageSetup {
    bool landscape = false;
    double margin = 10;
    double paperWidth() const { return landscape ? 297 : 210; }
    double paperHeight() const { return landscape ? 210 : 297; }
    double width() const { return paperWidth() - 2 * margin; }
    double height() const { return paperHeight() - 2 * margin; }
    Font font;
};

struct Layout {
    PageSetup page;
    std::vector<Group> groups; // outermost first
    Band detail;
    Band pageFooter;
    // The element of that name, or nullptr.
    Element* find(const QString& name);
};

} // namespace Rep
