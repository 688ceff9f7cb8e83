#pragma once
#include "TextLines.h"
#include "TrueType.h"
#include <QColor>
#include <QHash>
#include <QIODevice>
#include <QRawFont>
#include <QVarLengthArray>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

// Pages of filled boxes, rules and laid-out texts written straight into a PDF file. Qt's
// PDF engine places every glyph with an operator of its own and compresses the lot, which
// costs a year's report seconds; here a text is one array of glyphs, fonts are embedded
// once with the glyphs the pages show. Units are the painter's: tenths of a millimetre
// from the top left of the printable area.
namespace Rep {

class PdfWriter {
public:
    PdfWriter(QIODevice& out, double paperWidthMm, double paperHeightMm, double marginMm);
    ~PdfWriter();

    void beginPage();
    void fill(const QRectF& r, const QColor& c);
    // A rule of the given width, black.
    void line(const QPointF& a, const QPointF& b, double width);
    // False when a glyph comes from a font this writer cannot embed (not TrueType).
    bool text(const LaidText& t, const Placement& at, const QRectF& box, const QColor& c);
    void endPage();
    // Fonts, page tree and index; false when the file could not be written.
    bool finish();

    // Whether every face these fonts use can be embedded here.
    static bool canEmbed(const QList<QFont>& fonts);

private:
    struct FaceUse {
        TrueType::Face face;
        std::vector<bool> used;
        std::map<quint16, QString> unicode;
        int object = 0; // of the Type0 font
    };
    // Once per laid text: the faces and glyph arrays of its runs, its glyphs marked used.
    void prepare(const LaidText& t);
    void prepareRun(const LaidText& t, const QGlyphRun& run, std::vector<LaidText::PdfRun>& out);
    int faceOf(const QRawFont& font);
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
    void writeFont(FaceUse& f);

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
    QHash<QRawFont, int> faceByFont_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Pending> pending_;
    bool closing_ = false;
    std::vector<std::pair<int, qint64>> pageOffsets_; // written by the compressing thread
    std::thread compressor_;
};

} // namespace Rep
