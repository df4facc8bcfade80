#include "platform/storage/StoredValue.h"

namespace tarn::storage {

StoredValue::StoredValue(const FieldValue& v) {
    if (auto* n = std::get_if<int64_t>(&v)) {
        type_ = SQLITE_INTEGER;
        integer_ = *n;
    } else {
        type_ = SQLITE_TEXT;
        bytes_ = std::get<std::string>(v);
    }
}

StoredValue StoredValue::OfColumn(sqlite3_stmt* s, int col) {
    StoredValue v;
    v.type_ = sqlite3_column_type(s, col);
    if (v.type_ == SQLITE_INTEGER) v.integer_ = sqlite3_column_int64(s, col);
    if (v.type_ == SQLITE_FLOAT) v.real_ = sqlite3_column_double(s, col);
    if (v.type_ == SQLITE_TEXT || v.type_ == SQLITE_BLOB) {
        const void* p = sqlite3_column_blob(s, col);
        v.bytes_.assign(p ? static_cast<const char*>(p) : "", size_t(sqlite3_column_bytes(s, col)));
    }
    return v;
}

int StoredValue::Bind(sqlite3_stmt* s, int index) const {
    switch (type_) {
        case SQLITE_INTEGER:
            return sqlite3_bind_int64(s, index, integer_);
        case SQLITE_FLOAT:
            return sqlite3_bind_double(s, index, real_);
        case SQLITE_TEXT:
            return sqlite3_bind_text(s, index, bytes_.data(), int(bytes_.size()), SQLITE_TRANSIENT);
        case SQLITE_BLOB:
            return sqlite3_bind_blob(s, index, bytes_.data(), int(bytes_.size()), SQLITE_TRANSIENT);
    }
    return sqlite3_bind_null(s, index);
}

bool StoredValue::Holds(const FieldValue& v) const {
    if (auto* n = std::get_if<int64_t>(&v)) return type_ == SQLITE_INTEGER && integer_ == *n;
    return type_ == SQLITE_TEXT && bytes_ == std::get<std::string>(v);
}

}  // namespace tarn::storage
