// tarnconfig: the settings editor. Takes no arguments; runs in the terminal it is started from,
// on the data files of the current folder.
#include <cstdio>
#include <string>

#include "editor/EditorProgram.h"
#include "editor/MainWindow.h"
#include "platform/system/StandardDescriptors.h"
#include "platform/tui/TerminalFrontEnd.h"
#include "platform/tui/TerminalSession.h"

int main() {
    // Before anything is opened: a closed standard error would hand its number to a data file.
    if (!tarn::platform::OpenStandardDescriptors()) return 2;
    std::string refusal;
    auto terminal = tarn::tui::MakeTerminalFrontEnd(&refusal);
    if (!terminal) {
        std::fprintf(stderr, "tarnconfig: %s; start it from a terminal or an SSH session\n",
                     refusal.c_str());
        return 2;
    }
    terminal->Attach();
    // A hang-up or a stop request first closes the windows: an insert is cancelled, not left
    // behind as a blank record.
    terminal->CloseWindowsOnStopSignal();
    tarn::editor::StartUp();
    tarn::editor::Main();
    tarn::editor::ShutDown();
    terminal->Detach();
    tarn::tui::RaiseStopSignal();
    return 0;
}
