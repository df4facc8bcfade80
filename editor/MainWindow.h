#pragma once
// Main: the editor's first window, with the buttons Configuration, Services and Close. Closing
// it ends the program.
#include "framework/toolbar/ToolbarManager.h"
#include "framework/window/WindowManager.h"
#include "platform/ui/Window.h"

namespace tarn::editor {

class MainWindow : public framework::WindowManager {
  public:
    MainWindow();

    ui::Window window;

    Level Initialise() override;
    Level Shutdown() override;
    // Configuration and Services run their procedure after the base handling, then refresh.
    Level OnAccepted() override;

  private:
    framework::ToolbarManager toolbar_;
};

// Runs the main window until it is closed.
void Main();

}  // namespace tarn::editor
