#pragma once
#include "TextLines.h"
#include "FontProgram.h"
#include <QColor>
#include <QImage>
#include <QHash>
#include <QIODevice>
#include <QRawFont>
#include <QVarLengthArray>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

// Pages of filled boxes, rules and laid-out texts written straight into a PDF file. Qt's
// PDF engine places every glyph with an operator of its own and compresses the lot, which
// costs a year's report seconds; here a text is one array of glyphs, fonts are embedded
// once with the glyphs the pages show. A face no PDF font can hold (bitmaps, CFF2) becomes
// a font of drawn glyphs, so that every text stays text. Units are the painter's: tenths
// of a millimetre from the top left of the printable area.
namespace Rep {

class PdfWriter {
public:
    PdfWriter(QIODevice& out, double paperWidthMm, double paperHeightMm, double marginMm);
    ~PdfWriter();

    void beginPage();
    void fill(const QRectF& r, const QColor& c);
    // A rule of the given width, black.
    void line(const QPointF& a, const QPointF& b, double width);
    void text(const LaidText& t, const Placement& at, const QRectF& box, const QColor& c);
    void endPage();
    // Fonts, page tree and index; false when the file could not be written.
    bool finish();

private:
    struct FaceUse {
        FontProgram::Face face;
        QRawFont outlines; // of a drawn face, a thousand pixels to the em
        std::vector<bool> used;
        std::vector<double> widths; // by glyph, thousandths of the em; below 0 while unknown
        std::map<quint32, QString> unicode; // by glyph: the characters of its cluster
        // A drawn face's glyphs in the order met: a font of drawn glyphs has one-byte codes,
        // so each 256 of them are a font of their own.
        std::vector<quint32> drawn;
        std::unordered_map<quint32, int> drawnIndex;
        std::vector<int> fonts; // the face's fonts in the file
        bool isDrawn() const
        {
            return face.outlines == FontProgram::Outlines::None || face.outlines == FontProgram::Outlines::Other;
        }
    };
    struct Font {
        int face = 0;
        int block = 0; // of a drawn face: codes block * 256 on
        int object = 0;
    };
    // Once per laid text: the fonts and glyph arrays of its runs, its glyphs marked used.
    void prepare(const LaidText& t);
    void prepareRun(const LaidText& t, const LaidLine& line, size_t run, std::vector<LaidText::PdfRun>& out);
    int faceOf(const QRawFont& font);
    // The file's font and the code that show the glyph.
    std::pair<int, quint16> encode(int face, quint32 glyph);
    void learnWidths(FaceUse& use, const QRawFont& raw, const QList<quint32>& glyphs);
    void moveTo(const QPointF& p);
    void setFill(const QColor& c);
    void rect(const QRectF& r);
    int newObject();
    void endText();
    // Pages are compressed and written by a thread of their own while the next are made.
    struct Pending {
        int contents = 0, page = 0;
        QByteArray content;
    };
    void compressPages();
    void stopCompressing();
    void startObject(int number);
    void writeStream(int number, const QByteArray& data, const QByteArray& extra = {});
    void writeFont(const Font& font);
    void writeEmbedded(const Font& font);
    void writeDrawn(const Font& font);
    int writePicture(const QImage& picture);
    int writeToUnicode(const std::vector<std::pair<quint32, QString>>& codes, int codeBytes);

    QIODevice& out_;
    double width_, height_, margin_; // points
    std::vector<qint64> offsets_;     // by object number
    std::vector<int> pages_;
    QByteArray content_;
    bool inText_ = false;
    QPointF lineStart_; // of the open text object
    QRgb fillColour_ = 0;
    bool fillKnown_ = false;
    int font_ = -1;
    double fontSize_ = 0;
    std::vector<FaceUse> faces_;
    std::vector<Font> fonts_;
    QHash<QRawFont, int> faceByFont_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Pending> pending_;
    bool closing_ = false;
    std::vector<std::pair<int, qint64>> pageOffsets_; // written by the compressing thread
    std::thread compressor_;
};

} // namespace Rep
