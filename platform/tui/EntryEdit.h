#pragma once
// The text of an entry while the user types into it: a cursor, and a selection of the whole text
// that the next typed character replaces (an entry that receives the focus selects its text).
// The text is UTF-8: the cursor moves, and keys erase, by whole characters.
#include <string>

namespace tarn::tui {

class EntryEdit {
  public:
    // Starts on `text` with the cursor at its end, the whole text selected or not.
    void Start(std::string text, bool selectAll);
    // True for the keys Key() applies: Left, Right, Home, End, Backspace and Delete.
    static bool Edits(int keycode);
    // Applies one of those keys; false (nothing changed) for any other.
    bool Key(int keycode);
    // The most bytes the text may hold; 0: no limit. A text already longer is kept as it is.
    void SetLimit(int bytes) { limit_ = bytes; }
    // Inserts a typed byte at the cursor, replacing the selection; false (nothing changed) when
    // it would pass the limit. A UTF-8 character goes in whole or not at all.
    bool Type(char c);

    const std::string& Text() const { return text_; }
    int Cursor() const { return cursor_; }
    bool AllSelected() const { return selected_; }

  private:
    // Where the character after, and the one before, the cursor starts.
    int Next() const;
    int Previous() const;

    std::string text_;
    int cursor_ = 0;
    bool selected_ = false;
    int limit_ = 0;
    int refusedTail_ = 0;  // continuation bytes of a refused character still to come
};

}  // namespace tarn::tui
