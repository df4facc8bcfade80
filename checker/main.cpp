// tarnwatch: keeps the services listed in ServicesToCheck running. Takes no arguments; runs
// until it is ended from outside.
#include <csignal>

#include "checker/CheckLoop.h"
#include "platform/system/StandardDescriptors.h"

int main() {
    // Before anything is opened: a closed standard error would hand its number to a data file,
    // and the checker's messages would be written into it.
    if (!tarn::platform::OpenStandardDescriptors()) return 1;
    // A service tool that closes its pipe early must not end the checker. SIGTERM ends it as
    // its default does (under systemd after saying STOPPING=1): the data files survive a kill.
    std::signal(SIGPIPE, SIG_IGN);
    tarn::checker::CheckLoop(tarn::checker::StartUp());
}
