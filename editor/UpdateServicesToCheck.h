#pragma once
// UpdateServicesToCheck: the service form, run by the services list to insert, change, delete
// (without showing itself) or view one record of ServicesToCheck.
#include "framework/resizer/WindowResizer.h"
#include "framework/toolbar/ToolbarManager.h"
#include "framework/window/WindowManager.h"
#include "platform/ui/Window.h"

namespace tarn::editor {

class ServiceForm : public framework::WindowManager {
  public:
    ServiceForm();

    ui::Window window;

    Level Initialise() override;
    // Sets the caption for the request, then runs the base loop.
    void EventLoop() override;
    Level Shutdown() override;
    // A new record starts with this computer's name as its server.
    void FillNewRecord() override;
    // OK in a view form closes it; nothing can be saved there.
    Level OnAccepted() override;

  private:
    void AddHistory();
    void SetActions(bool viewing);
    void BindFields();

    framework::ToolbarManager toolbar_;
    framework::WindowResizer resizer_;
};

// Runs the form for the shared request; leaves ResponseCompleted in the shared response when it
// saved or deleted, ResponseCancelled otherwise.
void UpdateServicesToCheck();

}  // namespace tarn::editor
