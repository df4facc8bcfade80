#pragma once
// ConfigChecking: the settings form, where the operator sets the seconds the checker pauses
// between two passes. Whatever its caller asked, it changes the Settings record with id 1,
// creating that record with 60 seconds when it is missing.
#include "framework/resizer/WindowResizer.h"
#include "framework/toolbar/ToolbarManager.h"
#include "framework/window/WindowManager.h"
#include "platform/ui/Window.h"

namespace tarn::editor {

class ConfigCheckingForm : public framework::WindowManager {
  public:
    ConfigCheckingForm();

    ui::Window window;

    Level Initialise() override;
    // Sets the caption, then runs the base loop.
    void EventLoop() override;
    Level Shutdown() override;

  private:
    void FindOrCreateSettings();

    framework::ToolbarManager toolbar_;
    framework::WindowResizer resizer_;
};

// Runs the settings form; leaves ResponseCompleted in the shared response when it saved.
void ConfigChecking();

}  // namespace tarn::editor
