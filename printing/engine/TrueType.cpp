#include "TrueType.h"
#include <algorithm>
#include <map>

namespace Rep::TrueType {

namespace {
quint16 u16(const QByteArray& b, int at)
{
    if (at + 2 > b.size())
        return 0;
    return quint16((quint8(b[at]) << 8) | quint8(b[at + 1]));
}
qint16 s16(const QByteArray& b, int at) { return qint16(u16(b, at)); }
quint32 u32(const QByteArray& b, int at) { return (quint32(u16(b, at)) << 16) | u16(b, at + 2); }

void put16(QByteArray& b, int at, quint16 v)
{
    b[at] = char(v >> 8);
    b[at + 1] = char(v);
}
void add16(QByteArray& b, quint16 v) { b.append(char(v >> 8)).append(char(v)); }
void add32(QByteArray& b, quint32 v) { add16(b, quint16(v >> 16)); add16(b, quint16(v)); }

// Where each glyph's outline lies in glyf.
std::vector<quint32> offsets(const Face& f, bool longLoca)
{
    std::vector<quint32> at(size_t(f.glyphCount) + 1);
    for (int g = 0; g <= f.glyphCount; ++g)
        at[size_t(g)] = longLoca ? u32(f.loca, g * 4) : quint32(u16(f.loca, g * 2)) * 2;
    return at;
}

// The glyphs a composite glyph is made of.
void components(const QByteArray& glyph, std::vector<int>& out)
{
    if (glyph.size() < 10 || s16(glyph, 0) >= 0)
        return;
    int at = 10;
    for (;;) {
        const quint16 flags = u16(glyph, at);
        out.push_back(u16(glyph, at + 2));
        at += 4 + ((flags & 0x0001) ? 4 : 2);
        if (flags & 0x0008)
            at += 2;
        else if (flags & 0x0040)
            at += 4;
        else if (flags & 0x0080)
            at += 8;
        if (!(flags & 0x0020) || at >= glyph.size())
            return;
    }
}

quint32 checksum(const QByteArray& t)
{
    quint32 sum = 0;
    QByteArray padded = t;
    while (padded.size() % 4)
        padded.append('\0');
    for (int i = 0; i < padded.size(); i += 4)
        sum += u32(padded, i);
    return sum;
}

QString postScriptName(const QRawFont& font)
{
    QString n = font.familyName() + QLatin1Char('-') + font.styleName();
    n.remove(QLatin1Char(' '));
    QString out;
    for (QChar c : n)
        if (c.unicode() > 32 && c.unicode() < 127 && !QStringLiteral("()<>[]{}/%#").contains(c))
            out += c;
    return out.isEmpty() ? QStringLiteral("Font") : out;
}
} // namespace

Face load(const QRawFont& font)
{
    Face f;
    f.head = font.fontTable("head");
    f.hhea = font.fontTable("hhea");
    f.maxp = font.fontTable("maxp");
    f.hmtx = font.fontTable("hmtx");
    f.loca = font.fontTable("loca");
    f.glyf = font.fontTable("glyf");
    f.cvt = font.fontTable("cvt ");
    f.fpgm = font.fontTable("fpgm");
    f.prep = font.fontTable("prep");
    if (f.head.size() < 54 || f.hhea.size() < 36 || f.maxp.size() < 6 || f.loca.isEmpty() || f.glyf.isEmpty())
        return f;
    f.unitsPerEm = qMax(16, int(u16(f.head, 18)));
    f.xMin = s16(f.head, 36);
    f.yMin = s16(f.head, 38);
    f.xMax = s16(f.head, 40);
    f.yMax = s16(f.head, 42);
    f.glyphCount = u16(f.maxp, 4);
    f.ascent = s16(f.hhea, 4);
    f.descent = s16(f.hhea, 6);
    const QByteArray os2 = font.fontTable("OS/2");
    f.capHeight = os2.size() >= 90 && u16(os2, 0) >= 2 ? s16(os2, 88) : f.ascent;
    f.bold = font.weight() >= QFont::DemiBold;
    const int metrics = qMax(1, int(u16(f.hhea, 34)));
    f.advances.resize(size_t(f.glyphCount));
    for (int g = 0; g < f.glyphCount; ++g)
        f.advances[size_t(g)] = u16(f.hmtx, std::min(g, metrics - 1) * 4);
    const bool longLoca = s16(f.head, 50) == 1;
    f.valid = f.loca.size() >= (f.glyphCount + 1) * (longLoca ? 4 : 2);
    f.name = postScriptName(font);
    return f;
}

QByteArray subset(const Face& f, std::vector<bool> used)
{
    const bool longLoca = s16(f.head, 50) == 1;
    const std::vector<quint32> at = offsets(f, longLoca);
    used.resize(size_t(f.glyphCount));
    used[0] = true; // the missing glyph
    auto outline = [&](int g) {
        const quint32 from = std::min<quint32>(at[size_t(g)], quint32(f.glyf.size()));
        const quint32 to = std::min<quint32>(std::max(at[size_t(g) + 1], from), quint32(f.glyf.size()));
        return f.glyf.mid(int(from), int(to - from));
    };
    std::vector<int> pending;
    for (int g = 0; g < f.glyphCount; ++g)
        if (used[size_t(g)])
            pending.push_back(g);
    while (!pending.empty()) {
        const int g = pending.back();
        pending.pop_back();
        std::vector<int> parts;
        components(outline(g), parts);
        for (int p : parts)
            if (p < f.glyphCount && !used[size_t(p)]) {
                used[size_t(p)] = true;
                pending.push_back(p);
            }
    }
    QByteArray glyf, loca;
    for (int g = 0; g < f.glyphCount; ++g) {
        add32(loca, quint32(glyf.size()));
        if (used[size_t(g)]) {
            glyf += outline(g);
            while (glyf.size() % 4)
                glyf.append('\0');
        }
    }
    add32(loca, quint32(glyf.size()));
    QByteArray head = f.head;
    put16(head, 8, 0); // checkSumAdjustment: not checked by readers of embedded fonts
    put16(head, 10, 0);
    put16(head, 50, 1); // long offsets in loca

    std::map<QByteArray, QByteArray> tables{{"head", head}, {"hhea", f.hhea}, {"maxp", f.maxp}, {"hmtx", f.hmtx},
                                            {"loca", loca}, {"glyf", glyf}};
    if (!f.cvt.isEmpty())
        tables["cvt "] = f.cvt;
    if (!f.fpgm.isEmpty())
        tables["fpgm"] = f.fpgm;
    if (!f.prep.isEmpty())
        tables["prep"] = f.prep;
    const int n = int(tables.size());
    int power = 1, log = 0;
    while (power * 2 <= n) {
        power *= 2;
        ++log;
    }
    QByteArray out;
    add32(out, 0x00010000);
    add16(out, quint16(n));
    add16(out, quint16(power * 16));
    add16(out, quint16(log));
    add16(out, quint16(n * 16 - power * 16));
    quint32 offset = quint32(12 + 16 * n);
    QByteArray body;
    for (const auto& [tag, data] : tables) {
        out += tag;
        add32(out, checksum(data));
        add32(out, offset + quint32(body.size()));
        add32(out, quint32(data.size()));
        body += data;
        while (body.size() % 4)
            body.append('\0');
    }
    return out + body;
}

} // namespace Rep::TrueType
