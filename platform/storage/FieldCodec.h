#pragma once
// Field values between a record buffer and the stores: a Long is a number, a text field its bytes.
//
// A CString's value runs to its terminator; a FixedString's value is all of its bytes, trailing
// blanks included. Values written into a shorter field are cut on a UTF-8 character boundary.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "platform/storage/FileDesc.h"

namespace tarn::storage {

using FieldValue = std::variant<int64_t, std::string>;

// The value of field f in record.
FieldValue ReadField(const FieldDesc& f, const uint8_t* record);
// The field's text with the blank padding of a FixedString removed (for comparisons).
std::string FieldText(const FieldDesc& f, const uint8_t* record);
// Stores v into field f of record; a text into a Long is read as a number, a number into a text
// field is written in decimal.
void WriteField(const FieldDesc& f, const FieldValue& v, uint8_t* record);
// Stores text (cut to fit) or a number into field f of record.
void WriteText(const FieldDesc& f, std::string_view text, uint8_t* record);
void WriteNumber(const FieldDesc& f, int64_t n, uint8_t* record);
// Sets field f to the value that sorts first (high false) or last in every key: INT32_MIN or
// INT32_MAX for a number, text of 0 or 0xFF bytes.
void SetFieldLimit(const FieldDesc& f, uint8_t* record, bool high);
// Clears field f (0, empty CString, blank FixedString), or with high sets its highest value.
void ClearField(const FieldDesc& f, uint8_t* record, bool high);
void ClearRecord(const FileDesc& desc, uint8_t* record, bool high);

}  // namespace tarn::storage
