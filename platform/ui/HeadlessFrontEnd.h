#pragma once
// A front end without a screen: plays a script of user steps and records what was shown.
//
// Every window that asks for input takes the next step, so nested windows consume one script in
// order; message boxes and popup menus take their answers from the same script. A step that
// cannot be played (no such control, a disabled one, a message box where a window step was
// expected, a title that does not match) is recorded in Failures() and every window still open
// is closed without asking, so nothing hangs. A hidden window takes only Wait steps. With the
// script used up, a window with a running timer gets up to IdleTimerLimit() more timer events, then
// every window is asked to close (513). Time is virtual: it moves only by Wait steps and while
// timers are waited for.
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/Control.h"
#include "platform/ui/FrontEnd.h"
#include "platform/ui/MessageBox.h"

namespace tarn::ui {

struct ControlView {
    int number = 0;
    int kind = 0;
    std::string name;
    std::string text;
    bool enabled = true;
    bool hidden = false;
    bool readOnly = false;
    bool focused = false;
    bool isDefault = false;
    int selected = 0;
    int thumb = 0;
    bool vscroll = false;
    int progress = 0;
    Rect rect;
    std::vector<std::vector<std::string>> rows;  // list rows, one text per field
};

struct WindowView {
    std::string title;
    bool hidden = false;
    Rect rect;
    std::vector<ControlView> controls;
    size_t step = 0;  // the step about to be played

    const ControlView* Control(int number) const;
};

struct Step {
    enum Kind {
        Press,
        Type,
        Key,
        Click,
        DoubleClick,
        RightClick,
        Scroll,
        Thumb,
        Popup,
        Answer,
        Resize,
        Maximize,
        Restore,
        Iconize,
        Close,
        Wait,
    };
    Kind kind = Press;
    int control = 0;   // 0 with `name`: found by name or text
    std::string name;  // "?OK", or a caption without '&' ("OK"), any case
    std::string text;  // Type: the new contents; Popup: the item's text; Key: the character
    int number = 0;    // Key: key code; Click: row; Scroll: event; Thumb: percent;
                       // Popup: item number; Answer: button bit; Wait: hundredths
    int width = 0;
    int height = 0;
    std::string window;  // the title the step expects, "" any

    std::string Describe() const;
};

class HeadlessFrontEnd : public FrontEnd, public MessageBoxFrontEnd {
  public:
    HeadlessFrontEnd();
    ~HeadlessFrontEnd() override;

    // Becomes the runtime's front end and message-box front end; Detach puts the old ones back.
    void Attach();
    void Detach();

    // Script. Each returns *this so steps chain.
    HeadlessFrontEnd& In(std::string title);  // the next step expects this window
    HeadlessFrontEnd& Press(int control);
    HeadlessFrontEnd& Press(std::string nameOrText);
    HeadlessFrontEnd& Type(int control, std::string text);
    HeadlessFrontEnd& Type(std::string nameOrText, std::string text);
    HeadlessFrontEnd& Key(int keycode, int control = 0);
    // A typed character as a key: its KeyOfChar code, the character itself for Keychar().
    HeadlessFrontEnd& Char(char c, int control = 0);
    HeadlessFrontEnd& Click(int control, int row);
    HeadlessFrontEnd& DoubleClick(int control, int row);
    HeadlessFrontEnd& RightClick(int control, int row);
    HeadlessFrontEnd& Scroll(int control, int event);
    HeadlessFrontEnd& Thumb(int control, int percent);
    HeadlessFrontEnd& ChoosePopupItem(int number);        // 0 dismisses the menu
    HeadlessFrontEnd& ChoosePopupItem(std::string text);  // by text without '&'
    HeadlessFrontEnd& Answer(int button);
    HeadlessFrontEnd& Resize(int width, int height);
    HeadlessFrontEnd& Maximize(int width, int height);
    HeadlessFrontEnd& Restore();
    HeadlessFrontEnd& Iconize();
    HeadlessFrontEnd& Close();
    HeadlessFrontEnd& Wait(int hundredths);
    HeadlessFrontEnd& Add(Step step);

    // What happened.
    const std::vector<std::string>& Failures() const { return failures_; }
    // Titles of the windows, each when it first asked for input.
    const std::vector<std::string>& Titles() const { return titles_; }
    // The window as shown before each step it took (and before each idle close).
    const std::vector<WindowView>& Views() const { return views_; }
    // The last view of the window with this title ("" the last of all); nullptr when none.
    const WindowView* LastView(std::string_view title = "") const;
    const std::vector<MessageBoxRequest>& Messages() const { return messages_; }
    const std::vector<std::vector<PopupItem>>& Popups() const { return popups_; }
    size_t Played() const { return next_; }
    size_t Remaining() const { return script_.size() - next_; }
    bool WaitCursorShown() const { return waitCursor_; }
    int Beeps() const { return beeps_; }
    void SetIdleTimerLimit(int events) { idleTimerLimit_ = events; }

    // FrontEnd
    void Opened(Window& window) override;
    void Closed(Window& window) override;
    std::optional<Input> NextInput(Window& window, int64_t deadline) override;
    int64_t Now() override { return now_; }
    int ChoosePopup(const std::vector<PopupItem>& items, int x, int y) override;
    void Beep() override { ++beeps_; }
    void CursorChanged(bool wait) override { waitCursor_ = wait; }
    // MessageBoxFrontEnd
    int Ask(const MessageBoxRequest& request) override;

  private:
    void Fail(std::string message);
    bool TitleMatches(const Step& step, const Window& window);
    std::optional<Input> Play(const Step& step, Window& window);
    int ResolveControl(const Step& step, const Window& window);
    void Record(const Window& window);

    std::vector<Step> script_;
    size_t next_ = 0;
    std::string pendingTitle_;
    std::vector<std::string> failures_;
    std::vector<std::string> titles_;
    std::vector<const Window*> fresh_;  // opened, not yet asked for input
    std::vector<WindowView> views_;
    std::vector<MessageBoxRequest> messages_;
    std::vector<std::vector<PopupItem>> popups_;
    int64_t now_ = 0;
    int64_t waitLeft_ = 0;  // the rest of a Wait step cut short by a timer
    int idleTimerLimit_ = 1000;
    int idleTimers_ = 0;
    bool waitCursor_ = false;
    int beeps_ = 0;
    bool attached_ = false;
    FrontEnd* oldFrontEnd_ = nullptr;
    MessageBoxFrontEnd* oldMessageBox_ = nullptr;
};

}  // namespace tarn::ui
