#pragma once
// The progress window of a pass: a bar, two texts and Cancel.
#include "platform/ui/Window.h"

namespace tarn::checker {

enum ProgressControl : int {
    Progress_Thermometer = 1,
    Progress_UserString,
    Progress_PctText,
    Progress_Cancel,
};

const ui::WindowDef& ProgressWindowDef();

}  // namespace tarn::checker
