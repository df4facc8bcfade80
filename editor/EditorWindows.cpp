#include "editor/EditorWindows.h"

#include <string>
#include <vector>

namespace tarn::editor {

namespace {

// Prompts take the size of their text.
constexpr unsigned kAutoSize = ui::FlagAutoWidth | ui::FlagAutoHeight;

ui::ControlDef Def(ui::ControlKind kind, std::string name, std::string text, ui::Rect rect,
                   unsigned flags = 0) {
    ui::ControlDef def;
    def.kind = kind;
    def.name = std::move(name);
    def.text = std::move(text);
    def.rect = rect;
    def.flags = flags;
    return def;
}

ui::ControlDef Prompt(std::string name, std::string text, int x, int y) {
    return Def(ui::KindPrompt, std::move(name), std::move(text), {x, y, 0, 0}, kAutoSize);
}

// The tip doubles as the status-line text.
ui::ControlDef WithTip(ui::ControlDef def, const std::string& tip) {
    def.tip = tip;
    def.status = tip;
    return def;
}

ui::ControlDef WithIcon(ui::ControlDef def, std::string icon) {
    def.icon = std::move(icon);
    return def;
}

// A control of the client area: its place is given from the toolbar's lower edge.
ui::ControlDef BelowToolbar(ui::ControlDef def) {
    def.rect.y += kToolbarHeight;
    return def;
}

// A form's toolbar (control 1) with its Cancel and OK buttons.
std::vector<ui::ControlDef> FormToolbar(int width, int cancelX, int okX) {
    ui::ControlDef cancel = WithTip(
        WithIcon(Def(ui::KindButton, "?Cancel", "&Cancel", {cancelX, 2, 49, 14}), "WACANCEL.ICO"),
        "Cancel operation");
    ui::ControlDef ok = WithTip(
        WithIcon(Def(ui::KindButton, "?OK", "&OK", {okX, 2, 49, 14}, ui::FlagDefault), "WAOK.ICO"),
        "Accept data and close the window");
    cancel.parent = 1;
    ok.parent = 1;
    return {Def(ui::KindToolbar, "?Toolbar1", "", {0, 0, width, kToolbarHeight}), cancel, ok};
}

// A form's window: its toolbar buttons stand at cancelX and okX.
ui::WindowDef Form(std::string title, std::string icon, ui::Rect rect, int cancelX, int okX) {
    ui::WindowDef d;
    d.title = std::move(title);
    d.icon = std::move(icon);
    d.font = "Microsoft Sans Serif";
    d.fontSize = 8;
    d.rect = rect;
    d.controls = FormToolbar(rect.width, cancelX, okX);
    return d;
}

}  // namespace

const ui::WindowDef& MainWindowDef() {
    static const ui::WindowDef def = [] {
        ui::WindowDef d;
        d.title = "Quorvel Service Check Settings";
        d.icon = "servicecalllines.ico";
        d.font = "Segoe UI";
        d.fontSize = 9;
        d.rect = {0, 0, 300, 150};
        // Tab order Configuration, Services, Close; on screen Close stands leftmost.
        d.controls = {
            WithIcon(Def(ui::KindButton, "?ButtonConfig", "Configuration", {74, 2, 59, 41}),
                     "servicecalls.ico"),
            WithIcon(Def(ui::KindButton, "?ButtonServices", "Services", {142, 2, 59, 41}),
                     "servicecalllines.ico"),
            WithIcon(Def(ui::KindButton, "?Close", "Close", {2, 2, 59, 41}), "close.ico"),
        };
        return d;
    }();
    return def;
}

const ui::WindowDef& SettingsFormDef() {
    static const ui::WindowDef def = [] {
        ui::WindowDef d = Form("Form Settings", "gears.ico", {0, 0, 287, 145}, 4, 57);
        const std::vector<ui::ControlDef> client = {
            Def(ui::KindEntry, "?SET:TimeBetweenCyclesInSeconds", "@n14@", {140, 29, 60, 10}),
            Prompt("?SET:TimeBetweenCyclesInSeconds:Prompt", "Time Between Cycles In Seconds:", 11,
                   28),
        };
        for (const ui::ControlDef& c : client) d.controls.push_back(BelowToolbar(c));
        return d;
    }();
    return def;
}

const ui::WindowDef& ServiceFormDef() {
    // 310 units (77 cells) wide, so that the form fits an 80-column terminal with its frame;
    // each entry stands one blank cell past the longest prompt of its column.
    static const ui::WindowDef def = [] {
        ui::WindowDef d = Form("ServicesToCheck", "servicecalllines.ico", {0, 0, 310, 150}, 2, 55);
        const std::vector<ui::ControlDef> client = {
            Prompt("?SERCHK:ServerName:Prompt", "Server Name:", 3, 5),
            WithTip(Def(ui::KindEntry, "?SERCHK:ServerName", "@s127@", {84, 5, 222, 10}),
                    "The PC/Server that is the target - defaults to local PC"),
            Prompt("?SERCHK:ServiceName:Prompt", "Service Name:", 3, 20),
            WithTip(Def(ui::KindEntry, "?SERCHK:ServiceName", "@s127@", {84, 20, 222, 10}),
                    "Enter the name in the same case as the windows services"),
            Prompt("?SERCHK:ServiceDescription:Prompt", "Service Description:", 3, 38),
            WithTip(Def(ui::KindTextBox, "?SERCHK:ServiceDescription", "", {84, 38, 222, 30}),
                    "Optional"),
            Prompt("?SERCHK:LastChecked:Prompt", "Last Checked:", 2, 76),
            Def(ui::KindString, "?SERCHK:LastChecked", "@d08-b@", {61, 76, 55, 10}),
            Prompt("?SERCHK:LastCheckedTime:Prompt", "Last Checked Time:", 132, 76),
            Def(ui::KindString, "?SERCHK:LastCheckedTime", "@t06b@", {208, 76, 53, 10}),
        };
        for (const ui::ControlDef& c : client) d.controls.push_back(BelowToolbar(c));
        return d;
    }();
    return def;
}

const ui::WindowDef& ServicesListDef() {
    static const ui::WindowDef def = [] {
        ui::WindowDef d;
        d.title = "Services To Check";
        d.icon = "servicecalllines.ico";
        d.font = "Microsoft Sans Serif";
        d.fontSize = 8;
        d.rect = {0, 0, 300, 150};
        auto tool = [](const char* name, const char* text, const char* icon, const char* tip, int x,
                       unsigned flags = 0) {
            ui::ControlDef c = WithTip(
                WithIcon(Def(ui::KindButton, name, text, {x, 2, 49, 14}, flags), icon), tip);
            c.parent = Services_Toolbar1;
            return c;
        };
        ui::ControlDef list =
            BelowToolbar(Def(ui::KindList, "?Browse:1", "", {3, 4, 295, 119}, ui::FlagVScroll));
        list.status = "Browsing the ServicesToCheck file";
        list.format =
            "[80L(2)|M~Server Name~@s127@/80L(2)|M~Service Name~@s127@/]|"
            "[80R(2)|M~Last Checked~C(0)@d08-b@/80R(2)|M~Last Checked Time~C(0)@t06b@/]|"
            "80L(2)|M~Service Description~S(1)@s254@";
        d.controls = {
            Def(ui::KindToolbar, "?Toolbar1", "", {0, 0, 300, kToolbarHeight}),
            tool("?Close", "&Close", "WACLOSE.ICO", "Close Window", 2),
            tool("?Change:2", "&Change", "WACHANGE.ICO", "Change the Record", 114, ui::FlagDefault),
            tool("?Insert:2", "&Insert", "WAINSERT.ICO", "Insert a Record", 61),
            tool("?Delete:2", "&Delete", "WADELETE.ICO", "Delete the Record", 167),
            list,
        };
        return d;
    }();
    return def;
}

}  // namespace tarn::editor
