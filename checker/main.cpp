// tarnwatch: keeps the services listed in ServicesToCheck running. Takes no arguments; runs
// until it is ended from outside.
#include <csignal>

#include "checker/CheckLoop.h"

int main()
{
    // The checker is ended from outside; SIGTERM ends it at once like any other kill.
    std::signal(SIGPIPE, SIG_IGN);
    tarn::checker::StartUp();
    tarn::checker::CheckLoop();
}
