#include "platform/tui/EntryEdit.h"

#include <algorithm>

#include "platform/tui/CellText.h"
#include "platform/ui/Events.h"

namespace tarn::tui {

void EntryEdit::Start(std::string text, bool selectAll) {
    text_ = std::move(text);
    cursor_ = static_cast<int>(text_.size());
    selected_ = selectAll && !text_.empty();
}

bool EntryEdit::Edits(int keycode) {
    return keycode == ui::LeftKey || keycode == ui::RightKey || keycode == ui::HomeKey ||
           keycode == ui::EndKey || keycode == ui::BackspaceKey || keycode == ui::DeleteKey;
}

bool EntryEdit::Key(int keycode) {
    int size = static_cast<int>(text_.size());
    switch (keycode) {
        case ui::LeftKey:
            // Leaving a selection puts the cursor at its start, as desktop entries do.
            cursor_ = selected_ ? 0 : Previous();
            break;
        case ui::RightKey:
            cursor_ = Next();
            if (selected_) cursor_ = size;
            break;
        case ui::HomeKey:
            cursor_ = 0;
            break;
        case ui::EndKey:
            cursor_ = size;
            break;
        case ui::BackspaceKey:
            if (selected_) {
                text_.clear();
                cursor_ = 0;
            } else if (cursor_ > 0) {
                const int from = Previous();
                text_.erase(from, cursor_ - from);
                cursor_ = from;
            }
            break;
        case ui::DeleteKey:
            if (selected_) {
                text_.clear();
                cursor_ = 0;
            } else if (cursor_ < size) {
                text_.erase(cursor_, Next() - cursor_);
            }
            break;
        default:
            return false;
    }
    selected_ = false;
    return true;
}

void EntryEdit::Type(char c) {
    if (selected_) {
        text_.clear();
        cursor_ = 0;
        selected_ = false;
    }
    text_.insert(text_.begin() + cursor_, c);
    ++cursor_;
}

int EntryEdit::Next() const { return static_cast<int>(NextChar(text_, cursor_)); }

int EntryEdit::Previous() const { return static_cast<int>(PreviousChar(text_, cursor_)); }

}  // namespace tarn::tui
