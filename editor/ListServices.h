#pragma once
// ListServices: the list of every service of ServicesToCheck, by server and service name, from
// which the operator inserts, changes and deletes services through the service form.
//
// While the list waits for input it asks the file, on a timer, whether another program (the
// checker) wrote to it, and refreshes itself when it did, so that Last Checked stays current. A
// form or message open over the list holds its window's events back, so no refresh happens
// under them.
#include <memory>

#include "editor/EditorWindows.h"
#include "editor/ServicesBrowse.h"
#include "framework/browse/BrowseManager.h"
#include "framework/browse/BrowseQueue.h"
#include "framework/resizer/WindowResizer.h"
#include "framework/toolbar/ToolbarManager.h"
#include "framework/window/WindowManager.h"
#include "platform/ui/Window.h"

namespace tarn::editor {

// The update procedure, as the browse knows it.
inline constexpr int32_t kUpdateServicesProcedure = 1;
// How often the open list asks whether the file changed, in hundredths of a second.
inline constexpr int kLiveRefreshInterval = 100;

class ServicesList : public framework::WindowManager {
  public:
    ServicesList();

    ui::Window window;
    framework::BrowseQueue queue;
    ServicesBrowse browse;

    Level Initialise() override;
    Level Shutdown() override;
    // Runs the service form with the request, unless the list itself was opened to view.
    uint8_t RunProcedure(int32_t procedure, uint8_t request) override;

  private:
    void AddOrder();
    void BindQueue();

    framework::ToolbarManager toolbar_;
    framework::WindowResizer resizer_;
};

// Runs the list; leaves its response in the shared response.
void ListServices();

}  // namespace tarn::editor
