#include "Expression.h"
#include "DisplayText.h"
#include <QChar>

namespace Rep {

double Value::asNumber() const
{
    if (type == Number)
        return num;
    if (type == Text) {
        bool ok = false;
        const double d = text.trimmed().toDouble(&ok);
        return ok ? d : 0;
    }
    return 0;
}

QString Value::asText() const
{
    if (type == Number)
        return DisplayText::number(num);
    return text;
}

bool Value::truthy() const { return type == Number ? num != 0 : type == Text && !text.isEmpty(); }

struct ExprNode {
    enum Op { Num, Str, Field, Page, Add, Eq, Gt, If, StrFn, Sum };
    Op op;
    Value constant;
    int column = -1;
    std::vector<std::unique_ptr<ExprNode>> args;
    double total = 0; // of a sum()
};

namespace {
class Parser {
public:
    Parser(const QString& t, const QStringList& f, std::vector<ExprNode*>& sums) : s(t), fields(f), sums(sums) {}

    std::unique_ptr<ExprNode> parseAll()
    {
        auto n = comparison();
        skip();
        if (i < s.size())
            fail(QStringLiteral("unexpected '%1'").arg(s.mid(i, 10)));
        return n;
    }

private:
    const QString& s;
    const QStringList& fields;
    std::vector<ExprNode*>& sums;
    int i = 0;

    [[noreturn]] void fail(const QString& why) const { throw ExprError(QStringLiteral("%1 in: %2").arg(why, s)); }
    void skip()
    {
        while (i < s.size() && s[i].isSpace())
            ++i;
    }
    bool take(QChar c)
    {
        skip();
        if (i < s.size() && s[i] == c) {
            ++i;
            return true;
        }
        return false;
    }
    void expect(QChar c)
    {
        if (!take(c))
            fail(QStringLiteral("'%1' expected").arg(c));
    }
    static std::unique_ptr<ExprNode> node(ExprNode::Op op)
    {
        auto n = std::make_unique<ExprNode>();
        n->op = op;
        return n;
    }
    std::unique_ptr<ExprNode> binary(ExprNode::Op op, std::unique_ptr<ExprNode> a, std::unique_ptr<ExprNode> b)
    {
        auto n = node(op);
        n->args.push_back(std::move(a));
        n->args.push_back(std::move(b));
        return n;
    }
    std::unique_ptr<ExprNode> comparison()
    {
        auto a = addition();
        if (take(QLatin1Char('=')))
            return binary(ExprNode::Eq, std::move(a), addition());
        if (take(QLatin1Char('>')))
            return binary(ExprNode::Gt, std::move(a), addition());
        return a;
    }
    std::unique_ptr<ExprNode> addition()
    {
        auto a = primary();
        while (take(QLatin1Char('+')))
            a = binary(ExprNode::Add, std::move(a), primary());
        return a;
    }
    std::unique_ptr<ExprNode> primary()
    {
        skip();
        if (i >= s.size())
            fail(QStringLiteral("operand expected"));
        if (take(QLatin1Char('('))) {
            auto n = comparison();
            expect(QLatin1Char(')'));
            return n;
        }
        if (s[i] == QLatin1Char('\'')) {
            const int end = s.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                fail(QStringLiteral("unterminated string"));
            auto n = node(ExprNode::Str);
            n->constant = Value::string(s.mid(i + 1, end - i - 1));
            i = end + 1;
            return n;
        }
        if (s[i].isDigit() || s[i] == QLatin1Char('.')) {
            const int start = i;
            while (i < s.size() && (s[i].isDigit() || s[i] == QLatin1Char('.')))
                ++i;
            auto n = node(ExprNode::Num);
            n->constant = Value::number(s.mid(start, i - start).toDouble());
            return n;
        }
        if (!s[i].isLetter() && s[i] != QLatin1Char('_'))
            fail(QStringLiteral("unexpected '%1'").arg(s[i]));
        const int start = i;
        while (i < s.size() && (s[i].isLetterOrNumber() || s[i] == QLatin1Char('_') || s[i] == QLatin1Char('.')))
            ++i;
        const QString name = s.mid(start, i - start);
        const QString upper = name.toUpper();
        if (upper == QLatin1String("PAGENUMBER"))
            return node(ExprNode::Page);
        if (take(QLatin1Char('(')))
            return call(upper);
        return fieldNode(name);
    }
    std::unique_ptr<ExprNode> fieldNode(const QString& name)
    {
        // "t_Report.fio" names the field fio of the layout's query.
        const QString bare = name.mid(name.lastIndexOf(QLatin1Char('.')) + 1);
        const int column = fields.indexOf(bare.toLower());
        if (column < 0)
            fail(QStringLiteral("unknown field %1").arg(name));
        auto n = node(ExprNode::Field);
        n->column = column;
        return n;
    }
    std::unique_ptr<ExprNode> call(const QString& fn)
    {
        ExprNode::Op op;
        int arity;
        if (fn == QLatin1String("IF"))
            op = ExprNode::If, arity = 3;
        else if (fn == QLatin1String("STR"))
            op = ExprNode::StrFn, arity = 1;
        else if (fn == QLatin1String("SUM"))
            op = ExprNode::Sum, arity = 1;
        else
            fail(QStringLiteral("unknown function %1").arg(fn));
        auto n = node(op);
        for (int k = 0; k < arity; ++k) {
            if (k > 0)
                expect(QLatin1Char(','));
            n->args.push_back(comparison());
        }
        expect(QLatin1Char(')'));
        if (op == ExprNode::Sum)
            sums.push_back(n.get());
        return n;
    }
};

Value evalNode(const ExprNode& n, const ExprContext& c)
{
    switch (n.op) {
    case ExprNode::Num:
    case ExprNode::Str:
        return n.constant;
    case ExprNode::Field:
        return c.field(n.column);
    case ExprNode::Page:
        return Value::number(c.pageNumber());
    case ExprNode::Sum:
        return Value::number(n.total);
    case ExprNode::StrFn:
        return Value::string(evalNode(*n.args[0], c).asText());
    case ExprNode::If:
        return evalNode(*n.args[evalNode(*n.args[0], c).truthy() ? 1 : 2], c);
    default:
        break;
    }
    const Value a = evalNode(*n.args[0], c);
    const Value b = evalNode(*n.args[1], c);
    const bool text = a.type == Value::Text || b.type == Value::Text;
    switch (n.op) {
    case ExprNode::Add:
        return text ? Value::string(a.asText() + b.asText()) : Value::number(a.asNumber() + b.asNumber());
    case ExprNode::Eq:
        return Value::number(text ? a.asText() == b.asText() : a.asNumber() == b.asNumber());
    default: // Gt
        return Value::number(text ? a.asText() > b.asText() : a.asNumber() > b.asNumber());
    }
}
} // namespace

Expression::Expression(const QString& text, const QStringList& fields)
{
    QStringList lower;
    for (const QString& f : fields)
        lower << f.toLower();
    root_ = Parser(text, lower, sums_).parseAll();
}

Expression::~Expression() = default;
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;

Value Expression::eval(const ExprContext& c) const { return evalNode(*root_, c); }

void Expression::accumulate(const ExprContext& c)
{
    for (ExprNode* s : sums_)
        s->total += evalNode(*s->args[0], c).asNumber();
}

static void collectPrinted(const ExprNode& n, QStringList& out)
{
    switch (n.op) {
    case ExprNode::Str:
        out << n.constant.text;
        break;
    case ExprNode::If:
        collectPrinted(*n.args[1], out);
        collectPrinted(*n.args[2], out);
        break;
    case ExprNode::Add:
        collectPrinted(*n.args[0], out);
        collectPrinted(*n.args[1], out);
        break;
    default: // numbers, fields, comparisons: nothing fixed
        break;
    }
}

QStringList Expression::fixedTexts() const
{
    QStringList out;
    collectPrinted(*root_, out);
    return out;
}

void Expression::resetSums()
{
    for (ExprNode* s : sums_)
        s->total = 0;
}

} // namespace Rep
