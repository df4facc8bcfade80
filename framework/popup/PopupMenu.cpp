#include "framework/popup/PopupMenu.h"

#include <cctype>

#include "platform/system/NoCase.h"
#include "platform/ui/Events.h"
#include "platform/ui/Runtime.h"

namespace tarn::framework {

namespace {

// The item a text describes: its leading markers taken off ("-" alone stays a separator).
PopupMenuItem ItemFromText(const std::string& text) {
    PopupMenuItem item;
    if (text == "-") {
        item.Text = text;
        return item;
    }
    size_t i = 0;
    for (; i < text.size(); ++i) {
        if (text[i] == '~')
            item.Disabled = 1;
        else if (text[i] == '+')
            item.Check = 1;
        else if (text[i] == '-')
            item.Check = 2;
        else
            break;
    }
    item.Text = text.substr(i);
    return item;
}

// Letters, digits and "_" of a text: what an item's name keeps.
std::string NameFrom(const std::string& text) {
    std::string name;
    for (char c : text)
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') name += c;
    return name;
}

}  // namespace

PopupMenu::~PopupMenu() { Kill(); }

void PopupMenu::Init() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    PopupItems.clear();
    ClearKeycode = 1;
    NoIcons = 0;
    LastSelection.clear();
    LastNumberSelection = 0;
    MyThread = ui::ThreadNumber();
}

void PopupMenu::Kill() {
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        stopToolbox_ = true;
        if (ui::Window* toolbox = ThisWindow) toolbox->Post(ui::EventCloseWindow);
    }
    if (toolboxThread_.joinable()) toolboxThread_.join();
    Clear();
}

void PopupMenu::Clear() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    PopupItems.clear();
}

int PopupMenu::IndexOf(const std::string& name) const {
    for (size_t i = 0; i < PopupItems.size(); ++i)
        if (platform::EqualNoCase(PopupItems[i].Name, name)) return static_cast<int>(i);
    return -1;
}

std::string PopupMenu::UniqueName(const std::string& from) const {
    std::string base = NameFrom(from);
    std::string name = base;
    for (int n = 1; IndexOf(name) >= 0; ++n) name = base + std::to_string(n);
    return name;
}

std::string PopupMenu::AddItem(const std::string& text, const std::string& name,
                               const std::string& after, int depth) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    PopupMenuItem item = ItemFromText(text);
    item.Name = UniqueName(!name.empty() ? name : item.IsSeparator() ? "Separator" : text);
    int at = after.empty() ? -1 : IndexOf(after);
    item.Depth = depth > 0 ? depth : at >= 0 ? PopupItems[at].Depth : 1;
    std::string added = item.Name;
    if (at >= 0)
        PopupItems.insert(PopupItems.begin() + at + 1, std::move(item));
    else
        PopupItems.push_back(std::move(item));
    return added;
}

std::string PopupMenu::AddSeparator(const std::string& after) { return AddItem("-", "", after); }

std::string PopupMenu::AddItemEvent(const std::string& name, int event, int control) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    int at = IndexOf(NameFrom(name));
    if (at < 0) at = IndexOf(AddItem(name, name));
    PopupMenuItem& item = PopupItems[at];
    item.ControlId = control;
    item.Event = event;
    item.MimicMode = 0;
    item.OnToolbox = 1;
    return item.Name;
}

std::string PopupMenu::AddItemMimic(const std::string& name, int control, const std::string& text) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    PopupMenuItem& item = PopupItems[IndexOf(AddItemEvent(name, ui::EventAccepted, control))];
    item.Text = text.empty() ? "!" + name : text;
    item.MimicMode = 1;
    item.OnToolbox = 1;
    return item.Name;
}

std::string PopupMenu::AddItemsText(const std::string& text, std::string after, int depth) {
    std::string current;
    auto flush = [&] {
        if (!current.empty()) after = AddItem(current, "", after, depth);
        current.clear();
    };
    for (char c : text) {
        if (c == '|') {
            flush();
        } else if (c == '{') {
            flush();
            ++depth;
        } else if (c == '}') {
            flush();
            if (depth > 1) --depth;
        } else {
            current += c;
        }
    }
    flush();
    return after;
}

void PopupMenu::AddMenu(const std::string& text, const std::string& after) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (after.empty()) PopupItems.clear();
    int at = after.empty() ? -1 : IndexOf(after);
    AddItemsText(text, after, at >= 0 ? PopupItems[at].Depth : 1);
}

void PopupMenu::AddSubMenu(const std::string& header, const std::string& itemsText,
                           const std::string& after) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    std::string name = AddItem(header, "", after);
    AddItemsText(itemsText, name, PopupItems[IndexOf(name)].Depth + 1);
}

void PopupMenu::SetIcon(const std::string& name, const std::string& icon) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (int at = IndexOf(name); at >= 0) PopupItems[at].Icon = icon;
}

void PopupMenu::SetItemEnable(const std::string& name, bool enabled) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    int at = IndexOf(name);
    if (at >= 0 && !PopupItems[at].IsSeparator()) PopupItems[at].Disabled = enabled ? 2 : 1;
}

void PopupMenu::SetToolbox(const std::string& name, bool onToolbox) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (int at = IndexOf(name); at >= 0) PopupItems[at].OnToolbox = onToolbox ? 1 : 0;
}

void PopupMenu::DeleteItem(const std::string& name) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (int at = IndexOf(name); at >= 0) PopupItems.erase(PopupItems.begin() + at);
}

int PopupMenu::ItemPosition(const std::string& name) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return IndexOf(name) + 1;
}

int PopupMenu::GetItems(bool topLevelSelectable) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!topLevelSelectable) return static_cast<int>(PopupItems.size());
    int count = 0;
    for (size_t i = 0; i < PopupItems.size(); ++i)
        if (PopupItems[i].Depth == 1 && !PopupItems[i].IsSeparator() && !IsHeader(i)) ++count;
    return count;
}

}  // namespace tarn::framework
