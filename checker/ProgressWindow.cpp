#include "checker/ProgressWindow.h"

namespace tarn::checker {

const ui::WindowDef& ProgressWindowDef() {
    static const ui::WindowDef def = [] {
        ui::WindowDef d;
        d.title = "Progress...";
        d.font = "Microsoft Sans Serif";
        d.fontSize = 8;
        d.rect = {0, 0, 142, 59};
        d.controls = {
            {ui::KindProgress, "?Progress:Thermometer", "", {15, 15, 111, 12}},
            {ui::KindString, "?Progress:UserString", "", {0, 3, 141, 10}, ui::FlagCentred},
            {ui::KindString, "?Progress:PctText", "", {0, 30, 141, 10}, ui::FlagCentred},
            {ui::KindButton,
             "?Progress:Cancel",
             "Cancel",
             {46, 42, 49, 15},
             0,
             "WACANCEL.ICO",
             "Cancel Process"},
        };
        return d;
    }();
    return def;
}

}  // namespace tarn::checker
