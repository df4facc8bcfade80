#include "data/records/Records.h"

namespace tarn::records {

using storage::FieldDesc;
using storage::FieldKind;
using storage::FileDesc;
using storage::KeyDesc;

namespace {

FieldDesc Field(const char* name, FieldKind kind, size_t offset, size_t size) {
    return FieldDesc{name, kind, uint32_t(offset), uint32_t(size)};
}

FileDesc MakeSettings() {
    FileDesc d;
    d.label = "Settings";
    d.prefix = "SET";
    d.name = "Settings";
    d.driver = "KEYED";
    d.recordSize = sizeof(SettingsRecord);
    d.fields = {
        Field("SET:RecordID", FieldKind::Long, offsetof(SettingsRecord, RecordID), 4),
        Field("SET:TimeBetweenCyclesInSeconds", FieldKind::Long,
              offsetof(SettingsRecord, TimeBetweenCyclesInSeconds), 4),
    };
    KeyDesc recId{"SET:KeyRecID", {{1, true}}};
    recId.primary = true;
    recId.description = "Set:KeyRecID";
    recId.autoNumber = true;
    d.keys = {recId};
    return d;
}

FileDesc MakeServicesToCheck() {
    using R = ServicesToCheckRecord;
    FileDesc d;
    d.label = "ServicesToCheck";
    d.prefix = "SERCHK";
    d.name = "ServicesToCheck";
    d.driver = "KEYED";
    d.recordSize = sizeof(R);
    d.fields = {
        Field("SERCHK:RecordID", FieldKind::Long, offsetof(R, RecordID), 4),
        Field("SERCHK:ServerName", FieldKind::CString, offsetof(R, ServerName),
              sizeof(R::ServerName)),
        Field("SERCHK:ServiceName", FieldKind::CString, offsetof(R, ServiceName),
              sizeof(R::ServiceName)),
        Field("SERCHK:ServiceDescription", FieldKind::CString, offsetof(R, ServiceDescription),
              sizeof(R::ServiceDescription)),
        Field("SERCHK:LastChecked", FieldKind::Long, offsetof(R, LastChecked), 4),
        Field("SERCHK:LastCheckedTime", FieldKind::Long, offsetof(R, LastCheckedTime), 4),
    };
    KeyDesc recId{"SERCHK:KeyRecID", {{1, true}}};
    recId.primary = true;
    recId.description = "SerCHK:KeyRecID";
    recId.autoNumber = true;
    // Operators type names in any case; the same service may be listed twice.
    KeyDesc serviceName{"SERCHK:KeyServiceName", {{2, true}, {3, true}}};
    serviceName.duplicates = true;
    serviceName.noCase = true;
    serviceName.description = "SerCHK:KeyServiceName";
    d.keys = {recId, serviceName};
    return d;
}

FileDesc MakeCheckServiceLog() {
    FileDesc d;
    d.label = "QuorvelCheckServiceLog";
    d.prefix = "LOGF";
    d.name = "QuorvelCheckServiceLog.log";
    d.driver = "ASCII";
    d.options = "/ENDOFRECORD=2,13,10";
    d.recordSize = sizeof(CheckServiceLogRecord);
    d.fields = {Field("LOGF:Field1", FieldKind::FixedString,
                      offsetof(CheckServiceLogRecord, Field1),
                      sizeof(CheckServiceLogRecord::Field1))};
    return d;
}

template <class Record>
uint8_t* Bytes(Record& r) {
    return reinterpret_cast<uint8_t*>(&r);
}

}  // namespace

const FileDesc& SettingsDesc() {
    static const FileDesc d = MakeSettings();
    return d;
}

const FileDesc& ServicesToCheckDesc() {
    static const FileDesc d = MakeServicesToCheck();
    return d;
}

const FileDesc& CheckServiceLogDesc() {
    static const FileDesc d = MakeCheckServiceLog();
    return d;
}

SettingsRecord& Settings() {
    thread_local SettingsRecord r{};
    return r;
}

ServicesToCheckRecord& ServicesToCheck() {
    thread_local ServicesToCheckRecord r{};
    return r;
}

CheckServiceLogRecord& QuorvelCheckServiceLog() {
    // A log line starts blank, as fixed text is.
    thread_local CheckServiceLogRecord r = [] {
        CheckServiceLogRecord blank;
        std::fill(std::begin(blank.Field1), std::end(blank.Field1), ' ');
        return blank;
    }();
    return r;
}

// The buffers are made before the files that point at them, so they outlive them.
storage::RecordFile& SettingsFile() {
    thread_local auto f = storage::MakeRecordFile(SettingsDesc(), Bytes(Settings()));
    return *f;
}

storage::RecordFile& ServicesToCheckFile() {
    thread_local auto f = storage::MakeRecordFile(ServicesToCheckDesc(), Bytes(ServicesToCheck()));
    return *f;
}

storage::RecordFile& QuorvelCheckServiceLogFile() {
    thread_local auto f =
        storage::MakeRecordFile(CheckServiceLogDesc(), Bytes(QuorvelCheckServiceLog()));
    return *f;
}

void ResetThreadFiles() {
    for (storage::RecordFile* f :
         {&SettingsFile(), &ServicesToCheckFile(), &QuorvelCheckServiceLogFile()}) {
        if (f->IsOpen()) f->Close();
        f->SetName(f->Desc().name);
        f->ClearBuffer(false);
    }
}

}  // namespace tarn::records
