#pragma once
// A tmux server of its own for one test: runs a command in a pane of a fixed size, sends keys
// and reads the screen back.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tarn::tui::testing {

// How long a screen or a file is waited for: far more than an idle machine needs (the waits end
// as soon as the condition holds), so that a loaded one passes too.
constexpr std::chrono::seconds kPatience{30};

// `text` quoted for sh, every byte kept as it is.
std::string ShellQuote(const std::string& text);

class Tmux {
  public:
    static bool Available();

    Tmux();
    ~Tmux();
    // Starts `command` (run by sh) in a detached session of cols x lines.
    bool Start(const std::string& command, int cols, int lines);
    void Keys(const std::string& keys);  // tmux key names, e.g. "Tab" "Escape" "C-a"
    void Type(const std::string& text);  // literal text
    void ResizeTo(int cols, int lines);
    std::vector<std::string> Screen() const;
    // The screen with its colours and attributes as escape sequences, trailing blanks kept.
    std::vector<std::string> StyledScreen() const;
    // A tmux format of the pane, e.g. "#{cursor_flag}".
    std::string Format(const std::string& format) const;
    // Polls the screen until `seen` holds or the time is up; the last screen in `*last`.
    bool WaitFor(const std::function<bool(const std::vector<std::string>&)>& seen,
                 std::vector<std::string>* last = nullptr,
                 std::chrono::milliseconds limit = kPatience) const;
    bool WaitForText(const std::string& text, std::vector<std::string>* last = nullptr) const;

  private:
    std::string Run(const std::string& args) const;
    std::vector<std::string> Lines(const std::string& args) const;
    std::string socket_;
};

// The text of `screen` at (row, col), `length` characters ("" beyond the screen).
std::string At(const std::vector<std::string>& screen, int row, int col, size_t length);
// Reads a whole file; "" when it is missing.
std::string ReadFile(const std::string& path);
// Polls a file until it contains `text`.
bool WaitForFileText(const std::string& path, const std::string& text,
                     std::chrono::milliseconds limit = kPatience);

}  // namespace tarn::tui::testing
