#include "platform/ui/PopupMenu.h"

#include "platform/ui/Runtime.h"

namespace tarn::ui {

namespace {

// One item's text with its leading markers taken off.
PopupItem ItemFrom(std::string_view text, int depth) {
    PopupItem item;
    item.depth = depth;
    if (text == "-") {
        item.text.assign(1, '-');  // a literal assign trips a false -Wrestrict in g++ 12 -O2
        item.enabled = false;
        return item;
    }
    size_t i = 0;
    for (; i < text.size(); ++i) {
        if (text[i] == '~')
            item.enabled = false;
        else if (text[i] == '+')
            item.checked = true;
        else if (text[i] == '-')
            item.checked = false;
        else
            break;
    }
    text.remove_prefix(i);
    constexpr std::string_view kIcon = "[icon=";
    size_t end = text.find(']');
    if (text.substr(0, kIcon.size()) == kIcon && end != std::string_view::npos) {
        item.icon = std::string(text.substr(kIcon.size(), end - kIcon.size()));
        text.remove_prefix(end + 1);
    }
    item.text = std::string(text);
    return item;
}

}  // namespace

std::string PopupIconPart(const std::string& icon) { return "[icon=" + icon + "]"; }

std::vector<PopupItem> ParsePopupItems(std::string_view itemsText) {
    std::vector<PopupItem> items;
    int depth = 1;
    std::string current;
    auto flush = [&](bool opensSubmenu) {
        if (!current.empty()) items.push_back(ItemFrom(current, depth));
        current.clear();
        if (opensSubmenu && !items.empty()) items.back().number = -1;  // a header, not a choice
    };
    for (char c : itemsText) {
        if (c == '|') {
            flush(false);
        } else if (c == '{') {
            flush(true);
            ++depth;
        } else if (c == '}') {
            flush(false);
            if (depth > 1) --depth;
        } else {
            current += c;
        }
    }
    flush(false);
    int number = 0;
    for (PopupItem& item : items) {
        bool choice = item.number == 0 && item.text != "-";
        item.number = choice ? ++number : 0;
    }
    return items;
}

bool IsPopupHeader(const std::vector<PopupItem>& items, int index) {
    size_t i = static_cast<size_t>(index);
    return index >= 0 && i + 1 < items.size() && items[i + 1].depth > items[i].depth;
}

std::vector<int> PopupLevel(const std::vector<PopupItem>& items, int header) {
    std::vector<int> level;
    if (items.empty()) return level;
    int depth = header < 0 ? items.front().depth : items[header].depth + 1;
    for (int i = header + 1; i < static_cast<int>(items.size()); ++i) {
        if (items[i].depth < depth) break;
        if (items[i].depth == depth) level.push_back(i);
    }
    return level;
}

int PopupMenu(const std::string& itemsText, int x, int y) {
    FrontEnd* fe = CurrentFrontEnd();
    if (!fe) return 0;
    std::vector<PopupItem> items = ParsePopupItems(itemsText);
    int chosen = fe->ChoosePopup(items, x, y);
    for (const PopupItem& item : items)
        if (item.number == chosen && chosen != 0) return item.enabled ? chosen : 0;
    return 0;
}

}  // namespace tarn::ui
