// tarnconfig: the settings editor. Takes no arguments; runs in the terminal it is started from,
// on the data files of the current folder.
#include <cstdio>

#include "editor/EditorProgram.h"
#include "editor/MainWindow.h"
#include "platform/tui/TerminalFrontEnd.h"

int main() {
    auto terminal = tarn::tui::MakeTerminalFrontEndIfTerminal();
    if (!terminal) {
        std::fputs("tarnconfig: needs a terminal; start it from a terminal or an SSH session\n",
                   stderr);
        return 2;
    }
    terminal->Attach();
    tarn::editor::StartUp();
    tarn::editor::Main();
    tarn::editor::ShutDown();
    terminal->Detach();
    return 0;
}
