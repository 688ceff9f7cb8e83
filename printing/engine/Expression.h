#pragma once
#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>
#include <vector>

// The expression language of the layouts: field names, numbers, 'quoted' strings, "+"
// (sum of numbers, join of texts), "=" and ">", IF(c, a, b), STR(n), sum(field) and
// PAGENUMBER. Parsed once; evaluated per row against a context.
namespace Rep {

struct Value {
    enum Type { Null, Number, Text };
    Type type = Null;
    double num = 0;
    QString text;
    static Value number(double n) { return {Number, n, {}}; }
    static Value string(const QString& s) { return {Text, 0, s}; }
    double asNumber() const;
    QString asText() const; // numbers as DisplayText::number shows them
    bool truthy() const;
};

class ExprError : public std::runtime_error {
public:
    explicit ExprError(const QString& m) : std::runtime_error(m.toStdString()) {}
};

// What an expression reads: fields of the current row and the page number.
class ExprContext {
public:
    virtual ~ExprContext() = default;
    virtual Value field(int column) const = 0;
    virtual int pageNumber() const = 0;
};

struct ExprNode;

class Expression {
public:
    // fields: the columns of the query; an unknown name is an error, as is bad syntax.
    Expression(const QString& text, const QStringList& fields);
    ~Expression();
    Expression(Expression&&) noexcept;
    Expression& operator=(Expression&&) noexcept;

    Value eval(const ExprContext& c) const;
    // Adds the current row to every sum() of the expression.
    void accumulate(const ExprContext& c);
    void resetSums();
    bool hasSums() const { return !sums_.empty(); }
    // The quoted strings the expression can print, whole or as a part
    // ("IF(naimen=0,'Готовая продукция','Заготовки')" gives both kinds).
    QStringList fixedTexts() const;

private:
    std::unique_ptr<ExprNode> root_;
    std::vector<ExprNode*> sums_;
};

} // namespace Rep
