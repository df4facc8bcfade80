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
// case; keywords too. Two numbers compare as numbers, anything else as text with trailing blanks
// ignored. A value is true when it is a non-zero number or a non-blank text.
#include <memory>
#include <string>
#include <string_view>

#include "platform/storage/FileDesc.h"

namespace tarn::storage {

struct ExprValue {
    bool isText = false;
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

  private:
    Expression(const FileDesc& desc, std::unique_ptr<Node> root);
    const FileDesc& desc_;
    std::unique_ptr<Node> root_;
};

}  // namespace tarn::storage
