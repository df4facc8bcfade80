#pragma once
// Order texts of views: comma-separated field names, each optionally preceded by + (ascending,
// the default) or - (descending) and optionally inside UPPER(...) to ignore case.
#include <string>
#include <string_view>
#include <vector>

#include "platform/storage/Expression.h"

namespace tarn::storage {

struct OrderItem {
    int field = -1;  // 0-based
    bool descending = false;
    bool upper = false;
};

// Parses text into items; false with a readable error when it cannot.
bool ParseOrder(std::string_view text, const FileDesc& desc, std::vector<OrderItem>& items,
                std::string& error);

// A record's values of the order's fields, ready to compare.
std::vector<ExprValue> OrderValues(const std::vector<OrderItem>& items, const FileDesc& desc,
                                   const uint8_t* record);
// <0, 0 or >0 as a comes before, with or after b in the order.
int CompareOrder(const std::vector<OrderItem>& items, const std::vector<ExprValue>& a,
                 const std::vector<ExprValue>& b);

}  // namespace tarn::storage
