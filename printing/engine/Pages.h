#pragma once
#include "Layout.h"
#include <QString>
#include <QStringList>
#include <QVector>

// The laid-out report as plain data: pages of positioned texts and boxes. Painters draw
// it; tests read it.
namespace Rep {

struct Style {
    Font font;
    Qt::Alignment align = Qt::AlignLeft;
    QColor color = Qt::black;
    QColor background;
    unsigned char frame = NoFrame;
    bool operator==(const Style& o) const
    {
        return font.family == o.font.family && font.pt == o.font.pt && font.bold == o.font.bold && align == o.align &&
               color == o.color && background == o.background && frame == o.frame;
    }
};

// An element or a band's box on the page, in mm from the printable area's top left.
struct PageItem {
    float x, y, w, h;
    quint16 style;
    quint16 band; // index into the page's bands
    QString text; // empty for a band's box
};

struct PageBand {
    QString name;
    float y, h;
};

struct Page {
    int number = 0;
    QVector<PageBand> bands;
    QVector<PageItem> items;

    // The printed texts of each band in order, one line per band: "name: a | b | c".
    QStringList lines() const;
    QStringList texts(int band) const;
};

} // namespace Rep
