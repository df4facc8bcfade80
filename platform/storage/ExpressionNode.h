#pragma once
// A node of a parsed filter expression (Expression.h).
#include <memory>
#include <string>

#include "platform/storage/Expression.h"

namespace tarn::storage {

struct Expression::Node {
    enum Kind { Literal, Field, Not, And, Or, Compare, Upper, Lower } kind = Literal;
    ExprValue value;  // Literal
    int field = -1;   // Field: 0-based
    std::string op;   // Compare: = <> < <= > >=
    std::unique_ptr<Node> a, b;
};

}  // namespace tarn::storage
