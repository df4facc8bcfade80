#include "platform/tui/TerminalSession.h"

#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "platform/tui/Curses.h"

namespace tarn::tui {

namespace {

std::atomic<bool> gActive{false};
SCREEN* gScreen = nullptr;
int gErase = 127;
struct sigaction gOldTerm {};
struct sigaction gOldInt {};
struct sigaction gOldHup {};

void RestoreTerminal() {
    if (gActive.exchange(false)) endwin();
}

void PutBackHandlers() {
    sigaction(SIGTERM, &gOldTerm, nullptr);
    sigaction(SIGINT, &gOldInt, nullptr);
    sigaction(SIGHUP, &gOldHup, nullptr);
}

std::atomic<int> gStopSignal{0};
std::atomic<int> gStopWake{-1};

// Notes a deferred stop signal and wakes the program; false when it is not deferred.
bool DeferStop(int signal) {
    const int wake = gStopWake.load();
    if ((signal != SIGHUP && signal != SIGTERM) || wake < 0) return false;
    int none = 0;
    if (!gStopSignal.compare_exchange_strong(none, signal)) return false;  // the second one
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(wake, &byte, 1);
    return true;
}

// Restores the terminal, then lets the signal do what it would have done without us.
void OnSignal(int signal) {
    if (DeferStop(signal)) return;
    RestoreTerminal();
    PutBackHandlers();
    const struct sigaction& old = signal == SIGTERM  ? gOldTerm
                                  : signal == SIGINT ? gOldInt
                                                     : gOldHup;
    if (old.sa_handler == SIG_IGN) return;
    if (old.sa_handler == SIG_DFL) {
        raise(signal);
        return;
    }
    if (old.sa_flags & SA_SIGINFO) return;  // cannot be called without its siginfo
    old.sa_handler(signal);
}

void InstallHandlers() {
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, &gOldTerm);
    sigaction(SIGINT, &sa, &gOldInt);
    sigaction(SIGHUP, &sa, &gOldHup);  // the SSH link dropped
}

void AtExit() { RestoreTerminal(); }

bool CreateScreen() {
    static bool registered = false;
    if (!registered) {
        registered = true;
        std::atexit(AtExit);
        std::at_quick_exit(AtExit);
    }
    struct termios settings {};
    if (tcgetattr(STDIN_FILENO, &settings) == 0 && settings.c_cc[VERASE] != _POSIX_VDISABLE)
        gErase = settings.c_cc[VERASE];
    // The user's character set (UTF-8 names drawn as characters); only LC_CTYPE, so that numbers
    // are still read and written the one way the data files hold them.
    std::setlocale(LC_CTYPE, "");
    gScreen = newterm(nullptr, stdout, stdin);
    if (!gScreen) return false;
    set_term(gScreen);
    // Backspace and Ctrl+H are told apart by the erase character, not by the terminal's
    // description: both bytes arrive as they are.
    define_key("\b", 0);
    define_key("\177", 0);
    raw();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    set_escdelay(25);
    mousemask(BUTTON1_PRESSED | BUTTON1_RELEASED | BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED |
                  BUTTON3_PRESSED | BUTTON4_PRESSED
#ifdef BUTTON5_PRESSED
                  | BUTTON5_PRESSED
#endif
              ,
              nullptr);
    // Presses and releases as they come (after mousemask, which sets its own interval): the
    // front end makes clicks, double clicks and thumb drags of them. Curses still makes a click
    // of a press and release that arrive in one read.
    mouseinterval(0);
    return true;
}

}  // namespace

bool StartCurses() {
    if (gActive) return true;
    std::fflush(stdout);
    if (!gScreen) {
        if (!CreateScreen()) return false;
    } else {
        reset_prog_mode();
    }
    gActive = true;
    InstallHandlers();
    clear();
    refresh();
    return true;
}

void StopCurses() {
    if (!gActive) return;
    RestoreTerminal();
    PutBackHandlers();
}

bool CursesActive() { return gActive; }

void DeferStopSignals(int wakeFd) { gStopWake = wakeFd; }

int StopSignal() { return gStopSignal; }

void RaiseStopSignal() {
    const int signal = gStopSignal;
    if (signal == 0) return;
    StopCurses();
    struct sigaction sa {};
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    sigaction(signal, &sa, nullptr);
    raise(signal);
}

int EraseChar() { return gErase; }

}  // namespace tarn::tui
