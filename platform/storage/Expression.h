#pragma once
// Filter expressions over a record's fields, evaluated against the record buffer.
//
//   or      := and { OR and }
//   and     := not { AND not }
//   not     := NOT not | compare
//   compare := operand [ ( = | <> | < | <= | > | >= ) operand ]
//   operand := number | 'text' | - number | field | UPPER(or) | LOWER(or) | ( or )
//
// Fields are named with or without their prefix ("SERCHK:ServiceName", "ServiceName"), in any
// case; keywords too. Two numbers compare as numbers, anything else as text byte by byte (a
// number written as text). A fixed-length text field's blank padding is not part of its value;
// other blanks are. UPPER() and LOWER() fold the ASCII letters only, and a comparison with a
// value of either on one side ignores case as the files' case-insensitive keys do
// (platform/system/NoCase.h), so a range filter such as UPPER(name) >= UPPER('a_b') agrees with the
// key's order. A value is true when it is a non-zero number or a text that is not all blanks.
#include <memory>
#include <string>
#include <string_view>

#include "platform/storage/FileDesc.h"

namespace tarn::storage {

struct ExprValue {
    bool isText = false;
    bool noCase = false;  // the result of UPPER() or LOWER(): compared ignoring case
    double number = 0;
    std::string text;
};

// The 0-based number of the field named name (full or without prefix); -1 when there is none.
int FindField(const FileDesc& desc, std::string_view name);

class Expression {
  public:
    struct Node;
    // The parsed expression, or null with a readable error when text cannot be parsed.
    static std::unique_ptr<Expression> Parse(std::string_view text, const FileDesc& desc,
                                             std::string& error);
    ~Expression();

    ExprValue Evaluate(const uint8_t* record) const;
    bool Matches(const uint8_t* record) const;
    // The parsed tree (ExpressionNode.h), for translating the filter to SQL.
    const Node& Root() const { return *root_; }

  private:
    Expression(const FileDesc& desc, std::unique_ptr<Node> root);
    const FileDesc& desc_;
    std::unique_ptr<Node> root_;
};

}  // namespace tarn::storage
