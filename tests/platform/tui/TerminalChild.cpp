// The program the screen tests run under tmux: this test binary started with TARN_TUI_CHILD
// set plays one scenario before the tests' own main runs, logs what the runtime delivered to
// TARN_TUI_LOG and exits.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/system/Process.h"
#include "platform/tui/TerminalFrontEnd.h"
#include "platform/ui/Events.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Runtime.h"
#include "platform/ui/Window.h"

namespace {

using namespace tarn::ui;

FILE* gLog = nullptr;

void Log(const std::string& line) {
    std::fprintf(gLog, "%s\n", line.c_str());
    std::fflush(gLog);
}

ControlDef Def(ControlKind kind, std::string text, Rect rect, unsigned flags = 0) {
    ControlDef d;
    d.kind = kind;
    d.text = std::move(text);
    d.rect = rect;
    d.flags = flags;
    return d;
}

// Logs every event until the window closes.
void Run(Window& w) {
    w.Open();
    while (Accept(w)) {
        const EventRecord& e = CurrentEvent();
        std::string line = std::to_string(e.event) + " " + std::to_string(e.control);
        if (const Control* c = w.Get(e.control)) {
            line += " [" + c->text + "]";
            if (c->kind == KindList) line += " row " + std::to_string(c->selected);
            if (e.event == EventScrollDrag) line += " thumb " + std::to_string(c->thumb);
        }
        if (e.event == EventAlertKey) {
            line += " key " + std::to_string(Keycode());
            if (Keychar() != 0) line += " char " + std::string(1, static_cast<char>(Keychar()));
        }
        if (e.event == EventSized)
            line += " " + std::to_string(w.rect.width) + "x" + std::to_string(w.rect.height);
        Log(line);
        // Work that takes a while shows the wait cursor.
        if (e.event == EventAccepted && w.Get(e.control) && w.Get(e.control)->text == "OK")
            SetWaitCursor(true);
    }
}

void Form(const std::string& name = "") {
    WindowDef def;
    def.title = "Edit Service";
    def.rect = {0, 0, 200, 80};
    def.controls = {
        Def(KindPrompt, "&Name:", {8, 8, 40, 8}),
        Def(KindEntry, "@s20@", {52, 8, 100, 8}),
        Def(KindButton, "OK", {40, 56, 48, 16}, FlagDefault),
        Def(KindButton, "Cancel", {104, 56, 48, 16}),
    };
    Window w(def);
    w.Get(2)->text = name;
    w.Get(2)->status = "Name of the service";
    w.Get(3)->tip = "Accept data and close the window";
    w.Get(4)->icon = "WACANCEL.ICO";
    w.Alert(0, CtrlH);
    Run(w);
}

// A cycle-time entry whose number must fit 32 bits.
void Number() {
    WindowDef def;
    def.title = "Edit Settings";
    def.rect = {0, 0, 200, 80};
    def.controls = {
        Def(KindEntry, "@n14@", {52, 8, 60, 8}),
        Def(KindButton, "OK", {40, 56, 48, 16}, FlagDefault),
    };
    Window w(def);
    int32_t seconds = 60;
    w.Bind(1, Binding::Int(&seconds, "n14"));
    w.Display(1);
    Run(w);
}

void Progress() {
    WindowDef def;
    def.title = "Checking";
    def.rect = {0, 0, 200, 48};
    def.controls = {
        Def(KindProgress, "", {20, 16, 160, 8}),
        Def(KindString, "half way", {0, 32, 200, 8}, FlagCentred),
    };
    Window w(def);
    w.Get(1)->progress = 50;
    Run(w);
}

class Services : public RowSource {
  public:
    int RowCount() const override { return 5; }
    CellValue Cell(int row, int field) const override {
        if (field == 1) return "svc" + std::to_string(row);
        return static_cast<int64_t>(row * 10);
    }
};

void List() {
    static Services rows;
    WindowDef def;
    def.title = "Services";
    def.rect = {0, 0, 160, 48};
    ControlDef list = Def(KindList, "", {0, 0, 160, 40}, FlagVScroll);
    list.format = "60L~Name~|40R~Count~";
    def.controls = {list};
    Window w(def);
    w.SetRows(1, &rows);
    w.SetSelected(1, 2);
    for (int key : std::initializer_list<int>{AppsKey, CtrlEnter, ShiftEnter, InsertKey, DeleteKey,
                                              MouseLeft2, MouseRight, KeyOfChar('a'),
                                              KeyOfChar('A'), KeyOfChar('.')})
        w.Alert(1, key);
    Run(w);
}

void Box() {
    MessageBoxRequest r;
    r.text = "First line|Second line";
    r.title = "Question";
    r.buttons = 2 + 4 + 64;  // Yes, No, Cancel
    r.defaultButton = 2;
    Log("answer " + std::to_string(ShowMessageBox(r)));
}

// A message longer than any terminal is wide.
void LongBox() {
    MessageBoxRequest r;
    r.text =
        "This record was changed by another station. Those changes will now be displayed. Use "
        "the Ditto Button or Ctrl+H to recall your changes.";
    r.title = "Record Was Not Updated";
    r.buttons = 1;
    r.defaultButton = 1;
    Log("answer " + std::to_string(ShowMessageBox(r)));
}

int RunChildIfAsked() {
    const char* scenario = std::getenv("TARN_TUI_CHILD");
    const char* log = std::getenv("TARN_TUI_LOG");
    if (!scenario || !log) return 0;
    gLog = std::fopen(log, "w");
    std::string refusal;
    auto frontEnd = tarn::tui::MakeTerminalFrontEnd(&refusal);
    if (!frontEnd) {
        Log(refusal);
        std::exit(2);
    }
    if (FILE* pid = std::fopen((std::string(log) + ".pid").c_str(), "w")) {
        std::fprintf(pid, "%d\n", static_cast<int>(getpid()));
        std::fclose(pid);
    }
    frontEnd->Attach();
    std::string name = scenario;
    if (name == "fatal") {
        WindowDef def;
        def.title = "Fatal";
        def.rect = {0, 0, 120, 40};
        Window w(def);
        w.Open();
        Box();
        tarn::platform::Halt(1, "Fatal");
    }
    if (name == "form") Form();
    if (name == "filled") Form("60");
    if (name == "number") Number();
    if (name == "progress") Progress();
    if (name == "box") Box();
    if (name == "longbox") LongBox();
    if (name == "utf8") Form("日本");
    if (name == "controls") Form("a\nb\bc\rd");
    if (name == "list") List();
    Log(frontEnd->Active() ? "curses still active" : "terminal restored");
    std::printf("plain output after the window\n");
    std::fflush(stdout);
    std::exit(0);
}

const int gChild = RunChildIfAsked();

}  // namespace
