// tarnconfig: the settings editor. Takes no arguments; runs in the terminal it is started from,
// on the data files of the current folder.
#include <cstdio>
#include <string>

#include "editor/EditorProgram.h"
#include "editor/MainWindow.h"
#include "platform/system/StandardDescriptors.h"
#include "platform/tui/TerminalFrontEnd.h"

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
    tarn::editor::StartUp();
    tarn::editor::Main();
    tarn::editor::ShutDown();
    terminal->Detach();
    return 0;
}
