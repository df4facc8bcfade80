#include "editor/MainWindow.h"

#include "editor/ConfigChecking.h"
#include "editor/EditorWindows.h"
#include "editor/ListServices.h"
#include "errors/ErrorManager.h"
#include "platform/ui/Runtime.h"

namespace tarn::editor {

MainWindow::MainWindow() : window(MainWindowDef()) {}

Level MainWindow::Initialise() {
    errors::GlobalErrors().PushProcedureName("Main");
    Request = framework::SharedRequest();
    framework::SharedRequest() = RequestNone;
    framework::SharedResponse() = ResponseNone;
    framework::WindowManager::Initialise();
    FirstField = ButtonConfig;
    SetToolbar(toolbar_);
    AddResponseButton(Main_Close, Request == RequestSelect ? ResponseCancelled : ResponseCompleted);
    OpenWindow(window);
    RegisterKeys();
    return LevelQuiet;
}

Level MainWindow::Shutdown() {
    Level result = framework::WindowManager::Shutdown();
    errors::GlobalErrors().PopProcedureName("Main");
    return result;
}

Level MainWindow::OnAccepted() {
    Level result = framework::WindowManager::OnAccepted();
    switch (ui::Field()) {
        case ButtonConfig:
            UpdateAll();
            ConfigChecking();
            Refresh(0);
            break;
        case ButtonServices:
            UpdateAll();
            ListServices();
            Refresh(0);
            break;
        default:
            break;
    }
    return result;
}

void Main() {
    MainWindow main;
    main.Run();
}

}  // namespace tarn::editor
