#include "editor/EditorProgram.h"

#include "data/Dictionary.h"
#include "errors/ErrorManager.h"
#include "framework/ini/IniStore.h"
#include "framework/window/HistoryWindow.h"
#include "framework/window/Requests.h"

namespace tarn::editor {

void StartUp() {
    framework::SharedRequest() = RequestNone;
    framework::SharedResponse() = ResponseNone;
    framework::FormNavigationRequest() = NavigationNone;
    errors::GlobalErrors().Init();
    framework::InstallHistoryWindow(errors::GlobalErrors());
    framework::GlobalIniStore().Open("./Tarnconfig.INI");
    data::DictionaryInit();
}

void ShutDown() {
    framework::IniStore& ini = framework::GlobalIniStore();
    ini.BeforeClose();
    ini.Close();
    data::DictionaryKill();
    errors::GlobalErrors().Shutdown();
}

}  // namespace tarn::editor
