#include "Paginator.h"
#include "DisplayText.h"
#include "TextFit.h"
#include <climits>

namespace Rep {

Element label(const QString& text, double x, double w) { Element e; e.kind = Element::Label; e.text = text; e.x = x; e.w = w; return e; }
Element field(const QString& name, double x, double w) { Element e; e.kind = Element::Field; e.text = name; e.x = x; e.w = w; return e; }
Element expr(const QString& expression, double x, double w) { Element e; e.kind = Element::Expression; e.text = expression; e.x = x; e.w = w; return e; }
Element pageNumber(double x, double w) { Element e; e.kind = Element::PageNumber; e.x = x; e.w = w; return e; }

Element* Layout::find(const QString& name)
{
    auto in = [&](Band& b) -> Element* {
        for (Element& e : b.elements)
            if (e.name == name)
                return &e;
        return nullptr;
    };
    for (Group& g : groups)
        for (Band* b : {&g.header, &g.footer})
            if (Element* e = in(*b))
                return e;
    return in(detail);
}

QStringList Page::texts(int band) const
{
    QStringList out;
    for (const PageItem& i : items)
        if (i.band == band && !i.text.isEmpty())
            out << i.text;
    return out;
}

QStringList Page::lines() const
{
    QStringList out;
    for (int b = 0; b < bands.size(); ++b)
        out << bands[b].name + QStringLiteral(": ") + texts(b).join(QStringLiteral(" | "));
    return out;
}

TableSource::TableSource(QStringList fields, QVector<QVariantList> rows, QVector<bool> numeric)
    : fields_(std::move(fields)), rows_(std::move(rows)), numeric_(std::move(numeric))
{
}

bool TableSource::isNumeric(int column) const
{
    if (column < numeric_.size())
        return numeric_[column];
    for (const QVariantList& r : rows_)
        if (!r.value(column).isNull())
            return r.value(column).typeId() != QMetaType::QString;
    return false;
}

class Paginator::Context : public ExprContext {
public:
    Context(const Source& s) : src(s)
    {
        for (int c = 0; c < s.fieldNames().size(); ++c)
            numeric.push_back(s.isNumeric(c));
    }
    Value field(int column) const override
    {
        if (row < 0 || row >= src.rowCount() || src.isNull(row, column))
            return {};
        if (numeric[column])
            return Value::number(src.number(row, column));
        QString t = src.text(row, column);
        while (t.endsWith(QLatin1Char(' ')))
            t.chop(1); // fixed-width columns come padded
        return Value::string(t);
    }
    int pageNumber() const override { return page; }

    const Source& src;
    std::vector<bool> numeric;
    int row = -1;
    int page = 0;
};

struct Paginator::CElement {
    const Element* e;
    int style;
    double w, h;
    std::unique_ptr<Expression> expr; // fields are expressions of one name
    // The value printed last, its text and style: the next row often prints the same.
    Value last;
    QString lastText;
    int lastStyle = 0;
};

struct Paginator::CBand {
    const Band* b = nullptr;
    int boxStyle = -1;
    std::vector<CElement> elements;
    std::vector<CBand> child;
    double fullHeight() const
    {
        double h = b->height;
        for (const CBand& c : child)
            h += c.fullHeight();
        return h;
    }
};

Paginator::Paginator(const Layout& layout, const Source& source)
    : layout_(layout), source_(source), ctx_(std::make_unique<Context>(source))
{
    for (const Group& g : layout.groups) {
        headers_.push_back(compile(g.header));
        footers_.push_back(compile(g.footer));
        groupExpr_.push_back(g.expression.isEmpty() ? nullptr
                                                    : std::make_unique<Expression>(g.expression, source.fieldNames()));
        keys_ << QString();
    }
    detail_ = std::make_unique<CBand>(compile(layout.detail));
    pageFooter_ = std::make_unique<CBand>(compile(layout.pageFooter));
}

Paginator::~Paginator() = default;

int Paginator::styleOf(const Style& s)
{
    const int i = styles_.indexOf(s);
    if (i >= 0)
        return i;
    styles_.push_back(s);
    return styles_.size() - 1;
}

Paginator::CBand Paginator::compile(const Band& band)
{
    CBand c;
    c.b = &band;
    if (band.background.isValid() || band.frame != NoFrame) {
        Style box;
        box.background = band.background;
        box.frame = band.frame;
        c.boxStyle = styleOf(box);
    }
    for (const Element& e : band.elements) {
        CElement ce;
        ce.e = &e;
        ce.w = e.w > 0 ? e.w : layout_.page.width() - e.x;
        ce.h = e.h > 0 ? e.h : band.height - e.y;
        if (e.kind == Element::Field || e.kind == Element::Expression)
            ce.expr = std::make_unique<Expression>(e.text, source_.fieldNames());
        const QStringList fixed = e.kind == Element::Label ? QStringList{e.text}
                                  : ce.expr                ? ce.expr->fixedTexts()
                                                           : QStringList{};
        const Font font = fixed.isEmpty() ? e.font : fittingFont(e.font, fixed, ce.w);
        ce.style = styleOf(Style{font, e.align, e.color, e.background, e.frame});
        c.elements.push_back(std::move(ce));
    }
    for (const Band& ch : band.child)
        c.child.push_back(compile(ch));
    return c;
}

bool Paginator::stopIfFailed()
{
    // Totals over the rows that came would look final: none are laid out.
    if (!source_.failed() || row_ + 1 < source_.rowCount())
        return false;
    done_ = true;
    incomplete_ = true;
    return true;
}

bool Paginator::ensure(int index)
{
    while (pages_.size() <= index && !done_) {
        // The next row, or the end: a source still being read may have neither yet.
        while (started_ && row_ + 1 >= source_.rowCount() && !source_.complete())
            source_.more(true);
        if (stopIfFailed())
            break;
        step();
    }
    return index < pages_.size();
}

bool Paginator::stepIfReady()
{
    if (done_)
        return false;
    if (started_ && row_ + 1 >= source_.rowCount() && !source_.complete()) {
        source_.more(false);
        if (row_ + 1 >= source_.rowCount() && !source_.complete())
            return false;
    }
    if (stopIfFailed())
        return false;
    step();
    return true;
}

QString Paginator::groupKey(int group, int row) const
{
    ctx_->row = row;
    return groupExpr_[group]->eval(*ctx_).asText();
}

void Paginator::step()
{
    const int groups = int(layout_.groups.size());
    if (!started_) {
        started_ = true;
        newPage();
        for (int g = 0; g < groups; ++g)
            if (!groupExpr_[g])
                print(headers_[g], -1);
        return;
    }
    const int r = ++row_;
    const bool any = source_.rowCount() > 0;
    if (r >= source_.rowCount()) {
        for (int g = groups - 1; g >= 0; --g)
            if (!groupExpr_[g] || any)
                print(footers_[g], r - 1);
        closePage();
        done_ = true;
        return;
    }
    int changed = groups;
    for (int g = 0; g < groups; ++g) {
        if (!groupExpr_[g])
            continue;
        const QString key = groupKey(g, r);
        if (changed == groups && (r == 0 || key != keys_[g]))
            changed = g;
        keys_[g] = key;
    }
    if (r > 0)
        for (int g = groups - 1; g >= changed; --g)
            if (groupExpr_[g])
                print(footers_[g], r - 1);
    for (int g = changed; g < groups; ++g)
        if (groupExpr_[g])
            print(headers_[g], r, layout_.groups[g].keepWithFooter ? footers_[g].fullHeight() : 0);
    accumulate(r);
    print(*detail_, r);
}

void Paginator::accumulate(int row)
{
    ctx_->row = row;
    auto add = [&](CBand& b, auto& self) -> void {
        for (CElement& e : b.elements)
            if (e.expr && e.expr->hasSums())
                e.expr->accumulate(*ctx_);
        for (CBand& c : b.child)
            self(c, self);
    };
    for (CBand& b : headers_)
        add(b, add);
    for (CBand& b : footers_)
        add(b, add);
    add(*detail_, add);
    add(*pageFooter_, add);
}

void Paginator::print(CBand& band, int row, double keep)
{
    const double bottom = layout_.page.height() - pageFooter_->b->height;
    if (y_ + band.fullHeight() + keep > bottom + 1e-6 && !pageFresh_) {
        closePage();
        newPage();
    }
    place(band, row);
    pageFresh_ = false;
    y_ += band.b->height;
    for (CBand& c : band.child) {
        place(c, row);
        y_ += c.b->height;
    }
}

void Paginator::place(CBand& band, int row)
{
    ctx_->row = row;
    ctx_->page = current_.number;
    const quint16 index = quint16(current_.bands.size());
    current_.bands.push_back({band.b->name, float(y_), float(band.b->height)});
    if (band.boxStyle >= 0)
        current_.items.push_back({0, float(y_), float(layout_.page.width()), float(band.b->height),
                                  quint16(band.boxStyle), index, QString()});
    for (CElement& ce : band.elements) {
        const Element& e = *ce.e;
        QString text;
        int style = ce.style;
        if (e.kind == Element::Label) {
            text = e.text;
        } else if (e.kind == Element::PageNumber) {
            text = QString::number(current_.number);
        } else {
            Value v = ce.expr->eval(*ctx_);
            if (e.reset)
                ce.expr->resetSums();
            if (v.type == ce.last.type && (v.type == Value::Number ? v.num == ce.last.num : v.text == ce.last.text)) {
                text = ce.lastText;
                style = ce.lastStyle;
            } else {
                if (v.type == Value::Number) {
                    text = DisplayText::number(v.num, e.mask);
                    if (!meter(style).fits(text, ce.w))
                        style = smaller(style, text, ce.w);
                } else {
                    // One copy of each text: a year's pages repeat names, marks and kinds.
                    text = meter(style).fit(v.text, ce.w);
                    auto known = texts_.constFind(text);
                    if (known != texts_.constEnd())
                        text = *known;
                    else if (text.size() < 40)
                        texts_.insert(text);
                }
                ce.last = std::move(v);
                ce.lastText = text;
                ce.lastStyle = style;
            }
        }
        current_.items.push_back(
            {float(e.x), float(y_ + e.y), float(ce.w), float(ce.h), quint16(style), index, text});
    }
}

const TextMeter& Paginator::meter(int style)
{
    if (int(meters_.size()) <= style)
        meters_.resize(style + 1);
    if (!meters_[style])
        meters_[style] = std::make_unique<TextMeter>(styles_[style].font);
    return *meters_[style];
}

int Paginator::smaller(int style, const QString& text, double cellWidth)
{
    Style s = styles_[style];
    s.font = fittingFont(s.font, {text}, cellWidth);
    return styleOf(s);
}

void Paginator::newPage()
{
    current_ = Page();
    current_.number = pages_.size() + 1;
    y_ = 0;
    pageOpen_ = true;
    if (current_.number > 1)
        for (int g = 0; g < int(layout_.groups.size()); ++g)
            if (layout_.groups[g].everyPage && (!groupExpr_[g] || row_ >= 0)) {
                place(headers_[g], row_);
                y_ += headers_[g].b->height;
            }
    pageFresh_ = true;
}

void Paginator::closePage()
{
    if (!pageOpen_)
        return;
    if (pageFooter_->b->height > 0) {
        y_ = layout_.page.height() - pageFooter_->b->height;
        place(*pageFooter_, row_);
    }
    current_.items.squeeze();
    pages_.push_back(std::move(current_));
    pageOpen_ = false;
}

} // namespace Rep
