#pragma once
// A reference to one field: a record field or a variable of the same kinds.
//
// Field pairs, key components and ranges all point at fields this way, so values can be copied,
// compared, cleared and written as text without knowing which record they live in.
#include <cstdint>
#include <string>

#include "platform/storage/FileDesc.h"

namespace tarn::data {

struct FieldRef {
    storage::FieldKind kind = storage::FieldKind::Long;
    uint8_t* address = nullptr;
    uint32_t size = 0;
    std::string name;  // full name ("SERCHK:ServiceName"); empty for a variable

    bool IsSet() const { return address != nullptr; }
    bool IsString() const { return kind != storage::FieldKind::Long; }

    // The value as text: the number in decimal, or the text without terminator or padding.
    std::string Text() const;
    int32_t Number() const;
    // Sets the value from text (cut to fit, never inside a UTF-8 character) or from a number.
    void SetText(const std::string& text) const;
    void SetNumber(int32_t value) const;

    // Copies the value of another field, converting between numbers and texts when needed.
    void Assign(const FieldRef& from) const;
    // Sets the value to zero or empty text.
    void Clear() const;
    // Sets the value that sorts first (high false) or last, as storage::SetFieldLimit does.
    void SetLimit(bool high) const;
    // Compares by value; numbers as numbers, texts as texts.
    bool Equals(const FieldRef& other) const;
};

// A field of a record held in buffer, described by its declaration.
FieldRef RecordField(const storage::FieldDesc& desc, uint8_t* buffer);
// A variable of the program.
FieldRef LongVariable(int32_t& value);
// A number inside a packed record, which may stand at any address: by address, never by reference.
FieldRef LongAt(void* address);
FieldRef TextVariable(char* text, uint32_t size);

}  // namespace tarn::data
