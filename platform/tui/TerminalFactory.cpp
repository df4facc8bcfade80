// Whether this process has a terminal to show windows on.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/tui/Curses.h"
#include "platform/tui/TerminalFrontEnd.h"
// Last: its macros (lines, columns) would rewrite names in the headers above.
#include <term.h>

namespace tarn::tui {

namespace {

// Why curses cannot run here; "" when it can.
std::string Refusal() {
    if (!isatty(STDIN_FILENO)) return "standard input is not a terminal";
    if (!isatty(STDOUT_FILENO)) return "standard output is not a terminal";
    const char* term = std::getenv("TERM");
    if (!term || !*term) return "TERM is not set";
    int error = 0;
    TERMINAL* old = cur_term;
    if (setupterm(term, STDOUT_FILENO, &error) != OK)
        return "terminal type \"" + std::string(term) + "\" is unknown";
    // Windows are drawn at places on the screen: a terminal that cannot move its cursor there
    // (dumb, a printing terminal) would show nothing.
    const char* move = tigetstr("cup");
    const bool addressable = move != nullptr && move != reinterpret_cast<char*>(-1);
    // Only a question: the screen is made later by newterm.
    del_curterm(cur_term);
    set_curterm(old);
    if (!addressable) return "terminal type \"" + std::string(term) + "\" cannot move the cursor";
    return "";
}

}  // namespace

std::unique_ptr<TerminalFrontEnd> MakeTerminalFrontEnd(std::string* refusal) {
    std::string why = Refusal();
    if (refusal) *refusal = why.empty() ? "" : "needs a terminal (" + why + ")";
    if (!why.empty()) return nullptr;
    return std::make_unique<TerminalFrontEnd>();
}

std::unique_ptr<TerminalFrontEnd> MakeTerminalFrontEndIfTerminal() {
    return MakeTerminalFrontEnd(nullptr);
}

}  // namespace tarn::tui
