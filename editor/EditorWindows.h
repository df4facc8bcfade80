#pragma once
// The editor's windows, as data: the main window, the settings form, the service form and the
// services list.
// Control numbers follow the order of declaration.
#include "platform/ui/Window.h"

namespace tarn::editor {

enum MainControl : int {
    ButtonConfig = 1,
    ButtonServices,
    Main_Close,
};

enum SettingsControl : int {
    Settings_Toolbar1 = 1,
    Settings_Cancel,
    Settings_OK,
    SET_TimeBetweenCyclesInSeconds,
    SET_TimeBetweenCyclesInSeconds_Prompt,
};

enum ServiceControl : int {
    Service_Toolbar1 = 1,
    Service_Cancel,
    Service_OK,
    SERCHK_ServerName_Prompt,
    SERCHK_ServerName,
    SERCHK_ServiceName_Prompt,
    SERCHK_ServiceName,
    SERCHK_ServiceDescription_Prompt,
    SERCHK_ServiceDescription,
    SERCHK_LastChecked_Prompt,
    SERCHK_LastChecked,
    SERCHK_LastCheckedTime_Prompt,
    SERCHK_LastCheckedTime,
};

enum ServicesListControl : int {
    Services_Toolbar1 = 1,
    Services_Close,
    Change_2,
    Insert_2,
    Delete_2,
    Browse_1,
};

// Height of a form's toolbar; the form's other controls sit below it.
inline constexpr int kToolbarHeight = 25;

const ui::WindowDef& MainWindowDef();
const ui::WindowDef& SettingsFormDef();
const ui::WindowDef& ServiceFormDef();
const ui::WindowDef& ServicesListDef();

}  // namespace tarn::editor
