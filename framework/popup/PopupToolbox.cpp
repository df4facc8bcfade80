// The toolbox: the menu's items as a floating window of buttons on a thread of its own.
#include <algorithm>

#include "framework/popup/PopupMenu.h"
#include "platform/ui/Events.h"
#include "platform/ui/Runtime.h"
#include "platform/ui/Window.h"

namespace tarn::framework {

namespace {

constexpr int kGap = 2;
constexpr int kButtonHeight = 14;
constexpr int kIconWidth = 16;

// A caption as a tooltip: each "&" removed, "&&" kept as one "&".
std::string TipOf(const std::string& text) {
    std::string tip;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            tip += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '&') {
            tip += '&';
            ++i;
        }
    }
    return tip;
}

}  // namespace

void PopupMenu::Toolbox(const std::string& title) {
    if (InToolbox.exchange(1)) return;
    if (toolboxThread_.joinable()) toolboxThread_.join();  // the one closed before
    ParentWindow = ui::CurrentWindow();
    stopToolbox_ = false;
    // Done here rather than on the toolbox thread: the parent's controls belong to this thread.
    SetParentControls(false);
    toolboxThread_ = std::thread(&PopupMenu::RunToolbox, this, title);
}

void PopupMenu::SetParentControls(bool restore) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!restore) disabledByToolbox_.clear();
    if (!ParentWindow) return;
    for (const PopupMenuItem& item : PopupItems) {
        if (item.OnToolbox || item.IsSeparator()) continue;
        ui::Control* control = ParentWindow->Get(item.ControlId);
        if (!control) continue;
        if (!restore) {
            control->disabled = true;
            disabledByToolbox_.push_back(item.ControlId);
        } else if (item.Disabled != 1 &&
                   std::find(disabledByToolbox_.begin(), disabledByToolbox_.end(),
                             item.ControlId) != disabledByToolbox_.end()) {
            control->disabled = false;
        }
    }
}

void PopupMenu::BuildToolboxButtons(ui::Window& toolbox, std::vector<size_t>& buttonItems) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    buttonItems.clear();
    int x = kGap;
    for (size_t i = 0; i < PopupItems.size(); ++i) {
        if (!PopupItems[i].OnToolbox || PopupItems[i].IsSeparator() || IsHeader(i)) continue;
        PopupMenuItem item = Shown(i, ParentWindow);
        buttonItems.push_back(i);
        int number = static_cast<int>(buttonItems.size());
        if (!toolbox.Get(number)) toolbox.AddControl(ui::ControlDef{.kind = ui::KindButton});
        ui::Control& button = *toolbox.Get(number);
        bool withIcon = !item.Icon.empty();
        button.icon = item.Icon;
        button.text = withIcon ? std::string() : item.Text;
        button.tip = withIcon ? TipOf(item.Text) : std::string();
        int width = withIcon ? kIconWidth : 4 * static_cast<int>(TipOf(item.Text).size()) + 8;
        button.rect = {x, kGap, width, kButtonHeight};
        button.disabled = item.Disabled == 1;
        button.hidden = false;
        x += width + kGap;
    }
    // Buttons of items gone since the last build stay out of sight.
    for (int n = static_cast<int>(buttonItems.size()) + 1; n <= toolbox.ControlCount(); ++n) {
        toolbox.Get(n)->hidden = true;
        toolbox.Get(n)->disabled = true;
    }
    toolbox.rect.width = x;
    toolbox.rect.height = kButtonHeight + 2 * kGap;
}

void PopupMenu::RunToolbox(std::string title) {
    ui::Window toolbox;
    toolbox.title = std::move(title);
    toolbox.font = "Microsoft Sans Serif";
    toolbox.fontSize = 8;
    std::vector<size_t> buttonItems;
    BuildToolboxButtons(toolbox, buttonItems);
    toolbox.Open();
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        ThisWindow = &toolbox;
        if (stopToolbox_) toolbox.Post(ui::EventCloseWindow);
    }
    while (ui::Accept(toolbox)) {
        int event = ui::Event();
        size_t button = static_cast<size_t>(ui::Field());
        if (event == ui::EventAccepted && button >= 1 && button <= buttonItems.size()) {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            Choose(NumberOfItem(buttonItems[button - 1]));
        } else if (event == kRebuildToolbox) {
            BuildToolboxButtons(toolbox, buttonItems);
        }
    }
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        ThisWindow = nullptr;
    }
    SetParentControls(true);
    InToolbox = 0;
}

}  // namespace tarn::framework
