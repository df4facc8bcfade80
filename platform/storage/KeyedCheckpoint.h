#pragma once
// Moving what a KEYED file's write-ahead log holds into the file itself (a checkpoint), so that
// a plain copy of the ".db" file alone is whole while nothing writes to it.
#include "platform/storage/RecordFile.h"

namespace tarn::storage {

// Copies every committed change the log holds into the file, without waiting for other
// connections (what a reader still needs stays in the log, for a later call). 0 when nothing
// failed, also when readers kept some of it in the log; 80 for a file of another driver; 90 with
// SQLite's code and text otherwise.
int CheckpointLog(RecordFile& file);

}  // namespace tarn::storage
