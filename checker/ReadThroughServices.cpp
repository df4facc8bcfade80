#include "checker/ReadThroughServices.h"

#include "checker/ServiceCheck.h"
#include "checker/ServicePass.h"
#include "data/DataFileManagers.h"
#include "data/records/Records.h"
#include "errors/ErrorManager.h"
#include "framework/Requests.h"
#include "platform/system/LastError.h"

namespace tarn::checker {
namespace {

// Writes the record back under watch. A record another station changed meanwhile is read again
// and gets only the pass's own changes; a record deleted meanwhile is skipped. False when the
// write failed for any other reason.
bool WriteBack(storage::RecordFile& file, const records::ServicesToCheckRecord& asRead) {
    auto& record = records::ServicesToCheck();
    const PassChanges changes = ChangesMade(asRead, record);
    const std::string position = file.Position(-1);
    for (int attempt = 0; attempt < 10; ++attempt) {
        file.Watch();
        int rc = file.Put();
        if (rc == 0 || rc == platform::kRecordNotFound) return true;
        if (rc != platform::kChangedByOther) return false;
        rc = file.Reget(position, -1);
        if (rc == platform::kRecordNotFound) return true;
        if (rc != 0) return false;
        ApplyChanges(changes, record);
    }
    return false;
}

class PassProcess : public ServicePassProcess {
  public:
    explicit PassProcess(DailyLog& log) : log_(log) {}

    ServiceCheckLocals Locals;

    Level TakeRecord() override {
        const records::ServicesToCheckRecord asRead = records::ServicesToCheck();
        CheckService(Locals, log_);
        // One record that cannot be stamped must not leave the records after it unchecked.
        if (!WriteBack(*Primary->Me->File, asRead))
            errors::GlobalErrors().RaiseWithFile(MsgUpdateError, "Process:View");
        return LevelQuiet;
    }

  private:
    DailyLog& log_;
};

}  // namespace

void ReadThroughServices(DailyLog& log) {
    PassProcess process(log);
    ServicePass pass(log, process);
    framework::SharedResponse() = pass.Run();
}

}  // namespace tarn::checker
