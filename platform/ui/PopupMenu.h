#pragma once
// A popup menu shown by the front end.
//
// Items are separated by '|'; "-" is a separator; '{' after an item's text opens its submenu and
// '}' closes it; leading markers: '~' disabled, '+' checked, '-' unchecked (a text that is just
// "-" stays a separator); after the markers, an icon part (PopupIconPart) names the item's icon.
// Selectable items are numbered from 1 in order, skipping separators and submenu headers.
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/FrontEnd.h"

namespace tarn::ui {

// "[icon=NAME]": how an item's text names its icon, placed before the text.
std::string PopupIconPart(const std::string& icon);

std::vector<PopupItem> ParsePopupItems(std::string_view itemsText);

// True when item `index` opens a submenu (the item after it is deeper).
bool IsPopupHeader(const std::vector<PopupItem>& items, int index);
// The entries of one level of the menu, as indices into items: the top level (header -1) or
// the submenu that item `header` opens.
std::vector<int> PopupLevel(const std::vector<PopupItem>& items, int header);

// Shows the menu; returns the chosen item's number, 0 when dismissed or with no front end.
// x, y: where to show it in dialog units; -1 at the mouse.
int PopupMenu(const std::string& itemsText, int x = -1, int y = -1);

}  // namespace tarn::ui
