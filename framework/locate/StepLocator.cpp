#include "framework/locate/StepLocator.h"

#include "platform/ui/Events.h"
#include "platform/ui/Window.h"

namespace tarn::framework {

void StepLocator::SetAlerts(ui::Window& window, int listControl) {
    for (char c = '!'; c <= '~'; ++c)
        if (int key = ui::KeyOfChar(c)) window.Alert(listControl, key);
}

char StepLocator::Fold(char c) const {
    return NoCase && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

LocateResult StepLocator::TakeKey(int keychar) {
    if (keychar < ' ' || keychar > 255 || keychar == 127 || !Browse) return LocateResult::Ignored;
    char typed = Fold(static_cast<char>(keychar));
    if (Browse->RowCount() > 0) {
        Browse->MoveHighlightDown();
        Browse->LoadHighlightedRow();
    }
    std::string current = FreeElement.Text();
    if (!current.empty() && Fold(current[0]) == typed) return LocateResult::Handled;
    std::string located(1, typed);
    // On a descending field the list starts at the largest value that begins with the character.
    if (!Browse->FieldAscendingInOrder(FreeElement)) located += '\xFE';
    FreeElement.SetText(located);
    return LocateResult::Changed;
}

}  // namespace tarn::framework
