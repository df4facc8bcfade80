// tarnconfig: the settings editor. Apart from --help and --version it takes no arguments; it runs
// in the terminal it is started from, on the data files of the current folder.
#include <cstdio>
#include <string>

#include "editor/EditorProgram.h"
#include "editor/MainWindow.h"
#include "platform/system/ProgramOptions.h"
#include "platform/system/StandardDescriptors.h"
#include "platform/tui/TerminalFrontEnd.h"
#include "platform/tui/TerminalSession.h"

namespace {

const tarn::platform::ProgramAbout kAbout{
    "tarnconfig", TARN_VERSION,
    "Edits the settings of the tarnwatch service watchdog in a terminal: the list of services it\n"
    "keeps running (ServicesToCheck.db) and its cycle time (Settings.db).\n",
    "It works on the data files of the current folder: start it in the checker's data folder\n"
    "(for the service, /var/lib/tarnwatch). It needs a terminal of at least 80 by 24 "
    "characters.\n\n"
    "Exit status: 0 when its main window is closed; 2 without a usable terminal or for a wrong\n"
    "command line. A hang-up or SIGTERM closes its windows and ends it by that signal.\n"};

}  // namespace

int main(int argc, char** argv) {
    // Before anything is opened: a closed standard error would hand its number to a data file.
    if (!tarn::platform::OpenStandardDescriptors()) return 2;
    if (auto code = tarn::platform::HandleProgramOptions(argc, argv, kAbout, stdout, stderr))
        return *code;
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
