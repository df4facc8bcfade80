// Translating a filter expression into SQL for a KEYED view. Only comparisons whose SQL result is
// the same as Matches' for every stored record are translated: a field against a literal of its
// own kind, case folded or not, and AND, OR and NOT of those. Everything else stays with Matches.
#include <cmath>
#include <optional>

#include "platform/storage/ExpressionNode.h"
#include "platform/storage/ViewSql.h"

namespace tarn::storage {

namespace {

using Node = Expression::Node;

// One side of a comparison: a field or a literal, perhaps inside UPPER() or LOWER().
struct Side {
    const Node* node = nullptr;
    bool folded = false;
};

Side Unwrap(const Node& n) {
    if ((n.kind == Node::Upper || n.kind == Node::Lower) && n.a) return {n.a.get(), true};
    return {&n, false};
}

// The operator with its sides swapped (5 > x is x < 5).
std::string Swapped(const std::string& op) {
    if (op == "<") return ">";
    if (op == ">") return "<";
    if (op == "<=") return ">=";
    if (op == ">=") return "<=";
    return op;
}

SqlValue Number(double v) {
    if (std::nearbyint(v) == v && std::fabs(v) < 9e15) return int64_t(v);
    return v;
}

class Translator {
  public:
    Translator(const KeyedSchema& schema, const FileDesc& desc) : schema_(schema), desc_(desc) {}

    // The condition for n, or nothing when SQL cannot decide it exactly.
    std::optional<std::string> Condition(const Node& n, std::vector<SqlArg>& args) const {
        switch (n.kind) {
            case Node::And:
            case Node::Or: {
                auto a = Condition(*n.a, args);
                auto b = a ? Condition(*n.b, args) : std::nullopt;
                if (!b) return std::nullopt;
                return "(" + *a + (n.kind == Node::And ? " AND " : " OR ") + *b + ")";
            }
            case Node::Not: {
                auto a = Condition(*n.a, args);
                return a ? std::optional<std::string>("NOT " + *a) : std::nullopt;
            }
            case Node::Compare:
                return Comparison(n, args);
            default:
                return std::nullopt;
        }
    }

  private:
    std::optional<std::string> Comparison(const Node& n, std::vector<SqlArg>& args) const {
        Side field = Unwrap(*n.a), literal = Unwrap(*n.b);
        std::string op = n.op;
        if (field.node->kind == Node::Literal) {
            std::swap(field, literal);
            op = Swapped(op);
        }
        if (field.node->kind != Node::Field || literal.node->kind != Node::Literal)
            return std::nullopt;
        const int f = field.node->field;
        const FieldDesc& fd = desc_.fields[f];
        const ExprValue& value = literal.node->value;
        const bool folded = field.folded || literal.folded;
        if (fd.kind == FieldKind::Long) {
            if (folded || value.isText) return std::nullopt;
            args.push_back({SqlArg::Value, Number(value.number)});
            return "(" + schema_.Column(f) + " " + op + " ?)";
        }
        if (!value.isText) return std::nullopt;
        // A fixed text's padding is not part of its value; a column declared NOCASE compares
        // with NOCASE unless told otherwise.
        const bool padded = fd.kind == FieldKind::FixedString;
        std::string column = padded ? "rtrim(" + schema_.Column(f) + ", ' ')" : schema_.Column(f);
        const bool noCase = !padded && schema_.NoCaseColumn(f);
        if (folded && !noCase) column += " COLLATE NOCASE";
        if (!folded && noCase) column += " COLLATE BINARY";
        args.push_back({SqlArg::Value, value.text});
        return "(" + column + " " + op + " ?)";
    }

    const KeyedSchema& schema_;
    const FileDesc& desc_;
};

// The conjuncts of an AND chain, left to right.
void Conjuncts(const Node& n, std::vector<const Node*>& out) {
    if (n.kind == Node::And) {
        Conjuncts(*n.a, out);
        Conjuncts(*n.b, out);
    } else {
        out.push_back(&n);
    }
}

}  // namespace

SqlFilter FilterSql(const Expression* filter, const KeyedSchema& schema, const FileDesc& desc) {
    SqlFilter result;
    if (!filter) return result;
    std::vector<const Node*> parts;
    Conjuncts(filter->Root(), parts);
    const Translator translate(schema, desc);
    for (const Node* part : parts) {
        std::vector<SqlArg> args;
        auto condition = translate.Condition(*part, args);
        if (!condition) {
            result.complete = false;
            continue;
        }
        std::string& sql = result.where.sql;
        sql += (sql.empty() ? "" : " AND ") + *condition;
        result.where.args.insert(result.where.args.end(), args.begin(), args.end());
    }
    return result;
}

}  // namespace tarn::storage
