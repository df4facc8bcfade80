// KEYED driver: reading single records and writing them.
#include <charconv>
#include <cstring>

#include "platform/storage/KeyedFile.h"
#include "platform/storage/Observed.h"
#include "platform/system/LastError.h"

namespace tarn::storage {

void KeyedFile::ReadRow(sqlite3_stmt* s, Row& row, int key) const {
    row.rid = sqlite3_column_int64(s, 0);
    row.chg = sqlite3_column_int64(s, 1);
    row.image.assign(desc_.recordSize, 0);
    for (size_t i = 0; i < desc_.fields.size(); ++i) {
        const FieldDesc& f = desc_.fields[i];
        const int col = KeyedSchema::kFirstField + int(i);
        if (f.kind == FieldKind::Long) {
            WriteNumber(f, sqlite3_column_int64(s, col), row.image.data());
        } else {
            const char* text = static_cast<const char*>(sqlite3_column_blob(s, col));
            WriteText(f, std::string_view(text ? text : "", size_t(sqlite3_column_bytes(s, col))),
                      row.image.data());
        }
    }
    row.blobs.resize(desc_.blobs.size());
    for (size_t i = 0; i < desc_.blobs.size(); ++i)
        row.blobs[i] = ColumnText(s, schema_.FirstBlobColumn() + int(i));
    row.stored.clear();
    if (key >= 0)
        for (int f : keyFields_[key])
            row.stored.push_back(ColumnValue(s, KeyedSchema::kFirstField + f));
}

// Makes row the current record and copies it into the buffer.
void KeyedFile::Deliver(const Row& row) {
    std::memcpy(buffer_, row.image.data(), desc_.recordSize);
    curRid_ = row.rid;
    curChg_ = row.chg;
    blobsSkipped_ = skipBlobs_;
    for (size_t i = 0; i < blobs_.size(); ++i) {
        if (skipBlobs_)
            blobs_[i].clear();
        else
            blobs_[i] = row.blobs[i];
    }
    KeepAsRead();
}

void KeyedFile::KeepAsRead() {
    asRead_.image.assign(buffer_, buffer_ + desc_.recordSize);
    if (!blobsSkipped_) asRead_.blobs = blobs_;
}

// A field counts as changed when its value differs: bytes past a CString's terminator do not.
KeyedFile::Changes KeyedFile::ChangedSinceRead() const {
    Changes changes;
    const uint8_t* was = asRead_.image.data();
    // No image kept (no record read, added or put): every field is the caller's to write.
    const bool none = asRead_.image.size() != desc_.recordSize;
    for (size_t i = 0; i < desc_.fields.size(); ++i) {
        const FieldDesc& f = desc_.fields[i];
        if (none) {
            changes.fields.push_back(int(i));
            continue;
        }
        if (std::memcmp(buffer_ + f.offset, was + f.offset, f.size) == 0) continue;
        if (f.kind != FieldKind::CString || ReadField(f, buffer_) != ReadField(f, was))
            changes.fields.push_back(int(i));
    }
    if (!blobsSkipped_)
        for (size_t i = 0; i < blobs_.size(); ++i)
            if (i >= asRead_.blobs.size() || blobs_[i] != asRead_.blobs[i])
                changes.blobs.push_back(int(i));
    return changes;
}

std::vector<FieldValue> KeyedFile::KeyValues(int key, const uint8_t* record) const {
    std::vector<FieldValue> values;
    for (int f : schema_.KeyFields(key)) values.push_back(ReadField(desc_.fields[f], record));
    return values;
}

int KeyedFile::BindKeyValues(sqlite3_stmt* s, int key, const uint8_t* record) {
    std::vector<FieldValue> values = KeyValues(key, record);
    for (size_t i = 0; i < values.size(); ++i)
        if (int rc = Bind(s, int(i) + 1, values[i])) return rc;
    return SQLITE_OK;
}

// Binds the changed fields' and BLOBs' values to consecutive parameters from 3 on.
int KeyedFile::BindChanges(sqlite3_stmt* s, const Changes& changes) {
    int p = 3;
    for (int f : changes.fields)
        if (int rc = Bind(s, p++, ReadField(desc_.fields[f], buffer_))) return rc;
    for (int b : changes.blobs) {
        const std::string& blob = blobs_[b];
        if (int rc = sqlite3_bind_blob(s, p++, blob.data(), int(blob.size()), SQLITE_TRANSIENT))
            return rc;
    }
    return SQLITE_OK;
}

// Binds the buffer's fields (and BLOBs) to consecutive parameters from first on.
int KeyedFile::BindRecord(sqlite3_stmt* s, int first, bool withBlobs) {
    int p = first;
    for (const FieldDesc& f : desc_.fields)
        if (int rc = Bind(s, p++, ReadField(f, buffer_))) return rc;
    if (withBlobs)
        for (const std::string& b : blobs_)
            if (int rc = sqlite3_bind_blob(s, p++, b.data(), int(b.size()), SQLITE_TRANSIENT))
                return rc;
    return SQLITE_OK;
}

// Steps a single-row query: 0 with row filled, 35 when there is no row, else the error.
int KeyedFile::FetchOne(sqlite3_stmt* s, Row& row, int key) {
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
        ReadRow(s, row, key);
        sqlite3_reset(s);
        return 0;
    }
    sqlite3_reset(s);
    return rc == SQLITE_DONE ? Fail(platform::kRecordNotFound) : SqlFail(rc);
}

int KeyedFile::GetByKey(int key) {
    return EndRead(Observed(*this, OpGetByKey, key, [&] {
        if (!db_) return NotOpen();
        if (key < 0 || !ValidKey(key)) return BadKey();
        sqlite3_stmt* s = statements_.Get(byKeySql_[key]);
        if (!s) return SqlFail(sqlite3_extended_errcode(db_));
        if (int rc = BindKeyValues(s, key, buffer_)) return SqlFail(rc);
        Row row;
        if (int rc = FetchOne(s, row)) return rc;
        Deliver(row);
        return Ok();
    }));
}

int KeyedFile::FindByRid(std::string_view position, Row& row, int key) {
    int64_t rid = 0;
    auto [end, ec] = std::from_chars(position.data(), position.data() + position.size(), rid);
    if (ec != std::errc() || end != position.data() + position.size() || rid <= 0)
        return Fail(platform::kRecordNotFound);
    sqlite3_stmt* s = statements_.Get(schema_.SelectByRidSql());
    if (!s) return SqlFail(sqlite3_extended_errcode(db_));
    sqlite3_bind_int64(s, 1, rid);
    return FetchOne(s, row, key);
}

int KeyedFile::Reget(std::string_view position, int key) {
    return EndRead(Observed(*this, OpReget, key, [&] {
        if (!db_) return NotOpen();
        Row row;
        if (int rc = FindByRid(position, row)) return rc;
        Deliver(row);
        return Ok();
    }));
}

void KeyedFile::GetRecordZero() {
    Observed(*this, OpGetRecordZero, 0, [&] {
        curRid_ = 0;
        return Ok();
    });
}

std::string KeyedFile::Position(int) const {
    return curRid_ ? std::to_string(curRid_) : std::string();
}

int KeyedFile::Add() {
    return Observed(*this, OpAdd, 0, [&] {
        if (!db_) return NotOpen();
        DropBatch();
        sqlite3_stmt* s = statements_.Get(insertSql_);
        if (!s) return SqlFail(sqlite3_extended_errcode(db_));
        if (int rc = BindRecord(s, 1, true)) return SqlFail(rc);
        const int rc = sqlite3_step(s);
        sqlite3_reset(s);
        if (rc != SQLITE_DONE) return SqlFail(rc);
        NoteChange();
        curRid_ = sqlite3_last_insert_rowid(db_);
        curChg_ = 1;
        blobsSkipped_ = false;
        KeepAsRead();
        // The new record was never read under watch: a put of it overwrites what another
        // station wrote there since, as a put of our own new record should.
        watching_ = false;
        return Ok();
    });
}

int KeyedFile::Put() {
    return Observed(*this, OpPut, 0, [&] {
        if (!db_) return NotOpen();
        if (!curRid_) return Fail(platform::kRecordNotFound);
        // What the caller did not change stays as stored: a value wider than its field, a
        // number of another type or size is never narrowed to what the buffer could hold.
        const Changes changes = ChangedSinceRead();
        if (changes.None()) return PutUnchanged();
        DropBatch();
        sqlite3_stmt* s =
            statements_.Get(schema_.UpdateSql(watching_, changes.fields, changes.blobs));
        if (!s) return SqlFail(sqlite3_extended_errcode(db_));
        sqlite3_bind_int64(s, 1, curRid_);
        sqlite3_bind_int64(s, 2, curChg_);
        if (int rc = BindChanges(s, changes)) return SqlFail(rc);
        const int rc = sqlite3_step(s);
        const bool updated = rc == SQLITE_ROW;
        if (updated) curChg_ = sqlite3_column_int64(s, 0);
        const int end = updated ? sqlite3_step(s) : rc;
        sqlite3_reset(s);
        NoteChange();
        if (end != SQLITE_DONE) return SqlFail(end);
        if (!updated) return watching_ ? PutWatchedMiss() : Fail(platform::kRecordNotFound);
        lastPut_.stamp = stamp_;
        lastPut_.rid = curRid_;
        lastPut_.image.assign(buffer_, buffer_ + desc_.recordSize);
        KeepAsRead();
        return Ok();
    });
}

// A Put with nothing to write writes nothing, but answers as a write would: 35 when the record
// is gone, 89 when watched and another connection changed it since.
int KeyedFile::PutUnchanged() {
    sqlite3_stmt* s = statements_.Get("SELECT chg FROM records WHERE rid = ?1");
    if (!s) return SqlFail(sqlite3_extended_errcode(db_));
    sqlite3_bind_int64(s, 1, curRid_);
    const int rc = sqlite3_step(s);
    const int64_t chg = rc == SQLITE_ROW ? sqlite3_column_int64(s, 0) : 0;
    sqlite3_reset(s);
    if (rc == SQLITE_DONE) return Fail(platform::kRecordNotFound);
    if (rc != SQLITE_ROW) return SqlFail(rc);
    if (watching_ && chg != curChg_) return Fail(platform::kChangedByOther);
    return Ok();
}

// A watched Put changed nothing: the record is gone (35) or another connection changed it (89).
int KeyedFile::PutWatchedMiss() {
    Row row;
    const int rc = FindByRid(std::to_string(curRid_), row);
    if (rc == platform::kRecordNotFound) return rc;
    return rc ? rc : Fail(platform::kChangedByOther);
}

int KeyedFile::Delete() {
    return Observed(*this, OpDelete, 0, [&] {
        if (!db_) return NotOpen();
        if (!curRid_) return Fail(platform::kRecordNotFound);
        DropBatch();
        sqlite3_stmt* s = statements_.Get("DELETE FROM records WHERE rid = ?1");
        if (!s) return SqlFail(sqlite3_extended_errcode(db_));
        sqlite3_bind_int64(s, 1, curRid_);
        const int rc = sqlite3_step(s);
        sqlite3_reset(s);
        if (rc != SQLITE_DONE) return SqlFail(rc);
        NoteChange();
        const bool gone = sqlite3_changes(db_) > 0;
        curRid_ = 0;
        return gone ? Ok() : Fail(platform::kRecordNotFound);
    });
}

bool KeyedFile::Duplicate(int key) {
    if (!db_) return NotOpen(), false;
    if (key < 0 || !ValidKey(key)) return BadKey(), false;
    Ok();
    if (desc_.keys[key].duplicates) return false;
    sqlite3_stmt* s = statements_.Get(schema_.DuplicateSql(key));
    if (!s || BindKeyValues(s, key, buffer_) != SQLITE_OK)
        return SqlFail(sqlite3_extended_errcode(db_)), false;
    sqlite3_bind_int64(s, KeyedSchema::kLimitParam, curRid_);
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) SqlFail(rc);
    return rc == SQLITE_ROW;
}

void KeyedFile::Watch() {
    Observed(*this, OpWatch, 0, [&] {
        watching_ = true;
        return Ok();
    });
}

}  // namespace tarn::storage
