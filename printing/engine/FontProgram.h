#pragma once
#include <QByteArray>
#include <QRawFont>
#include <QString>
#include <utility>
#include <vector>

// A face as a PDF file embeds it, cut down by HarfBuzz's subsetter to the glyphs the
// document shows. Glyph numbers stay those of the face, so that pages can be written
// before the last one tells which glyphs are used; a variable face is fixed at the
// instance Qt draws.
namespace Rep::FontProgram {

enum class Outlines {
    None,     // pictures only (bitmaps, colour emoji): the writer paints them
    Other,    // outlines no PDF font holds (CFF2): the writer draws them
    TrueType, // glyf: a CIDFontType2
    Cff       // an OpenType file around a CFF table: a CIDFontType0
};

struct Face {
    Outlines outlines = Outlines::None;
    QString name; // PostScript-like: family and style without blanks
    int unitsPerEm = 1000;
    int glyphCount = 0;
    int xMin = 0, yMin = 0, xMax = 0, yMax = 0, ascent = 0, descent = 0, capHeight = 0;
    bool bold = false;
    QByteArray file;                              // the face's tables a subset is made of
    std::vector<std::pair<quint32, float>> axes; // the instance: axis tag and place
};

Face load(const QRawFont& font);
// The font program with the outlines of the used glyphs (and of the glyphs they are made
// of); empty when it cannot be made.
QByteArray subset(const Face& face, const std::vector<bool>& used);

} // namespace Rep::FontProgram
