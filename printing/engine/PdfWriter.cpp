#include "PdfWriter.h"
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

void hex4(QByteArray& b, quint16 v)
{
    static const char digits[] = "0123456789ABCDEF";
    const char c[4] = {digits[v >> 12], digits[(v >> 8) & 15], digits[(v >> 4) & 15], digits[v & 15]};
    b.append(c, 4);
}

QByteArray deflated(const QByteArray& data)
{
    // qCompress puts the length in front of a zlib stream, which is what FlateDecode reads.
    // The fastest level: a year of pages deflated at the default level costs a second of
    // processor time for a third less file.
    return qCompress(data, 1).mid(4);
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

bool PdfWriter::canEmbed(const QList<QFont>& fonts)
{
    for (const QFont& f : fonts)
        if (!TrueType::load(QRawFont::fromFont(f)).valid)
            return false;
    return true;
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
    TrueType::Face face = TrueType::load(font);
    int index = -1;
    if (face.valid) {
        for (size_t i = 0; i < faces_.size() && index < 0; ++i)
            if (faces_[i].face.name == face.name)
                index = int(i);
        if (index < 0) {
            FaceUse use;
            use.used.resize(size_t(face.glyphCount));
            use.face = std::move(face);
            use.object = newObject();
            faces_.push_back(std::move(use));
            index = int(faces_.size()) - 1;
        }
    }
    faceByFont_.insert(font, index);
    return index;
}

void PdfWriter::prepare(const LaidText& t)
{
    t.pdfMade = true;
    t.pdf.assign(t.lines.size(), {});
    for (size_t k = 0; k < t.lines.size(); ++k)
        for (const QGlyphRun& run : t.lines[k].runs)
            prepareRun(t, run, t.pdf[k]);
}

// A run as glyph arrays, one per baseline; positions the font's own advances do not give
// (kerning) become adjustments within the array. Also what each glyph stands for, so that
// the text can be copied and searched.
void PdfWriter::prepareRun(const LaidText& t, const QGlyphRun& run, std::vector<LaidText::PdfRun>& out)
{
    const QRawFont raw = run.rawFont();
    const int face = faceOf(raw);
    if (face < 0) {
        t.pdfFits = false;
        return;
    }
    FaceUse& use = faces_[size_t(face)];
    const QList<quint32> ids = run.glyphIndexes();
    const QList<QPointF> at = run.positions();
    const QList<quint32> mapped = raw.glyphIndexesForString(t.text);
    for (qsizetype i = 0; i < mapped.size() && i < t.text.size(); ++i)
        if (mapped[i] != 0 && !use.unicode.count(quint16(mapped[i])))
            use.unicode[quint16(mapped[i])] = t.text.mid(i, 1);
    const double size = raw.pixelSize();
    const double scale = size / use.face.unitsPerEm;
    double pen = 0;
    LaidText::PdfRun* r = nullptr;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const quint32 g = ids[i];
        if (g < use.used.size())
            use.used[g] = true;
        if (!r || std::abs(at[i].y() - r->start.y()) > 0.01) {
            if (r)
                r->glyphs += ">] TJ\n";
            out.push_back({face, size, at[i], QByteArray("[<")});
            r = &out.back();
            pen = at[i].x();
        } else if (std::abs(at[i].x() - pen) > 0.01) {
            r->glyphs += "> ";
            num(r->glyphs, -(at[i].x() - pen) * 1000 / size);
            r->glyphs += " <";
            pen = at[i].x();
        }
        hex4(r->glyphs, quint16(g));
        if (g < use.face.advances.size())
            pen += use.face.advances[g] * scale;
    }
    if (r)
        r->glyphs += ">] TJ\n";
}

bool PdfWriter::text(const LaidText& t, const Placement& at, const QRectF& box, const QColor& c)
{
    if (!t.pdfMade)
        prepare(t);
    if (!t.pdfFits)
        return false;
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
            if (run.face != font_ || run.size != fontSize_) {
                content_ += "/F";
                content_ += QByteArray::number(run.face);
                content_ += ' ';
                num(content_, run.size);
                content_ += " Tf\n";
                font_ = run.face;
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
    return true;
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

void PdfWriter::writeFont(FaceUse& f)
{
    const TrueType::Face& face = f.face;
    const double per = 1000.0 / face.unitsPerEm;
    const int index = int(&f - faces_.data());
    QByteArray tag;
    for (int i = 0, v = index; i < 6; ++i, v /= 26)
        tag += char('A' + v % 26);
    const QByteArray name = tag + '+' + face.name.toLatin1();

    const QByteArray program = TrueType::subset(face, f.used);
    const int file = newObject();
    writeStream(file, program, " /Length1 " + QByteArray::number(program.size()));

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
    d += " /FontFile2 " + QByteArray::number(file) + " 0 R >>\nendobj\n";
    out_.write(d);

    QByteArray widths = "[";
    for (size_t g = 0; g < f.used.size(); ++g)
        if (f.used[g] && g < face.advances.size()) {
            widths += QByteArray::number(qulonglong(g)) + " [";
            num(widths, face.advances[g] * per);
            widths += "] ";
        }
    widths += ']';
    const int cid = newObject();
    startObject(cid);
    out_.write("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + name
               + " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor "
               + QByteArray::number(descriptor) + " 0 R /CIDToGIDMap /Identity /DW 1000 /W " + widths + " >>\nendobj\n");

    QByteArray cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    auto it = f.unicode.cbegin();
    while (it != f.unicode.cend()) {
        QByteArray block;
        int n = 0;
        for (; it != f.unicode.cend() && n < 100; ++it, ++n) {
            block += '<';
            hex4(block, it->first);
            block += "> <" + utf16Hex(it->second) + ">\n";
        }
        cmap += QByteArray::number(n) + " beginbfchar\n" + block + "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    const int toUnicode = newObject();
    writeStream(toUnicode, cmap);

    startObject(f.object);
    out_.write("<< /Type /Font /Subtype /Type0 /BaseFont /" + name + " /Encoding /Identity-H /DescendantFonts ["
               + QByteArray::number(cid) + " 0 R] /ToUnicode " + QByteArray::number(toUnicode) + " 0 R >>\nendobj\n");
}

bool PdfWriter::finish()
{
    stopCompressing();
    for (const auto& [number, offset] : pageOffsets_)
        offsets_[size_t(number)] = offset;
    QByteArray fonts;
    for (FaceUse& f : faces_) {
        writeFont(f);
        fonts += "/F" + QByteArray::number(int(&f - faces_.data())) + ' ' + QByteArray::number(f.object) + " 0 R ";
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
    out_.write("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
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
