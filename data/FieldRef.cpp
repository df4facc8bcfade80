#include "data/FieldRef.h"

#include <cstdlib>
#include <cstring>

#include "platform/storage/FieldCodec.h"
#include "platform/system/TextCut.h"

namespace tarn::data {

using storage::FieldKind;

namespace {

// Length of text cut to at most max bytes without splitting a UTF-8 character.
size_t CutLength(const std::string& text, size_t max) {
    if (text.size() <= max) return text.size();
    size_t n = max;
    while (n > 0 && (static_cast<uint8_t>(text[n]) & 0xC0) == 0x80) --n;
    return n;
}

}  // namespace

std::string FieldRef::Text() const {
    if (!address) return {};
    if (kind == FieldKind::Long) return std::to_string(Number());
    const char* p = reinterpret_cast<const char*>(address);
    if (kind == FieldKind::CString) return std::string(p, strnlen(p, size));
    return std::string(platform::TrimTrailingBlanks(std::string_view(p, size)));
}

int32_t FieldRef::Number() const {
    if (!address) return 0;
    if (kind != FieldKind::Long)
        return static_cast<int32_t>(std::strtol(Text().c_str(), nullptr, 10));
    int32_t v;
    std::memcpy(&v, address, sizeof v);
    return v;
}

void FieldRef::SetText(const std::string& text) const {
    if (!address) return;
    if (kind == FieldKind::Long) {
        SetNumber(static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10)));
        return;
    }
    size_t room = kind == FieldKind::CString ? size - 1 : size;
    size_t n = CutLength(text, room);
    std::memcpy(address, text.data(), n);
    std::memset(address + n, kind == FieldKind::CString ? 0 : ' ', size - n);
}

void FieldRef::SetNumber(int32_t value) const {
    if (!address) return;
    if (kind != FieldKind::Long) {
        SetText(std::to_string(value));
        return;
    }
    std::memcpy(address, &value, sizeof value);
}

void FieldRef::Assign(const FieldRef& from) const {
    if (kind == FieldKind::Long && from.kind == FieldKind::Long) {
        SetNumber(from.Number());
    } else {
        SetText(from.Text());
    }
}

void FieldRef::Clear() const {
    if (!address) return;
    std::memset(address, kind == FieldKind::FixedString ? ' ' : 0, size);
}

void FieldRef::SetLimit(bool high) const {
    if (!address) return;
    storage::SetFieldLimit(storage::FieldDesc{name, kind, 0, size}, address, high);
}

bool FieldRef::Equals(const FieldRef& other) const {
    if (kind == FieldKind::Long && other.kind == FieldKind::Long) return Number() == other.Number();
    return Text() == other.Text();
}

FieldRef RecordField(const storage::FieldDesc& desc, uint8_t* buffer) {
    return FieldRef{desc.kind, buffer + desc.offset, desc.size, desc.name};
}

FieldRef LongVariable(int32_t& value) {
    return FieldRef{FieldKind::Long, reinterpret_cast<uint8_t*>(&value), sizeof value, {}};
}

FieldRef LongAt(void* address) {
    return FieldRef{FieldKind::Long, static_cast<uint8_t*>(address), sizeof(int32_t), {}};
}

FieldRef TextVariable(char* text, uint32_t size) {
    return FieldRef{FieldKind::CString, reinterpret_cast<uint8_t*>(text), size, {}};
}

}  // namespace tarn::data
