// tarnwatch: keeps the services listed in ServicesToCheck running. Apart from --help and
// --version it takes no arguments; it runs until it is ended from outside.
#include <csignal>
#include <cstdio>

#include "checker/CheckLoop.h"
#include "platform/system/ProgramOptions.h"
#include "platform/system/StandardDescriptors.h"

namespace {

const tarn::platform::ProgramAbout kAbout{
    "tarnwatch", TARN_VERSION,
    "Keeps the services listed in ServicesToCheck.db running: every cycle it asks the service\n"
    "manager for each one's status, starts a service that is not running, logs what it saw and\n"
    "did, then waits for the cycle time held in Settings.db (on systemd, a listed service that\n"
    "stops meanwhile is checked at once).\n",
    "It works in the current folder (the data folder): Settings.db, ServicesToCheck.db,\n"
    "Tarnwatch.INI and the daily log logfiles/TarnwatchYYYYMMDD.log. Run as root, it refuses a\n"
    "data folder or file that another user owns or could write.\n\n"
    "Exit status: it runs until it is ended from outside; 1 after a fatal error (another\n"
    "checker in the folder, an untrusted or damaged data file); 2 for a wrong command line.\n"};

}  // namespace

int main(int argc, char** argv) {
    // Before anything is opened: a closed standard error would hand its number to a data file,
    // and the checker's messages would be written into it.
    if (!tarn::platform::OpenStandardDescriptors()) return 1;
    if (auto code = tarn::platform::HandleProgramOptions(argc, argv, kAbout, stdout, stderr))
        return *code;
    // A service tool that closes its pipe early must not end the checker. SIGTERM ends it as
    // its default does (under systemd after saying STOPPING=1): the data files survive a kill.
    std::signal(SIGPIPE, SIG_IGN);
    tarn::checker::CheckLoop(tarn::checker::StartUp());
}
