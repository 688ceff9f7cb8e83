#pragma once
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QRectF>
#include <QString>
#include <QVarLengthArray>
#include <unordered_map>
#include <vector>

// Texts laid out once and placed as glyphs: shaping a text is most of what painting a
// page costs, and a report's pages repeat most of their texts (names, kinds, labels).
namespace Rep {

// A glyph and the characters it stands for: its cluster's, for the first glyph of a
// cluster, none for the others.
struct GlyphText {
    quint32 glyph = 0;
    int from = 0, length = 0; // in the laid text
};

struct LaidLine {
    QList<QGlyphRun> runs; // glyph positions from the line's top left
    // Per run, what its glyphs stand for (print layouts only), so that a PDF's text can be
    // copied and searched.
    std::vector<std::vector<GlyphText>> texts;
    qreal top = 0;         // from the first line's top, with the leading between lines
    qreal naturalWidth = 0;
    qreal advance = 0;
    qreal height = 0;
};

// A text in a font, its lines as QPainter::drawText lays them out (no wrapping; a line
// break starts a new line).
struct LaidText {
    QString text;
    std::vector<LaidLine> lines;
    // What a PDF writer made of the text once (the font and glyph array of each run), for
    // the one writer that uses the cache.
    struct PdfRun {
        int font = -1;
        double size = 0;
        QPointF start;     // of the first glyph, from the line's top left
        QByteArray glyphs; // "[<…> n <…>] TJ"
    };
    mutable std::vector<std::vector<PdfRun>> pdf; // per line
    mutable bool pdfMade = false;
};

class LineCache {
public:
    // Printers and files lay texts out in the font's design metrics, screens in whole
    // pixels, as QPainter does on each. At most capacity texts are kept; past it the
    // cache starts again.
    enum Metrics { Screen, Print };
    explicit LineCache(Metrics metrics = Screen, int capacity = 10000) : metrics_(metrics), capacity_(capacity) {}
    // fontKey tells the fonts apart (the style's index).
    const LaidText& text(int fontKey, const QFont& font, const QString& text);

private:
    // The pages share one copy of each short text: a text met again is found by where it
    // lies, the copy held here keeping that place its own.
    struct Recent {
        QString text;
        int fontKey = -1;
        const LaidText* laid = nullptr;
    };
    struct KeyHash {
        size_t operator()(const std::pair<int, QString>& k) const { return qHash(k.second, size_t(k.first)); }
    };
    // A map whose entries stay where they are, so that the recent ones can point at them.
    std::unordered_map<std::pair<int, QString>, LaidText, KeyHash> texts_;
    std::vector<Recent> recent_ = std::vector<Recent>(4096);
    Metrics metrics_;
    int capacity_;
};

// Where QPainter::drawText(box, align | Qt::AlignVCenter, text) puts each line, and
// whether it clips to the box.
struct Placement {
    QVarLengthArray<QPointF, 2> origins; // of each line laid out within the box
    bool clipped = false;
};
Placement place(const LaidText& t, const QRectF& box, Qt::Alignment align);


} // namespace Rep
