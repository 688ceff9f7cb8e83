#include "PdfWriter.h"
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace Rep {

namespace {
constexpr double kPointsPerMm = 72 / 25.4;
constexpr double kPointsPerUnit = kPointsPerMm / 10; // a tenth of a millimetre
enum : int { kCatalog = 1, kPages = 2, kResources = 3, kInfo = 4, kFirstFree = 5 };

// A number with at most two decimals, as short as it goes.
void num(QByteArray& b, double v)
{
    long long x = std::llround(v * 100);
    char buf[32];
    int n = sizeof buf;
    const bool negative = x < 0;
    if (negative)
        x = -x;
    const int frac = int(x % 100);
    long long whole = x / 100;
    if (frac) {
        if (frac % 10)
            buf[--n] = char('0' + frac % 10);
        buf[--n] = char('0' + frac / 10);
        buf[--n] = '.';
    }
    do {
        buf[--n] = char('0' + whole % 10);
        whole /= 10;
    } while (whole);
    if (negative && (x != 0))
        buf[--n] = '-';
    b.append(buf + n, qsizetype(sizeof buf) - n);
}

double rounded(double v) { return double(std::llround(v * 100)) / 100; }

const char kDigits[] = "0123456789ABCDEF";

void hex4(QByteArray& b, quint16 v)
{
    const char c[4] = {kDigits[v >> 12], kDigits[(v >> 8) & 15], kDigits[(v >> 4) & 15], kDigits[v & 15]};
    b.append(c, 4);
}

void hex2(QByteArray& b, quint8 v)
{
    const char c[2] = {kDigits[v >> 4], kDigits[v & 15]};
    b.append(c, 2);
}

QByteArray deflated(const QByteArray& data)
{
    // qCompress puts the length in front of a zlib stream, which is what FlateDecode reads.
    // The fastest level: a year of pages deflated at the default level costs a second of
    // processor time for a third less file.
    return qCompress(data, 1).mid(4);
}

// A drawn glyph's outline as path operators, y upwards.
QByteArray outline(const QPainterPath& path)
{
    QByteArray p;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const int points = e.isCurveTo() ? 3 : 1;
        for (int k = 0; k < points; ++k) {
            const QPainterPath::Element q = path.elementAt(i + k);
            num(p, q.x);
            p += ' ';
            num(p, -q.y);
            p += ' ';
        }
        p += e.isMoveTo() ? "m\n" : e.isLineTo() ? "l\n" : "c\n";
        i += points - 1;
    }
    if (!path.isEmpty())
        p += path.fillRule() == Qt::OddEvenFill ? "f*\n" : "f\n";
    return p;
}

// Pixels to the em of the pictures of glyphs that have no outline.
constexpr int kPictureEm = 128;

// A glyph as Qt paints it; at: where the picture lies, from the glyph's origin.
QImage glyphPicture(const QRawFont& font, quint32 glyph, QRect& at)
{
    at = font.boundingRect(glyph).toAlignedRect();
    if (at.isEmpty())
        return {};
    QImage picture(at.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes({glyph});
    run.setPositions({QPointF(-at.left(), -at.top())});
    QPainter p(&picture);
    p.drawGlyphRun(QPointF(0, 0), run);
    p.end();
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (qAlpha(picture.pixel(x, y)))
                return picture;
    return {};
}

QByteArray utf16Hex(const QString& s)
{
    QByteArray b;
    for (QChar c : s)
        hex4(b, c.unicode());
    return b;
}
} // namespace

PdfWriter::PdfWriter(QIODevice& out, double paperWidthMm, double paperHeightMm, double marginMm)
    // Whole points, as printing systems (and Qt) give A4: 595 × 842.
    : out_(out), width_(std::round(paperWidthMm * kPointsPerMm)), height_(std::round(paperHeightMm * kPointsPerMm)),
      margin_(marginMm * kPointsPerMm)
{
    offsets_.resize(kFirstFree, 0);
    out_.write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    content_.reserve(1 << 16);
    compressor_ = std::thread([this] { compressPages(); });
}

PdfWriter::~PdfWriter() { stopCompressing(); }

void PdfWriter::stopCompressing()
{
    if (!compressor_.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    compressor_.join();
}

void PdfWriter::compressPages()
{
    for (;;) {
        Pending p;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return closing_ || !pending_.empty(); });
            if (pending_.empty())
                return;
            p = std::move(pending_.front());
            pending_.pop_front();
        }
        changed_.notify_all();
        const QByteArray z = deflated(p.content);
        pageOffsets_.emplace_back(p.contents, out_.pos());
        out_.write(QByteArray::number(p.contents) + " 0 obj\n<< /Length " + QByteArray::number(z.size())
                   + " /Filter /FlateDecode >>\nstream\n");
        out_.write(z);
        out_.write("\nendstream\nendobj\n");
        pageOffsets_.emplace_back(p.page, out_.pos());
        QByteArray d = QByteArray::number(p.page) + " 0 obj\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 ";
        num(d, width_);
        d += ' ';
        num(d, height_);
        d += "] /Resources 3 0 R /Contents " + QByteArray::number(p.contents) + " 0 R >>\nendobj\n";
        out_.write(d);
    }
}

int PdfWriter::newObject()
{
    offsets_.push_back(0);
    return int(offsets_.size()) - 1;
}

void PdfWriter::startObject(int number)
{
    offsets_[size_t(number)] = out_.pos();
    out_.write(QByteArray::number(number) + " 0 obj\n");
}

void PdfWriter::writeStream(int number, const QByteArray& data, const QByteArray& extra)
{
    const QByteArray z = deflated(data);
    startObject(number);
    out_.write("<< /Length " + QByteArray::number(z.size()) + " /Filter /FlateDecode" + extra + " >>\nstream\n");
    out_.write(z);
    out_.write("\nendstream\nendobj\n");
}

void PdfWriter::beginPage()
{
    content_.clear();
    inText_ = false;
    fillKnown_ = false;
    font_ = -1;
    // Tenths of a millimetre, y downwards from the printable area's top left.
    content_ += "q " + QByteArray::number(kPointsPerUnit, 'f', 6) + " 0 0 " + QByteArray::number(-kPointsPerUnit, 'f', 6) + ' ';
    num(content_, margin_);
    content_ += ' ';
    num(content_, height_ - margin_);
    content_ += " cm 2 J 0 j 0 0 0 RG\n";
}

void PdfWriter::setFill(const QColor& c)
{
    const QRgb rgb = c.rgb();
    if (fillKnown_ && rgb == fillColour_)
        return;
    fillKnown_ = true;
    fillColour_ = rgb;
    for (int v : {qRed(rgb), qGreen(rgb), qBlue(rgb)}) {
        content_ += ' ';
        content_ += QByteArray::number(v / 255.0, 'g', 3);
    }
    content_ += " rg\n";
}

void PdfWriter::rect(const QRectF& r)
{
    for (double v : {r.x(), r.y(), r.width(), r.height()}) {
        num(content_, v);
        content_ += ' ';
    }
    content_ += "re ";
}

void PdfWriter::fill(const QRectF& r, const QColor& c)
{
    endText();
    setFill(c);
    rect(r);
    content_ += "f\n";
}

void PdfWriter::line(const QPointF& a, const QPointF& b, double width)
{
    endText();
    num(content_, width);
    content_ += " w ";
    num(content_, a.x());
    content_ += ' ';
    num(content_, a.y());
    content_ += " m ";
    num(content_, b.x());
    content_ += ' ';
    num(content_, b.y());
    content_ += " l S\n";
}

int PdfWriter::faceOf(const QRawFont& font)
{
    auto it = faceByFont_.constFind(font);
    if (it != faceByFont_.constEnd())
        return *it;
    FontProgram::Face face = FontProgram::load(font);
    int index = -1;
    for (size_t i = 0; i < faces_.size() && index < 0; ++i)
        if (faces_[i].face.name == face.name && faces_[i].face.outlines == face.outlines)
            index = int(i);
    if (index < 0) {
        FaceUse use;
        use.face = std::move(face);
        if (use.isDrawn()) {
            use.outlines = font;
            use.outlines.setPixelSize(1000);
        } else {
            fonts_.push_back({int(faces_.size()), 0, newObject()});
            use.fonts.push_back(int(fonts_.size()) - 1);
        }
        faces_.push_back(std::move(use));
        index = int(faces_.size()) - 1;
    }
    faceByFont_.insert(font, index);
    return index;
}

std::pair<int, quint16> PdfWriter::encode(int face, quint32 glyph)
{
    FaceUse& use = faces_[size_t(face)];
    if (glyph >= use.used.size())
        use.used.resize(size_t(glyph) + 1);
    use.used[glyph] = true;
    if (!use.isDrawn())
        return {use.fonts.front(), quint16(glyph)};
    const auto [it, added] = use.drawnIndex.try_emplace(glyph, int(use.drawn.size()));
    if (added)
        use.drawn.push_back(glyph);
    const size_t block = size_t(it->second / 256);
    while (use.fonts.size() <= block) {
        fonts_.push_back({face, int(use.fonts.size()), newObject()});
        use.fonts.push_back(int(fonts_.size()) - 1);
    }
    return {use.fonts[block], quint16(it->second % 256)};
}

// The widths a reader places glyphs by are Qt's own advances, the instance's where a face
// is variable.
void PdfWriter::learnWidths(FaceUse& use, const QRawFont& raw, const QList<quint32>& glyphs)
{
    QList<quint32> unknown;
    for (quint32 g : glyphs) {
        if (g >= use.widths.size())
            use.widths.resize(size_t(g) + 1, -1);
        if (use.widths[g] < 0) {
            use.widths[g] = 0;
            unknown << g;
        }
    }
    if (unknown.isEmpty())
        return;
    const QList<QPointF> advances = raw.advancesForGlyphIndexes(unknown, QRawFont::UseDesignMetrics);
    for (qsizetype i = 0; i < unknown.size() && i < advances.size(); ++i)
        use.widths[unknown[i]] = rounded(advances[i].x() * 1000 / raw.pixelSize());
}

void PdfWriter::prepare(const LaidText& t)
{
    t.pdfMade = true;
    t.pdf.assign(t.lines.size(), {});
    for (size_t k = 0; k < t.lines.size(); ++k)
        for (size_t r = 0; r < size_t(t.lines[k].runs.size()); ++r)
            prepareRun(t, t.lines[k], r, t.pdf[k]);
}

// A run as glyph arrays, one per baseline and font; positions the widths do not give
// (kerning) become adjustments within the array. Also what each glyph stands for, so that
// the text can be copied and searched.
void PdfWriter::prepareRun(const LaidText& t, const LaidLine& line, size_t run, std::vector<LaidText::PdfRun>& out)
{
    const QGlyphRun& glyphs = line.runs[qsizetype(run)];
    const QRawFont raw = glyphs.rawFont();
    const int face = faceOf(raw);
    FaceUse& use = faces_[size_t(face)];
    const QList<quint32> ids = glyphs.glyphIndexes();
    const QList<QPointF> at = glyphs.positions();
    // The missing glyph stands for whatever a face lacks.
    if (run < line.texts.size())
        for (const GlyphText& g : line.texts[run])
            if (g.glyph != 0 && g.length > 0 && !use.unicode.count(g.glyph))
                use.unicode.emplace(g.glyph, t.text.mid(g.from, g.length));
    learnWidths(use, raw, ids);
    const double size = raw.pixelSize();
    double pen = 0;
    LaidText::PdfRun* r = nullptr;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const quint32 g = ids[i];
        const auto [font, code] = encode(face, g);
        if (!r || font != r->font || std::abs(at[i].y() - r->start.y()) > 0.01) {
            if (r)
                r->glyphs += ">] TJ\n";
            out.push_back({font, size, at[i], QByteArray("[<")});
            r = &out.back();
            pen = at[i].x();
        } else if (std::abs(at[i].x() - pen) > 0.01) {
            r->glyphs += "> ";
            num(r->glyphs, -(at[i].x() - pen) * 1000 / size);
            r->glyphs += " <";
            pen = at[i].x();
        }
        if (use.isDrawn())
            hex2(r->glyphs, quint8(code));
        else
            hex4(r->glyphs, code);
        pen += use.widths[g] * size / 1000;
    }
    if (r)
        r->glyphs += ">] TJ\n";
}

void PdfWriter::text(const LaidText& t, const Placement& at, const QRectF& box, const QColor& c)
{
    if (!t.pdfMade)
        prepare(t);
    if (at.clipped) {
        endText();
        content_ += "q ";
        rect(box);
        content_ += "W n\n";
    }
    const bool colourKnown = fillKnown_;
    const QRgb colourBefore = fillColour_;
    const int fontBefore = font_;
    const double sizeBefore = fontSize_;
    setFill(c);
    for (qsizetype k = 0; k < at.origins.size(); ++k)
        for (const LaidText::PdfRun& run : t.pdf[size_t(k)]) {
            if (run.font != font_ || run.size != fontSize_) {
                content_ += "/F";
                content_ += QByteArray::number(run.font);
                content_ += ' ';
                num(content_, run.size);
                content_ += " Tf\n";
                font_ = run.font;
                fontSize_ = run.size;
            }
            moveTo(at.origins[k] + run.start);
            content_ += run.glyphs;
        }
    if (at.clipped) {
        endText();
        content_ += "Q\n";
        fillKnown_ = colourKnown;
        fillColour_ = colourBefore;
        font_ = fontBefore;
        fontSize_ = sizeBefore;
    }
}

// The start of the next glyph array. Within a text object a move from the last start is
// shorter than a matrix; the matrix turns y upwards again, so the move's y goes the other
// way. Moves are made from where the file puts the start, so that roundings do not add up.
void PdfWriter::moveTo(const QPointF& p)
{
    if (inText_) {
        const QPointF move(rounded(p.x() - lineStart_.x()), rounded(p.y() - lineStart_.y()));
        num(content_, move.x());
        content_ += ' ';
        num(content_, -move.y());
        content_ += " Td ";
        lineStart_ += move;
        return;
    }
    content_ += "BT 1 0 0 -1 ";
    num(content_, p.x());
    content_ += ' ';
    num(content_, p.y());
    content_ += " Tm ";
    inText_ = true;
    lineStart_ = QPointF(rounded(p.x()), rounded(p.y()));
}

void PdfWriter::endPage()
{
    endText();
    content_ += "Q\n";
    Pending p;
    p.contents = newObject();
    p.page = newObject();
    p.content = content_;
    pages_.push_back(p.page);
    {
        // A few pages ahead at most, so that memory stays flat.
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return pending_.size() < 8; });
        pending_.push_back(std::move(p));
    }
    changed_.notify_all();
}

void PdfWriter::endText()
{
    if (inText_)
        content_ += "ET\n";
    inText_ = false;
}

int PdfWriter::writeToUnicode(const std::vector<std::pair<quint32, QString>>& codes, int codeBytes)
{
    auto code = [&](QByteArray& b, quint32 c) {
        if (codeBytes == 1)
            hex2(b, quint8(c));
        else
            hex4(b, quint16(c));
    };
    QByteArray cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n1 begincodespacerange\n<";
    code(cmap, 0);
    cmap += "> <";
    code(cmap, codeBytes == 1 ? 0xFF : 0xFFFF);
    cmap += ">\nendcodespacerange\n";
    for (size_t i = 0; i < codes.size();) {
        QByteArray block;
        int n = 0;
        for (; i < codes.size() && n < 100; ++i, ++n) {
            block += '<';
            code(block, codes[i].first);
            block += "> <" + utf16Hex(codes[i].second) + ">\n";
        }
        cmap += QByteArray::number(n) + " beginbfchar\n" + block + "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    const int object = newObject();
    writeStream(object, cmap);
    return object;
}

void PdfWriter::writeFont(const Font& font)
{
    if (faces_[size_t(font.face)].isDrawn())
        writeDrawn(font);
    else
        writeEmbedded(font);
}

void PdfWriter::writeEmbedded(const Font& font)
{
    const FaceUse& f = faces_[size_t(font.face)];
    const FontProgram::Face& face = f.face;
    const bool cff = face.outlines == FontProgram::Outlines::Cff;
    const double per = 1000.0 / face.unitsPerEm;
    QByteArray tag;
    for (int i = 0, v = font.face; i < 6; ++i, v /= 26)
        tag += char('A' + v % 26);
    const QByteArray name = tag + '+' + face.name.toLatin1();

    QByteArray program = FontProgram::subset(face, f.used);
    if (program.isEmpty())
        program = face.file; // whole, rather than no text
    const int file = newObject();
    writeStream(file, program, cff ? QByteArray(" /Subtype /OpenType") : " /Length1 " + QByteArray::number(program.size()));

    const int descriptor = newObject();
    startObject(descriptor);
    QByteArray d = "<< /Type /FontDescriptor /FontName /" + name + " /Flags 32 /FontBBox [";
    for (int v : {face.xMin, face.yMin, face.xMax, face.yMax}) {
        num(d, v * per);
        d += ' ';
    }
    d += "] /ItalicAngle 0 /Ascent ";
    num(d, face.ascent * per);
    d += " /Descent ";
    num(d, face.descent * per);
    d += " /CapHeight ";
    num(d, face.capHeight * per);
    d += face.bold ? " /StemV 140" : " /StemV 80";
    d += (cff ? " /FontFile3 " : " /FontFile2 ") + QByteArray::number(file) + " 0 R >>\nendobj\n";
    out_.write(d);

    QByteArray widths = "[";
    std::vector<std::pair<quint32, QString>> codes;
    for (size_t g = 0; g < f.used.size(); ++g)
        if (f.used[g]) {
            widths += QByteArray::number(qulonglong(g)) + " [";
            num(widths, g < f.widths.size() ? f.widths[g] : 0);
            widths += "] ";
            const auto it = f.unicode.find(quint32(g));
            if (it != f.unicode.end())
                codes.emplace_back(quint32(g), it->second);
        }
    widths += ']';
    const int cid = newObject();
    startObject(cid);
    out_.write("<< /Type /Font /Subtype " + QByteArray(cff ? "/CIDFontType0" : "/CIDFontType2") + " /BaseFont /" + name
               + " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor "
               + QByteArray::number(descriptor) + " 0 R" + (cff ? "" : " /CIDToGIDMap /Identity") + " /DW 1000 /W "
               + widths + " >>\nendobj\n");

    const int toUnicode = writeToUnicode(codes, 2);
    startObject(font.object);
    out_.write("<< /Type /Font /Subtype /Type0 /BaseFont /" + name + " /Encoding /Identity-H /DescendantFonts ["
               + QByteArray::number(cid) + " 0 R] /ToUnicode " + QByteArray::number(toUnicode) + " 0 R >>\nendobj\n");
}

// A block of a drawn face: each glyph's outline, as Qt has it, filled in the text's colour,
// or where it has none (bitmaps, colour emoji), its picture as Qt paints it. Outlines are a
// thousand pixels to the em, which is the glyph space here.
void PdfWriter::writeDrawn(const Font& font)
{
    const FaceUse& f = faces_[size_t(font.face)];
    const size_t first = size_t(font.block) * 256;
    const size_t count = std::min<size_t>(256, f.drawn.size() - first);
    QRawFont pictures = f.outlines;
    pictures.setPixelSize(kPictureEm);
    QByteArray procs, names, widths, images;
    QRectF box;
    std::vector<std::pair<quint32, QString>> codes;
    for (size_t c = 0; c < count; ++c) {
        const quint32 g = f.drawn[first + c];
        const double width = g < f.widths.size() ? f.widths[g] : 0;
        const QByteArray name = "g" + QByteArray::number(qulonglong(c));
        QByteArray p;
        num(p, width);
        // Asked for its outline, Qt forgets a bitmap glyph's picture.
        const bool bitmaps = f.face.outlines == FontProgram::Outlines::None;
        const QPainterPath path = bitmaps ? QPainterPath() : f.outlines.pathForGlyph(g);
        QRect at;
        const QImage picture = bitmaps ? glyphPicture(pictures, g, at) : QImage();
        if (!picture.isNull()) {
            const QRectF placed(QPointF(at.left(), -at.bottom() - 1) * 1000.0 / kPictureEm,
                                QSizeF(at.size()) * 1000.0 / kPictureEm);
            box |= placed;
            p += " 0 d0\nq ";
            for (double v : {placed.width(), 0.0, 0.0, placed.height(), placed.left(), placed.top()}) {
                num(p, v);
                p += ' ';
            }
            p += "cm /" + name + " Do Q\n";
            images += '/' + name + ' ' + QByteArray::number(writePicture(picture)) + " 0 R ";
        } else {
            const QRectF bounds = path.boundingRect();
            box |= bounds.isEmpty() ? QRectF() : QRectF(bounds.left(), -bounds.bottom(), bounds.width(), bounds.height());
            p += " 0 ";
            for (double v : {bounds.left(), -bounds.bottom(), bounds.right(), -bounds.top()}) {
                num(p, v);
                p += ' ';
            }
            p += "d1\n" + outline(path);
        }
        const int proc = newObject();
        writeStream(proc, p);
        procs += '/' + name + ' ' + QByteArray::number(proc) + " 0 R ";
        names += '/' + name + ' ';
        num(widths, width);
        widths += ' ';
        const auto it = f.unicode.find(g);
        if (it != f.unicode.end())
            codes.emplace_back(quint32(c), it->second);
    }
    const int toUnicode = writeToUnicode(codes, 1);
    QByteArray d = "<< /Type /Font /Subtype /Type3 /FontBBox [";
    for (double v : {box.left(), box.top(), box.right(), box.bottom()}) {
        num(d, v);
        d += ' ';
    }
    d += "] /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs << " + procs
         + ">> /Encoding << /Type /Encoding /Differences [0 " + names + "] >> /FirstChar 0 /LastChar "
         + QByteArray::number(qulonglong(count - 1)) + " /Widths [" + widths + "] /Resources << /XObject << " + images
         + ">> >> /ToUnicode " + QByteArray::number(toUnicode) + " 0 R >>\nendobj\n";
    startObject(font.object);
    out_.write(d);
}

// An image of the picture's colours, its transparency as a mask.
int PdfWriter::writePicture(const QImage& picture)
{
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    QByteArray rgb, alpha;
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            rgb.append(char(qRed(line[x]))).append(char(qGreen(line[x]))).append(char(qBlue(line[x])));
            alpha.append(char(qAlpha(line[x])));
        }
    }
    const QByteArray size = " /Width " + QByteArray::number(argb.width()) + " /Height " + QByteArray::number(argb.height())
                            + " /BitsPerComponent 8";
    const int mask = newObject();
    writeStream(mask, alpha, " /Type /XObject /Subtype /Image /ColorSpace /DeviceGray" + size);
    const int image = newObject();
    writeStream(image, rgb, " /Type /XObject /Subtype /Image /ColorSpace /DeviceRGB" + size + " /SMask "
                                + QByteArray::number(mask) + " 0 R");
    return image;
}

bool PdfWriter::finish()
{
    stopCompressing();
    for (const auto& [number, offset] : pageOffsets_)
        offsets_[size_t(number)] = offset;
    QByteArray fonts;
    bool openType = false;
    for (size_t i = 0; i < fonts_.size(); ++i) {
        writeFont(fonts_[i]);
        fonts += "/F" + QByteArray::number(qulonglong(i)) + ' ' + QByteArray::number(fonts_[i].object) + " 0 R ";
        openType |= faces_[size_t(fonts_[i].face)].face.outlines == FontProgram::Outlines::Cff;
    }
    startObject(kResources);
    out_.write("<< /ProcSet [/PDF /Text] /Font << " + fonts + ">> >>\nendobj\n");
    QByteArray kids;
    for (int p : pages_)
        kids += QByteArray::number(p) + " 0 R ";
    startObject(kPages);
    out_.write("<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(qulonglong(pages_.size()))
               + " >>\nendobj\n");
    startObject(kCatalog);
    // An OpenType font program needs a reader of PDF 1.6.
    out_.write(QByteArray("<< /Type /Catalog /Pages 2 0 R") + (openType ? " /Version /1.6" : "") + " >>\nendobj\n");
    startObject(kInfo);
    out_.write("<< /Creator (piecework) /Producer (piecework) >>\nendobj\n");
    const qint64 xref = out_.pos();
    QByteArray x = "xref\n0 " + QByteArray::number(qulonglong(offsets_.size())) + "\n0000000000 65535 f \n";
    for (size_t i = 1; i < offsets_.size(); ++i)
        x += QByteArray::number(offsets_[i]).rightJustified(10, '0') + " 00000 n \n";
    x += "trailer\n<< /Size " + QByteArray::number(qulonglong(offsets_.size())) + " /Root 1 0 R /Info 4 0 R >>\nstartxref\n"
         + QByteArray::number(xref) + "\n%%EOF\n";
    return out_.write(x) == x.size();
}

} // namespace Rep
