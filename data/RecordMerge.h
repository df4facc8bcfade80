#pragma once
// Field by field comparison of record images, for a write that meets another program's change:
// the form's original (the record as the form read it), the operator's values and the record
// as stored now.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/storage/FileDesc.h"

namespace tarn::data {

// Lays the fields that `mine` changed since `original` over `stored`; the other fields keep the
// stored values. False, with `stored` untouched, when a field changed on both sides to different
// values: the operator's value and the other program's cannot both be kept.
bool MergeRecord(const storage::FileDesc& desc, const uint8_t* original, const uint8_t* mine,
                 uint8_t* stored);

// True when one of `fields` (0-based) holds different values in a and b. Text compares to its
// terminator, as the driver writes it.
bool FieldsDiffer(const storage::FileDesc& desc, const std::vector<int>& fields, const uint8_t* a,
                  const uint8_t* b);

}  // namespace tarn::data
