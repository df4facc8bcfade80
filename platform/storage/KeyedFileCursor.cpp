// KEYED driver: sequential reading in a key's order, read ahead in batches.
//
// The batch holds the next rows in the direction of travel after the anchor; each Next or
// Previous hands out one and moves the anchor onto it. Turning round, setting a new start or any
// write drops the batch, and the next read queries again from the anchor. Batches start small
// (a form reads one record) and double up to the read-ahead size (a pass reads them all).
#include "platform/storage/KeyedFile.h"
#include "platform/storage/Observed.h"
#include "platform/system/LastError.h"

namespace tarn::storage {

namespace {
constexpr int kFirstBatch = 16;
}

int KeyedFile::SetToStart(int key) {
    return Observed(*this, OpSetToStart, key, [&] {
        if (!db_) return NotOpen();
        if (!ValidKey(key)) return BadKey();
        Reanchor(key, SeekAnchor{});
        return Ok();
    });
}

int KeyedFile::SetToKey(int key) {
    return Observed(*this, OpSetToKey, key, [&] {
        if (!db_) return NotOpen();
        if (!ValidKey(key)) return BadKey();
        SeekAnchor anchor;
        if (key >= 0) anchor = SeekAnchor{SeekAnchor::KeyValues, KeyValues(key, buffer_)};
        Reanchor(key, std::move(anchor));
        return Ok();
    });
}

int KeyedFile::ResetTo(std::string_view position, int key) {
    return Observed(*this, OpResetTo, key, [&] {
        if (!db_) return NotOpen();
        if (!ValidKey(key)) return BadKey();
        Row row;
        if (int rc = FindByRid(position, row, key)) return rc;
        Reanchor(key, SeekAnchor{SeekAnchor::Record, row.stored, row.rid, true});
        return Ok();
    });
}

int KeyedFile::Next() {
    return EndRead(Observed(*this, OpNext, 0, [&] { return Step(true); }));
}

int KeyedFile::Previous() {
    return EndRead(Observed(*this, OpPrevious, 0, [&] { return Step(false); }));
}

int KeyedFile::Step(bool forward) {
    if (!db_) return NotOpen();
    if (batchPos_ >= batchCount_ || batchForward_ != forward) {
        if (int rc = FillBatch(forward)) return rc;
        if (batchCount_ == 0) return Fail(platform::kEndOfFile);
    }
    Deliver(batch_[batchPos_++]);
    anchorInBatch_ = true;
    return Ok();
}

void KeyedFile::SettleAnchor() {
    if (!anchorInBatch_) return;
    anchorInBatch_ = false;
    const Row& row = batch_[batchPos_ - 1];
    anchor_ = SeekAnchor{SeekAnchor::Record, row.stored, row.rid, false};
}

void KeyedFile::DropBatch() {
    SettleAnchor();
    batchCount_ = 0;
    batchPos_ = 0;
}

void KeyedFile::Reanchor(int key, SeekAnchor anchor) {
    DropBatch();
    seqKey_ = key;
    anchor_ = std::move(anchor);
    nextBatch_ = kFirstBatch;
}

int KeyedFile::FillBatch(bool forward) {
    DropBatch();
    batchForward_ = forward;
    sqlite3_stmt* s = statements_.Get(schema_.SeekSql(seqKey_, forward, anchor_));
    if (!s) return SqlFail(sqlite3_extended_errcode(db_));
    int p = 1;
    for (const FieldValue& v : anchor_.values) Bind(s, p++, v);
    if (anchor_.kind == SeekAnchor::Record) sqlite3_bind_int64(s, p, anchor_.rid);
    const int limit = std::min(nextBatch_, readAhead_);
    sqlite3_bind_int(s, KeyedSchema::kLimitParam, limit < 1 ? 1 : limit);
    nextBatch_ = std::min(nextBatch_ * 2, readAhead_);
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        if (batchCount_ == batch_.size()) batch_.emplace_back();
        ReadRow(s, batch_[batchCount_++], seqKey_);
    }
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) {
        DropBatch();
        return SqlFail(rc);
    }
    return 0;
}

}  // namespace tarn::storage
