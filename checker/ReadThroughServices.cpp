#include "checker/ReadThroughServices.h"

#include "checker/PassServers.h"
#include "checker/PassWriteBack.h"
#include "checker/ServiceCheck.h"
#include "checker/ServicePass.h"
#include "checker/StderrNotice.h"
#include "data/Dictionary.h"
#include "data/records/Records.h"
#include "errors/ErrorManager.h"
#include "framework/window/Requests.h"
#include "platform/system/Watchdog.h"

namespace tarn::checker {
namespace {

class PassProcess : public ServicePassProcess {
  public:
    PassProcess(DailyLog& log, RestartBackoff* restarts) : log_(log) { Locals.Restarts = restarts; }

    ServiceCheckLocals Locals;

    // Checks the record once per pass (a record the pass's own write moved ahead in the order is
    // met again) and hands what the check changed to the batched write-back.
    Level TakeRecord() override {
        // Between records too: a pass over a long list is busy, not hung.
        platform::KeepAlive();
        auto& record = records::ServicesToCheck();
        std::string position = Primary->Me->CurrentPosition();
        if (writeBack_.Seen(position)) return LevelQuiet;
        const records::ServicesToCheckRecord asRead = record;
        CheckService(Locals, log_);
        writeBack_.Add(std::move(position), ChangesMade(asRead, record));
        return LevelQuiet;
    }

    // Said once per pass: every record that can still be read is checked all the same.
    void ReadDamaged(const std::string& what) override {
        if (damageSaid_) return;
        damageSaid_ = true;
        const std::string list = records::ServicesToCheckFile().Name();
        SayOnStderr("the list of services " + list + " is damaged: " + what +
                    "; every record that can still be read is checked");
        log_.ListDamaged(list + ": " + what);
    }

    // The list's services are asked all at once: this computer's together, each other
    // computer's in one command.
    void PassBeginning() override { AskServersOfTheList(); }

    void PassEnding() override {
        writeBack_.Finish();
        EndServersOfTheList();
    }

  private:
    DailyLog& log_;
    PassWriteBack writeBack_{records::ServicesToCheckFile()};
    bool damageSaid_ = false;
};

}  // namespace

PassCounts ReadThroughServices(DailyLog& log, RestartBackoff* restarts) {
    PassProcess process(log, restarts);
    ServicePass pass(log, process);
    framework::SharedResponse() = pass.Run();
    return process.Locals.Counts;
}

}  // namespace tarn::checker
