#include "platform/storage/FieldCodec.h"

#include <charconv>
#include <cstring>

#include "platform/system/TextCut.h"

namespace tarn::storage {

namespace {

int32_t LoadLong(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void StoreLong(uint8_t* p, int32_t v) { std::memcpy(p, &v, sizeof v); }

int32_t Clamp32(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

int64_t ParseNumber(const std::string& s) {
    size_t i = s.find_first_not_of(' ');
    if (i == std::string::npos) return 0;
    int64_t v = 0;
    std::from_chars(s.data() + i, s.data() + s.size(), v);
    return v;
}

}  // namespace

FieldValue ReadField(const FieldDesc& f, const uint8_t* record) {
    const uint8_t* p = record + f.offset;
    switch (f.kind) {
        case FieldKind::Long:
            return int64_t{LoadLong(p)};
        case FieldKind::CString:
            return std::string(reinterpret_cast<const char*>(p),
                               strnlen(reinterpret_cast<const char*>(p), f.size));
        case FieldKind::FixedString:
            return std::string(reinterpret_cast<const char*>(p), f.size);
    }
    return int64_t{0};
}

std::string FieldText(const FieldDesc& f, const uint8_t* record) {
    FieldValue v = ReadField(f, record);
    if (auto* n = std::get_if<int64_t>(&v)) return std::to_string(*n);
    std::string s = std::get<std::string>(std::move(v));
    if (f.kind == FieldKind::FixedString) return std::string(platform::TrimTrailingBlanks(s));
    return s;
}

void WriteText(const FieldDesc& f, std::string_view text, uint8_t* record) {
    if (f.kind == FieldKind::Long) return WriteNumber(f, ParseNumber(std::string(text)), record);
    uint8_t* p = record + f.offset;
    // A CString keeps one byte for its terminator.
    const size_t room = f.kind == FieldKind::CString ? (f.size ? f.size - 1 : 0) : f.size;
    std::string cut;
    if (text.size() > room) {
        cut = platform::CutText(text, long(room));
        text = cut;
    }
    std::memcpy(p, text.data(), text.size());
    std::memset(p + text.size(), f.kind == FieldKind::CString ? 0 : ' ', f.size - text.size());
}

void WriteNumber(const FieldDesc& f, int64_t n, uint8_t* record) {
    if (f.kind == FieldKind::Long)
        StoreLong(record + f.offset, Clamp32(n));
    else
        WriteText(f, std::to_string(n), record);
}

void WriteField(const FieldDesc& f, const FieldValue& v, uint8_t* record) {
    if (auto* n = std::get_if<int64_t>(&v))
        WriteNumber(f, *n, record);
    else
        WriteText(f, std::get<std::string>(v), record);
}

void SetFieldLimit(const FieldDesc& f, uint8_t* record, bool high) {
    uint8_t* p = record + f.offset;
    if (f.kind == FieldKind::Long) {
        StoreLong(p, high ? INT32_MAX : INT32_MIN);
        return;
    }
    std::memset(p, high ? 0xFF : 0, f.size);
    if (high && f.kind == FieldKind::CString && f.size > 0) p[f.size - 1] = 0;
}

void ClearField(const FieldDesc& f, uint8_t* record, bool high) {
    if (high) {
        SetFieldLimit(f, record, true);
        return;
    }
    uint8_t* p = record + f.offset;
    switch (f.kind) {
        case FieldKind::Long:
            StoreLong(p, 0);
            break;
        case FieldKind::CString:
            std::memset(p, 0, f.size);
            break;
        case FieldKind::FixedString:
            std::memset(p, ' ', f.size);
            break;
    }
}

void ClearRecord(const FileDesc& desc, uint8_t* record, bool high) {
    std::memset(record, 0, desc.recordSize);
    for (const FieldDesc& f : desc.fields) ClearField(f, record, high);
}

}  // namespace tarn::storage
