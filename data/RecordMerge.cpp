#include "data/RecordMerge.h"

#include <cstring>

#include "platform/storage/FieldCodec.h"

namespace tarn::data {

namespace {

bool SameValue(const storage::FieldDesc& f, const uint8_t* a, const uint8_t* b) {
    return storage::ReadField(f, a) == storage::ReadField(f, b);
}

}  // namespace

bool MergeRecord(const storage::FileDesc& desc, const uint8_t* original, const uint8_t* mine,
                 uint8_t* stored) {
    std::vector<const storage::FieldDesc*> mineOnly;
    for (const storage::FieldDesc& f : desc.fields) {
        if (SameValue(f, original, mine)) continue;
        if (!SameValue(f, original, stored) && !SameValue(f, mine, stored)) return false;
        mineOnly.push_back(&f);
    }
    for (const storage::FieldDesc* f : mineOnly)
        std::memcpy(stored + f->offset, mine + f->offset, f->size);
    return true;
}

bool FieldsDiffer(const storage::FileDesc& desc, const std::vector<int>& fields, const uint8_t* a,
                  const uint8_t* b) {
    for (int i : fields) {
        if (i < 0 || i >= int(desc.fields.size())) continue;
        if (!SameValue(desc.fields[i], a, b)) return true;
    }
    return false;
}

}  // namespace tarn::data
