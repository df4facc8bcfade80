// Showing the menu and turning the answer into the chosen item and its event.
#include "framework/popup/PopupMenu.h"
#include "platform/ui/Events.h"
#include "platform/ui/PopupMenu.h"
#include "platform/ui/Runtime.h"
#include "platform/ui/Window.h"

namespace tarn::framework {

bool PopupMenu::IsHeader(size_t index) const {
    return index + 1 < PopupItems.size() && PopupItems[index + 1].Depth > PopupItems[index].Depth;
}

PopupMenuItem PopupMenu::Shown(size_t index, const ui::Window* window) const {
    PopupMenuItem item = PopupItems[index];
    if (!item.MimicMode) return item;
    const ui::Control* control = window ? window->Get(item.ControlId) : nullptr;
    if (control) {
        if (!control->text.empty() && (item.Text.empty() || item.Text[0] == '!'))
            item.Text = control->text;
        if (item.Disabled == 0) item.Disabled = control->disabled ? 1 : 2;
        if (item.Icon.empty()) item.Icon = control->icon;
    }
    if (!item.Text.empty() && item.Text[0] == '!') item.Text.erase(0, 1);
    return item;
}

std::string PopupMenu::MenuText(const ui::Window* window) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    std::string text;
    for (size_t i = 0; i < PopupItems.size(); ++i) {
        PopupMenuItem item = Shown(i, window);
        if (i > 0) {
            int before = PopupItems[i - 1].Depth;
            if (item.Depth == before) text += '|';
            for (int d = before; d < item.Depth; ++d) text += '{';
            for (int d = item.Depth; d < before; ++d) text += '}';
        }
        if (item.IsSeparator()) {
            text += '-';
            continue;
        }
        if (item.Disabled == 1) text += '~';
        if (item.Check == 1) text += '+';
        if (item.Check == 2) text += '-';
        if (!NoIcons && !item.Icon.empty()) text += ui::PopupIconPart(item.Icon);
        std::string shown = Translator ? Translator(item.Text) : item.Text;
        // An empty entry would vanish from the menu and shift the numbers of those after it.
        text += shown.empty() ? " " : shown;
    }
    return text;
}

int PopupMenu::ItemOfNumber(int number) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    int n = 0;
    for (size_t i = 0; i < PopupItems.size(); ++i)
        if (!PopupItems[i].IsSeparator() && !IsHeader(i) && ++n == number)
            return static_cast<int>(i);
    return -1;
}

int PopupMenu::NumberOfItem(size_t index) const {
    int n = 0;
    for (size_t i = 0; i <= index && i < PopupItems.size(); ++i)
        if (!PopupItems[i].IsSeparator() && !IsHeader(i)) ++n;
    return n;
}

std::string PopupMenu::Ask(int x, int y) {
    std::string text;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (PopupItems.empty()) {
            LastSelection.clear();
            return LastSelection;
        }
        ui::SetKeycode(0);
        text = MenuText(ui::CurrentWindow());
    }
    bool atMouse = x == 0 && y == 0;
    return Choose(ui::PopupMenu(text, atMouse ? -1 : x, atMouse ? -1 : y));
}

std::string PopupMenu::Choose(int number) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    LastNumberSelection = number;
    int at = number > 0 ? ItemOfNumber(number) : -1;
    if (at < 0) {
        LastSelection.clear();
        return LastSelection;
    }
    const PopupMenuItem& item = PopupItems[at];
    LastSelection = item.Name;
    if (item.Event != 0 || item.MimicMode) {
        if (ClearKeycode) ui::SetKeycode(0);
        ui::PostToThread(MyThread, item.MimicMode ? ui::EventAccepted : item.Event, item.ControlId);
    }
    return LastSelection;
}

}  // namespace tarn::framework
