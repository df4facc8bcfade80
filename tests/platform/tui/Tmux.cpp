#include "Tmux.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace tarn::tui::testing {

std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

bool Tmux::Available() { return std::system("tmux -V >/dev/null 2>&1") == 0; }

Tmux::Tmux() {
    static int counter = 0;
    socket_ = "tarn-tui-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

Tmux::~Tmux() { Run("kill-server"); }

std::string Tmux::Run(const std::string& args) const {
    std::string command = "tmux -L " + socket_ + " -f /dev/null " + args + " 2>/dev/null";
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

bool Tmux::Start(const std::string& command, int cols, int lines) {
    Run("new-session -d -s t -x " + std::to_string(cols) + " -y " + std::to_string(lines) + " " +
        ShellQuote(command));
    return Run("has-session -t t; echo $?").find('0') == 0;
}

void Tmux::Keys(const std::string& keys) { Run("send-keys -t t " + keys); }

void Tmux::Type(const std::string& text) { Run("send-keys -t t -l " + ShellQuote(text)); }

void Tmux::ResizeTo(int cols, int lines) {
    Run("resize-window -t t -x " + std::to_string(cols) + " -y " + std::to_string(lines));
}

std::string Tmux::Format(const std::string& format) const {
    std::string out = Run("display-message -p -t t " + ShellQuote(format));
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

std::vector<std::string> Tmux::Lines(const std::string& args) const {
    std::vector<std::string> lines;
    std::istringstream in(Run(args));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> Tmux::Screen() const { return Lines("capture-pane -p -t t"); }

std::vector<std::string> Tmux::StyledScreen() const { return Lines("capture-pane -e -N -p -t t"); }

bool Tmux::WaitFor(const std::function<bool(const std::vector<std::string>&)>& seen,
                   std::vector<std::string>* last, std::chrono::milliseconds limit) const {
    auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        std::vector<std::string> screen = Screen();
        bool ok = seen(screen);
        if (last) *last = screen;
        if (ok) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
}

bool Tmux::WaitForText(const std::string& text, std::vector<std::string>* last) const {
    return WaitFor(
        [&](const std::vector<std::string>& screen) {
            for (const std::string& l : screen)
                if (l.find(text) != std::string::npos) return true;
            return false;
        },
        last);
}

std::string At(const std::vector<std::string>& screen, int row, int col, size_t length) {
    if (row < 0 || row >= static_cast<int>(screen.size())) return "";
    const std::string& line = screen[row];
    if (col >= static_cast<int>(line.size())) return "";
    return line.substr(col, length);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool WaitForFileText(const std::string& path, const std::string& text,
                     std::chrono::milliseconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (ReadFile(path).find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    return true;
}

}  // namespace tarn::tui::testing
