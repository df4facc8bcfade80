#pragma once
// Declarations of record files: fields, keys and where the file lives.
#include <cstdint>
#include <string>
#include <vector>

namespace tarn::storage {

enum class FieldKind : uint8_t {
    Long,         // signed 32-bit integer, little-endian
    CString,      // zero-terminated text of n bytes (at most n-1 characters)
    FixedString,  // blank-padded text of n bytes, no terminator
};

struct FieldDesc {
    std::string name;  // full name with prefix, e.g. "SERCHK:ServiceName"
    FieldKind kind;
    uint32_t offset;
    uint32_t size;
};

struct KeyComponent {
    int field;  // 1-based field number in FileDesc::fields
    bool ascending = true;
};

struct KeyDesc {
    std::string name;  // full name, e.g. "SERCHK:KeyServiceName"
    std::vector<KeyComponent> components;
    bool duplicates = false;
    bool noCase = false;
    bool primary = false;
    // For the file manager, not the driver: the name the key is registered under, which messages
    // show ("" = name), and whether inserts number its last component automatically.
    std::string description = {};
    bool autoNumber = false;
};

struct BlobDesc {
    std::string name;  // full name, e.g. "TST:Notes"
};

struct FileDesc {
    std::string label;    // "ServicesToCheck"
    std::string prefix;   // "SERCHK"
    std::string name;     // name on disk as declared ("ServicesToCheck")
    std::string driver;   // "KEYED" or "ASCII"
    std::string options;  // driver options ("/ENDOFRECORD=2,13,10")
    uint32_t recordSize = 0;
    std::vector<FieldDesc> fields;
    std::vector<KeyDesc> keys;
    std::vector<BlobDesc> blobs;
    bool perThread = true;  // each thread has its own instance
};

}  // namespace tarn::storage
