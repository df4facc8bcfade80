#pragma once
// Order texts of views: comma-separated field names, each optionally preceded by + (ascending,
// the default) or - (descending) and optionally inside UPPER(...) to ignore case the way the
// files' case-insensitive keys do (platform/system/NoCase.h).
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

}  // namespace tarn::storage
