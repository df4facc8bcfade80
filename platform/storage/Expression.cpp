#include "platform/storage/Expression.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/storage/ExprLexer.h"
#include "platform/storage/ExpressionNode.h"
#include "platform/storage/FieldCodec.h"
#include "platform/system/NoCase.h"

namespace tarn::storage {

namespace {

using NodePtr = std::unique_ptr<Expression::Node>;

NodePtr MakeNode(Expression::Node::Kind kind, NodePtr a = nullptr, NodePtr b = nullptr) {
    auto n = std::make_unique<Expression::Node>();
    n->kind = kind;
    n->a = std::move(a);
    n->b = std::move(b);
    return n;
}

class Parser {
  public:
    Parser(const std::vector<Token>& tokens, const FileDesc& desc, std::string& error)
        : t_(tokens), desc_(desc), error_(error) {}

    NodePtr Whole() {
        NodePtr n = Or();
        if (n && t_[i_].kind != Token::End) return Fail("Unexpected '" + t_[i_].text + "'");
        return n;
    }

  private:
    bool IsWord(const char* w) const {
        return t_[i_].kind == Token::Name && platform::EqualNoCase(t_[i_].text, w);
    }
    bool IsSymbol(const char* s) const { return t_[i_].kind == Token::Symbol && t_[i_].text == s; }
    NodePtr Fail(const std::string& what) {
        if (error_.empty()) error_ = what + " at position " + std::to_string(t_[i_].at + 1);
        return nullptr;
    }

    NodePtr Or() {
        // Deep nesting is refused rather than allowed to exhaust the stack.
        if (++depth_ > kMaxDepth) return Fail("Expression nested too deeply");
        NodePtr l = And();
        while (l && IsWord("OR")) {
            ++i_;
            NodePtr r = And();
            if (!r) return nullptr;
            l = MakeNode(Expression::Node::Or, std::move(l), std::move(r));
        }
        --depth_;
        return l;
    }
    NodePtr And() {
        NodePtr l = Not();
        while (l && IsWord("AND")) {
            ++i_;
            NodePtr r = Not();
            if (!r) return nullptr;
            l = MakeNode(Expression::Node::And, std::move(l), std::move(r));
        }
        return l;
    }
    NodePtr Not() {
        if (!IsWord("NOT")) return Compare();
        if (++depth_ > kMaxDepth) return Fail("Expression nested too deeply");
        ++i_;
        NodePtr a = Not();
        return a ? MakeNode(Expression::Node::Not, std::move(a)) : nullptr;
    }
    NodePtr Compare() {
        NodePtr l = Operand();
        if (!l) return nullptr;
        for (const char* op : {"=", "<>", "<", "<=", ">", ">="}) {
            if (!IsSymbol(op)) continue;
            ++i_;
            NodePtr r = Operand();
            if (!r) return nullptr;
            NodePtr n = MakeNode(Expression::Node::Compare, std::move(l), std::move(r));
            n->op = op;
            return n;
        }
        return l;
    }
    NodePtr Operand();
    NodePtr Call(Expression::Node::Kind kind);

    const std::vector<Token>& t_;
    const FileDesc& desc_;
    std::string& error_;
    size_t i_ = 0;
    int depth_ = 0;
    static constexpr int kMaxDepth = 200;
};

NodePtr Parser::Call(Expression::Node::Kind kind) {
    ++i_;
    if (!IsSymbol("(")) return Fail("Expected '(' after function name");
    ++i_;
    NodePtr a = Or();
    if (!a) return nullptr;
    if (!IsSymbol(")")) return Fail("Expected ')'");
    ++i_;
    return MakeNode(kind, std::move(a));
}

NodePtr Parser::Operand() {
    const Token& t = t_[i_];
    if (IsSymbol("(")) {
        ++i_;
        NodePtr n = Or();
        if (!n) return nullptr;
        if (!IsSymbol(")")) return Fail("Expected ')'");
        ++i_;
        return n;
    }
    if (IsWord("UPPER")) return Call(Expression::Node::Upper);
    if (IsWord("LOWER")) return Call(Expression::Node::Lower);
    const bool negative = IsSymbol("-");
    if (negative) ++i_;
    const Token& v = t_[i_];
    if (v.kind == Token::Number) {
        char* end = nullptr;
        NodePtr n = MakeNode(Expression::Node::Literal);
        n->value.number = std::strtod(v.text.c_str(), &end) * (negative ? -1 : 1);
        if (*end) return Fail("Invalid number '" + v.text + "'");
        ++i_;
        return n;
    }
    if (negative) return Fail("Expected a number after '-'");
    if (t.kind == Token::String) {
        NodePtr n = MakeNode(Expression::Node::Literal);
        n->value.isText = true;
        n->value.text = t.text;
        ++i_;
        return n;
    }
    if (t.kind == Token::Name && !IsWord("AND") && !IsWord("OR") && !IsWord("NOT")) {
        const int field = FindField(desc_, t.text);
        if (field < 0) return Fail("Unknown field '" + t.text + "'");
        NodePtr n = MakeNode(Expression::Node::Field);
        n->field = field;
        ++i_;
        return n;
    }
    return Fail(t.kind == Token::End ? "Unexpected end of expression"
                                     : "Unexpected '" + t.text + "'");
}

std::string AsText(const ExprValue& v) {
    if (v.isText) return v.text;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", v.number);
    return buf;
}

bool Truth(const ExprValue& v) {
    return v.isText ? v.text.find_first_not_of(' ') != std::string::npos : v.number != 0;
}

ExprValue Bool(bool b) {
    ExprValue v;
    v.number = b ? 1 : 0;
    return v;
}

ExprValue CompareValues(const ExprValue& l, const ExprValue& r, const std::string& op) {
    int c;
    if (!l.isText && !r.isText) {
        c = l.number < r.number ? -1 : l.number > r.number ? 1 : 0;
    } else if (l.noCase || r.noCase) {
        c = platform::CompareNoCase(AsText(l), AsText(r));
    } else {
        c = AsText(l).compare(AsText(r));
    }
    if (op == "=") return Bool(c == 0);
    if (op == "<>") return Bool(c != 0);
    if (op == "<") return Bool(c < 0);
    if (op == "<=") return Bool(c <= 0);
    if (op == ">") return Bool(c > 0);
    return Bool(c >= 0);
}

ExprValue Eval(const Expression::Node& n, const FileDesc& desc, const uint8_t* record) {
    using K = Expression::Node;
    switch (n.kind) {
        case K::Literal:
            return n.value;
        case K::Field: {
            const FieldDesc& f = desc.fields[n.field];
            ExprValue v;
            v.isText = f.kind != FieldKind::Long;
            if (v.isText)
                v.text = FieldText(f, record);
            else
                v.number = double(std::get<int64_t>(ReadField(f, record)));
            return v;
        }
        case K::Not:
            return Bool(!Truth(Eval(*n.a, desc, record)));
        case K::And:
            return Bool(Truth(Eval(*n.a, desc, record)) && Truth(Eval(*n.b, desc, record)));
        case K::Or:
            return Bool(Truth(Eval(*n.a, desc, record)) || Truth(Eval(*n.b, desc, record)));
        case K::Compare:
            return CompareValues(Eval(*n.a, desc, record), Eval(*n.b, desc, record), n.op);
        case K::Upper:
        case K::Lower: {
            ExprValue v;
            v.isText = true;
            v.noCase = true;
            v.text = AsText(Eval(*n.a, desc, record));
            for (char& c : v.text) {
                const unsigned char u = static_cast<unsigned char>(c);
                if (n.kind == K::Upper && u >= 'a' && u <= 'z') c = char(u - ('a' - 'A'));
                if (n.kind == K::Lower) c = char(platform::FoldNoCase(u));
            }
            return v;
        }
    }
    return Bool(false);
}

}  // namespace

int FindField(const FileDesc& desc, std::string_view name) {
    for (size_t i = 0; i < desc.fields.size(); ++i) {
        const std::string& full = desc.fields[i].name;
        const size_t colon = full.find(':');
        if (platform::EqualNoCase(full, name) ||
            (colon != std::string::npos && platform::EqualNoCase(full.substr(colon + 1), name)))
            return int(i);
    }
    return -1;
}

Expression::Expression(const FileDesc& desc, std::unique_ptr<Node> root)
    : desc_(desc), root_(std::move(root)) {}

Expression::~Expression() = default;

std::unique_ptr<Expression> Expression::Parse(std::string_view text, const FileDesc& desc,
                                              std::string& error) {
    error.clear();
    std::vector<Token> tokens;
    if (!Tokenize(text, tokens, error)) return nullptr;
    NodePtr root = Parser(tokens, desc, error).Whole();
    if (!root) return nullptr;
    return std::unique_ptr<Expression>(new Expression(desc, std::move(root)));
}

ExprValue Expression::Evaluate(const uint8_t* record) const { return Eval(*root_, desc_, record); }

bool Expression::Matches(const uint8_t* record) const { return Truth(Evaluate(record)); }

}  // namespace tarn::storage
