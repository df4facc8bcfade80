#pragma once
// One control of a window: its kind, place, texts, flags, bound variable and list properties.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ListFormat.h"
#include "platform/ui/RowSource.h"

namespace tarn::ui {

// The runtime's control kinds (the numbers the window resizer works with).
enum ControlKind : int {
    KindString = 1,  // value text: shows a variable through a picture
    KindText = 2,    // fixed text
    KindEntry = 8,
    KindButton = 9,
    KindPrompt = 10,
    KindList = 14,
    KindTextBox = 17,  // multi-line text
    KindToolbar = 23,
    KindProgress = 35,
};

// A rectangle in dialog units, relative to the window's client area.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

// The variable a control shows and edits.
struct Binding {
    enum Type { None, Int32, CText, FixedText, String };
    Type type = None;
    void* target = nullptr;
    size_t capacity = 0;  // bytes of a CText / FixedText field
    std::string picture;

    static Binding Int(int32_t* v, std::string picture);
    // A zero-terminated text field of `capacity` bytes (at most capacity - 1 characters).
    static Binding Chars(char* v, size_t capacity, std::string picture);
    // A blank-padded text field of `capacity` bytes.
    static Binding Fixed(char* v, size_t capacity, std::string picture);
    static Binding Str(std::string* v, std::string picture);

    // The variable shown through the picture.
    std::string Format() const;
    // Stores text read through the picture; false (variable untouched) when it does not fit.
    bool Read(const std::string& text) const;
};

// Flag bits of a control definition.
enum ControlFlag : unsigned {
    FlagDefault = 1,  // the default button: Enter presses it
    FlagReadOnly = 2,
    FlagHidden = 4,
    FlagDisabled = 8,
    FlagImmediate = 16,  // a list in immediate mode: scrolling keys arrive as events 3 to 8
    FlagVScroll = 32,    // a list with a vertical scroll bar
    FlagAutoWidth = 64,  // width follows the text
    FlagAutoHeight = 128,
    FlagCentred = 256,  // text shown centred
    // What the window's resizer needs to know of a control.
    FlagKeepPlace = 512,          // never moved or sized when the window's size changes
    FlagDropList = 1024,          // a list that drops down from one line: laid out like an entry
    FlagRelayoutChildren = 2048,  // its children are laid out again even when it stays in place
};

// A control as the window tables give it.
struct ControlDef {
    ControlKind kind = KindText;
    std::string name{};  // "?SERCHK:ServerName"; empty is fine
    std::string text{};  // caption; for an entry or value text its picture, "@s127@"
    Rect rect{};
    unsigned flags = 0;
    std::string icon{};
    std::string tip{};
    std::string status{};  // status-bar text
    std::string format{};  // list format string
    int parent = 0;        // the toolbar a button sits in; 0: the window
};

struct Control {
    int number = 0;
    ControlKind kind = KindText;
    std::string name;
    std::string text;  // what the control shows now (an entry: its contents)
    std::string icon;
    std::string tip;
    std::string status;
    Rect rect;
    int parent = 0;
    bool isDefault = false;
    bool readOnly = false;
    bool hidden = false;
    bool disabled = false;
    bool immediate = false;
    bool vscroll = false;
    bool autoWidth = false;
    bool autoHeight = false;
    bool centred = false;
    bool keepPlace = false;
    bool dropList = false;
    bool relayoutChildren = false;
    bool changed = false;  // edited since the variable was last displayed
    Binding binding;

    // List properties.
    std::string format;
    ListFormat columns;
    const RowSource* rows = nullptr;
    int selected = 0;  // highlighted row, from 1; 0 none
    int thumb = 0;     // scroll-bar thumb position, 0..100

    // Progress bar.
    int rangeLow = 0;
    int rangeHigh = 100;
    int progress = 0;

    std::vector<int> alertKeys;

    // True for kinds that can hold the focus.
    bool CanFocus() const;
    // True for kinds whose text the user edits.
    bool IsEditable() const;
    // The most bytes of text the entry takes: what its variable and its text picture hold, so
    // that nothing typed is cut when it is saved. 0: no limit (numbers, unbound entries).
    int MaxInput() const;
    bool HasAlert(int keycode) const;
    // The letter or digit marked by '&' in the caption, upper case ("&Cancel": 'C'); 0: none.
    int Accelerator() const;
    // Rows shown at once by a list: the height below the headers, by lines of 8 dialog units.
    int VisibleRows() const;
    // Where a shown row's first line starts, in dialog units down the window (row 1 just below
    // the headers).
    int RowTop(int row) const;
    // One field of one row shown through its picture; "" without rows or outside them.
    std::string CellText(int row, int field) const;
    int RowCount() const { return rows ? rows->RowCount() : 0; }
};

// Builds a control from its definition; the list format is parsed (an unparsable one leaves the
// list without columns).
Control MakeControl(int number, const ControlDef& def);

}  // namespace tarn::ui
