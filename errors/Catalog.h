#pragma once
// The standard message catalog as a packed message table.
//
// Layout, integers little-endian: 2 bytes entry count; per entry 2 bytes id, 1 byte level,
// 1 byte title length, the title, 1 byte text length, the text. No terminators, no padding.
#include <cstdint>
#include <span>

namespace tarn::errors {

// The table the error manager loads at initialisation (55 entries); lives for the whole program.
std::span<const uint8_t> StandardCatalog();

}  // namespace tarn::errors
