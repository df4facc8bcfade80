#pragma once
// The three record files of the system: Settings, ServicesToCheck and the checker's daily log.
//
// Each thread has its own record buffer and its own driver instance of each file.
#include <cstddef>
#include <cstdint>

#include "platform/storage/FileDesc.h"
#include "platform/storage/RecordFile.h"

namespace tarn::records {

#pragma pack(push, 1)
struct SettingsRecord {
    int32_t RecordID;
    int32_t TimeBetweenCyclesInSeconds;
};

struct ServicesToCheckRecord {
    int32_t RecordID;
    char ServerName[128];
    char ServiceName[128];
    char ServiceDescription[255];
    int32_t LastChecked;
    int32_t LastCheckedTime;
};

struct CheckServiceLogRecord {
    char Field1[201];
};
#pragma pack(pop)

static_assert(sizeof(SettingsRecord) == 8);
static_assert(offsetof(SettingsRecord, RecordID) == 0);
static_assert(offsetof(SettingsRecord, TimeBetweenCyclesInSeconds) == 4);
static_assert(sizeof(ServicesToCheckRecord) == 523);
static_assert(offsetof(ServicesToCheckRecord, RecordID) == 0);
static_assert(offsetof(ServicesToCheckRecord, ServerName) == 4);
static_assert(offsetof(ServicesToCheckRecord, ServiceName) == 132);
static_assert(offsetof(ServicesToCheckRecord, ServiceDescription) == 260);
static_assert(offsetof(ServicesToCheckRecord, LastChecked) == 515);
static_assert(offsetof(ServicesToCheckRecord, LastCheckedTime) == 519);
static_assert(sizeof(CheckServiceLogRecord) == 201);
static_assert(offsetof(CheckServiceLogRecord, Field1) == 0);

// Key numbers, in registration order. Each key's description carries the name its file manager
// registers it under and whether it is numbered automatically.
enum SettingsKey : int { SET_KeyRecID = 0 };
enum ServicesToCheckKey : int { SERCHK_KeyRecID = 0, SERCHK_KeyServiceName = 1 };

// Declarations (shared, read-only).
const storage::FileDesc& SettingsDesc();
const storage::FileDesc& ServicesToCheckDesc();
const storage::FileDesc& CheckServiceLogDesc();

// The calling thread's record buffers.
SettingsRecord& Settings();
ServicesToCheckRecord& ServicesToCheck();
CheckServiceLogRecord& QuorvelCheckServiceLog();

// The calling thread's driver instances, made on first use.
storage::RecordFile& SettingsFile();
storage::RecordFile& ServicesToCheckFile();
storage::RecordFile& QuorvelCheckServiceLogFile();
// Gives the calling thread's files their declared state back: closed, under their declared
// names, with blank record buffers.
void ResetThreadFiles();

}  // namespace tarn::records
