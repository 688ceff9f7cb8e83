#include "FontProgram.h"
#include <hb-ot.h>
#include <hb-subset.h>
#include <memory>

namespace Rep::FontProgram {

namespace {
quint16 u16(const QByteArray& b, int at)
{
    if (at + 2 > b.size())
        return 0;
    return quint16((quint8(b[at]) << 8) | quint8(b[at + 1]));
}
qint16 s16(const QByteArray& b, int at) { return qint16(u16(b, at)); }
void add16(QByteArray& b, quint16 v) { b.append(char(v >> 8)).append(char(v)); }
void add32(QByteArray& b, quint32 v)
{
    add16(b, quint16(v >> 16));
    add16(b, quint16(v));
}

// The tables a PDF font needs, with those that say where a variable face's instance lies.
// Layout tables are left out: the glyphs are shaped already.
const char* const kTables[] = {"head", "hhea", "maxp", "hmtx", "OS/2", "name", "post", "cmap", "loca", "glyf",
                               "cvt ", "fpgm", "prep", "CFF ", "fvar", "gvar", "avar", "HVAR", "MVAR", "cvar"};

// Qt gives a face's tables, not its file: they are put together again into one.
QByteArray fileOf(const QRawFont& font)
{
    std::vector<std::pair<QByteArray, QByteArray>> tables;
    for (const char* tag : kTables) {
        QByteArray data = font.fontTable(tag);
        if (!data.isEmpty())
            tables.emplace_back(tag, std::move(data));
    }
    QByteArray out;
    add32(out, 0x00010000);
    add16(out, quint16(tables.size()));
    add16(out, 0); // the search hints: HarfBuzz reads the directory without them
    add16(out, 0);
    add16(out, 0);
    quint32 at = quint32(12 + 16 * tables.size());
    for (const auto& [tag, data] : tables) {
        out += tag;
        add32(out, 0); // checksums are not read
        add32(out, at);
        add32(out, quint32(data.size()));
        at += quint32((data.size() + 3) & ~3);
    }
    for (const auto& t : tables) {
        out += t.second;
        while (out.size() % 4)
            out.append('\0');
    }
    return out;
}

using HbFace = std::unique_ptr<hb_face_t, decltype(&hb_face_destroy)>;

HbFace faceOf(const QByteArray& file)
{
    hb_blob_t* blob = hb_blob_create(file.constData(), uint(file.size()), HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    HbFace face(hb_face_create(blob, 0), hb_face_destroy);
    hb_blob_destroy(blob);
    return face;
}

// The axes at the named instance of the font's style, at their defaults when none is:
// PDF readers know no variations and draw what the subset fixes.
std::vector<std::pair<quint32, float>> instanceOf(hb_face_t* face, const QString& style)
{
    std::vector<std::pair<quint32, float>> axes;
    unsigned count = hb_ot_var_get_axis_count(face);
    if (!count)
        return axes;
    std::vector<hb_ot_var_axis_info_t> info(count);
    hb_ot_var_get_axis_infos(face, 0, &count, info.data());
    std::vector<float> at(count);
    for (unsigned i = 0; i < count; ++i)
        at[i] = info[i].default_value;
    for (unsigned i = 0, n = hb_ot_var_get_named_instance_count(face); i < n; ++i) {
        const hb_ot_name_id_t id = hb_ot_var_named_instance_get_subfamily_name_id(face, i);
        unsigned length = 64;
        char16_t name[64];
        hb_ot_name_get_utf16(face, id, HB_LANGUAGE_INVALID, &length, reinterpret_cast<uint16_t*>(name));
        if (QString::fromUtf16(name, length) == style) {
            unsigned c = count;
            hb_ot_var_named_instance_get_design_coords(face, i, &c, at.data());
            break;
        }
    }
    for (unsigned i = 0; i < count; ++i)
        axes.emplace_back(info[i].tag, at[i]);
    return axes;
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
    f.name = postScriptName(font);
    f.bold = font.weight() >= QFont::DemiBold;
    const QByteArray head = font.fontTable("head"), hhea = font.fontTable("hhea"), maxp = font.fontTable("maxp");
    if (head.size() < 54 || hhea.size() < 36 || maxp.size() < 6)
        return f;
    f.unitsPerEm = qMax(16, int(u16(head, 18)));
    f.xMin = s16(head, 36);
    f.yMin = s16(head, 38);
    f.xMax = s16(head, 40);
    f.yMax = s16(head, 42);
    f.glyphCount = u16(maxp, 4);
    f.ascent = s16(hhea, 4);
    f.descent = s16(hhea, 6);
    const QByteArray os2 = font.fontTable("OS/2");
    f.capHeight = os2.size() >= 90 && u16(os2, 0) >= 2 ? s16(os2, 88) : f.ascent;
    if (!font.fontTable("glyf").isEmpty() && !font.fontTable("loca").isEmpty())
        f.outlines = Outlines::TrueType;
    else if (!font.fontTable("CFF ").isEmpty())
        f.outlines = Outlines::Cff;
    else {
        f.outlines = font.fontTable("CFF2").isEmpty() ? Outlines::None : Outlines::Other;
        return f;
    }
    f.file = fileOf(font);
    f.axes = instanceOf(faceOf(f.file).get(), font.styleName());
    return f;
}

QByteArray subset(const Face& f, const std::vector<bool>& used)
{
    const HbFace source = faceOf(f.file);
    std::unique_ptr<hb_subset_input_t, decltype(&hb_subset_input_destroy)> input(hb_subset_input_create_or_fail(),
                                                                                 hb_subset_input_destroy);
    if (!input)
        return {};
    // The missing glyph keeps its outline: it is drawn where a face lacks a character.
    hb_subset_input_set_flags(input.get(), HB_SUBSET_FLAGS_RETAIN_GIDS | HB_SUBSET_FLAGS_NOTDEF_OUTLINE);
    hb_set_t* glyphs = hb_subset_input_glyph_set(input.get());
    for (size_t g = 0; g < used.size(); ++g)
        if (used[g])
            hb_set_add(glyphs, hb_codepoint_t(g));
    for (const auto& [tag, value] : f.axes)
        hb_subset_input_pin_axis_location(input.get(), source.get(), tag, value);
    const HbFace out(hb_subset_or_fail(source.get(), input.get()), hb_face_destroy);
    if (!out)
        return {};
    hb_blob_t* blob = hb_face_reference_blob(out.get());
    unsigned length = 0;
    const char* data = hb_blob_get_data(blob, &length);
    QByteArray program(data, qsizetype(length));
    hb_blob_destroy(blob);
    return program;
}

} // namespace Rep::FontProgram
