#pragma once
#include <QByteArray>
#include <QRawFont>
#include <QString>
#include <vector>

// A TrueType face as a PDF file embeds it. Glyph numbers stay those of the face; the
// outlines of glyphs a document does not show are left out.
namespace Rep::TrueType {

struct Face {
    bool valid = false; // a face with TrueType outlines (not CFF)
    QString name;       // PostScript-like name: family and style without blanks
    int unitsPerEm = 1000;
    int glyphCount = 0;
    std::vector<quint16> advances; // per glyph, in font units
    int xMin = 0, yMin = 0, xMax = 0, yMax = 0, ascent = 0, descent = 0, capHeight = 0;
    bool bold = false;
    QByteArray head, hhea, maxp, hmtx, loca, glyf, cvt, fpgm, prep;
};

Face load(const QRawFont& font);
// The font program with the outlines of the used glyphs (and of the glyphs they are
// composed of).
QByteArray subset(const Face& face, std::vector<bool> used);

} // namespace Rep::TrueType
