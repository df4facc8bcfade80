#include "checker/ReadThroughServices.h"

#include "checker/ServiceCheck.h"
#include "checker/ServicePass.h"
#include "data/Dictionary.h"
#include "data/records/Records.h"
#include "errors/ErrorManager.h"
#include "framework/Requests.h"

namespace tarn::checker {
namespace {

class PassProcess : public ServicePassProcess {
  public:
    PassProcess(DailyLog& log, RestartBackoff* restarts) : log_(log) { Locals.Restarts = restarts; }

    ServiceCheckLocals Locals;

    // Checks the record and writes it back, keeping what the editor changed meanwhile: a
    // record changed elsewhere gets only the pass's own changes laid over it, one deleted
    // elsewhere stays deleted.
    Level TakeRecord() override {
        auto& record = records::ServicesToCheck();
        const records::ServicesToCheckRecord asRead = record;
        CheckService(Locals, log_);
        const PassChanges changes = ChangesMade(asRead, record);
        // One record that cannot be stamped must not leave the records after it unchecked.
        if (Primary->Me->UpdateKeeping([&] { ApplyChanges(changes, record); }) != LevelQuiet)
            errors::GlobalErrors().RaiseWithFile(MsgUpdateError, "Process:View");
        return LevelQuiet;
    }

  private:
    DailyLog& log_;
};

}  // namespace

void ReadThroughServices(DailyLog& log, RestartBackoff* restarts) {
    PassProcess process(log, restarts);
    ServicePass pass(log, process);
    framework::SharedResponse() = pass.Run();
}

}  // namespace tarn::checker
