#pragma once
// A pass over ServicesToCheck in record-number order: the progress window, the process engine
// and the files, set up and taken down in the fixed order. What is done with each record is the
// process object's TakeRecord.
#include <memory>

#include "checker/DailyLog.h"
#include "checker/ServicePassProcess.h"
#include "checker/ServicePassWindow.h"
#include "framework/locate/ProgressStepper.h"
#include "platform/storage/RecordFile.h"
#include "platform/tui/TerminalFrontEnd.h"
#include "platform/ui/Window.h"

namespace tarn::checker {

class ServicePass : public ServicePassWindow {
  public:
    // view: the view to read (a view on ServicesToCheck is made when null). The log is tried
    // again as the pass starts.
    ServicePass(DailyLog& log, ServicePassProcess& process, storage::View* view = nullptr);

    Level Initialise() override;
    Level Shutdown() override;
    // A pass that runs long shows its window on the terminal, when the checker has one.
    void OnShow() override;

    framework::ProgressStepper Stepper;
    uint8_t Percent = 0;
    ui::Window Window;

  private:
    // A list that cannot be read (its table gone, say) is said in one line, instead of a message
    // for every read the pass would try; the pass then checks nothing.
    bool ListReadable();

    DailyLog& log_;
    ServicePassProcess& process_;
    std::unique_ptr<storage::View> ownView_;
    storage::View* view_;
    bool filesOpened_ = false;
    bool logOpened_ = false;
    std::unique_ptr<tui::TerminalFrontEnd> terminal_;
};

}  // namespace tarn::checker
