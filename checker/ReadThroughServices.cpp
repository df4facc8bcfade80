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
#include "platform/vuft4/LocalServices.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::checker {
namespace {

class PassProcess : public ServicePassProcess {
  public:
    // only: when not null, the services of this computer to check (the others are passed over).
    PassProcess(DailyLog& log, RestartBackoff* restarts,
                const std::vector<vuft4::UnitWatch::Stopped>* only = nullptr)
        : log_(log), only_(only) {
        Locals.Restarts = restarts;
    }

    ServiceCheckLocals Locals;

    // Checks the record once per pass (a record the pass's own write moved ahead in the order is
    // met again) and hands what the check changed to the batched write-back.
    Level TakeRecord() override {
        // Between records too: a pass over a long list is busy, not hung.
        platform::KeepAlive();
        auto& record = records::ServicesToCheck();
        std::string position = Primary->Me->CurrentPosition();
        if (only_ && !TakeStopped(record)) return LevelQuiet;
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
    // A check of stopped services asks only them, each as its record is met.
    void PassBeginning() override {
        if (!only_) AskServersOfTheList();
    }

    void PassEnding() override {
        writeBack_.Finish();
        if (!only_) EndServersOfTheList();
    }

  private:
    // Whether the record names one of the stopped services of this computer. One that had
    // stayed up before it stopped counts as found running in between, as a pass would have.
    bool TakeStopped(const records::ServicesToCheckRecord& record) {
        if (!vuft4::IsThisComputer(record.ServerName)) return false;
        const auto name =
            vuft4::UsableLocalName(Clipped(record.ServiceName, sizeof record.ServiceName));
        if (!name) return false;
        for (const vuft4::UnitWatch::Stopped& stopped : *only_) {
            if (stopped.name != *name) continue;
            if (stopped.stayedUp && Locals.Restarts) Locals.Restarts->Running(RestartKeyOf(record));
            return true;
        }
        return false;
    }

    DailyLog& log_;
    const std::vector<vuft4::UnitWatch::Stopped>* only_;
    PassWriteBack writeBack_{records::ServicesToCheckFile()};
    bool damageSaid_ = false;
};

}  // namespace

PassCounts CheckStoppedServices(DailyLog& log, RestartBackoff* restarts,
                                const std::vector<vuft4::UnitWatch::Stopped>& stopped) {
    PassProcess process(log, restarts, &stopped);
    ServicePass pass(log, process);
    framework::SharedResponse() = pass.Run();
    return process.Locals.Counts;
}

PassCounts ReadThroughServices(DailyLog& log, RestartBackoff* restarts) {
    PassProcess process(log, restarts);
    ServicePass pass(log, process);
    framework::SharedResponse() = pass.Run();
    return process.Locals.Counts;
}

}  // namespace tarn::checker
