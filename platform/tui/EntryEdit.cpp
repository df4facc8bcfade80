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

namespace {

// Bytes of the UTF-8 character a byte starts; 1 for ASCII and for a continuation byte.
int SequenceLength(unsigned char b) {
    if (b >= 0xF0) return 4;
    if (b >= 0xE0) return 3;
    if (b >= 0xC0) return 2;
    return 1;
}

}  // namespace

bool EntryEdit::Type(char c) {
    const auto b = static_cast<unsigned char>(c);
    const bool continuation = (b & 0xC0) == 0x80;
    if (!continuation) refusedTail_ = 0;
    if (continuation && refusedTail_ > 0) {
        --refusedTail_;
        return false;
    }
    // Room is kept for the whole character when its first byte arrives.
    const int kept = selected_ ? 0 : static_cast<int>(text_.size());
    const int need = continuation ? 1 : SequenceLength(b);
    if (limit_ > 0 && !continuation && kept + need > limit_) {
        refusedTail_ = need - 1;
        return false;
    }
    if (selected_) {
        text_.clear();
        cursor_ = 0;
        selected_ = false;
    }
    text_.insert(text_.begin() + cursor_, c);
    ++cursor_;
    return true;
}

int EntryEdit::Next() const { return static_cast<int>(NextChar(text_, cursor_)); }

int EntryEdit::Previous() const { return static_cast<int>(PreviousChar(text_, cursor_)); }

}  // namespace tarn::tui
