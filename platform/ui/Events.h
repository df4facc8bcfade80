#pragma once
// Event numbers and key codes of the window runtime.
//
// Key codes are the Windows virtual-key codes; a modifier adds its bit (Shift 0x100, Ctrl 0x200,
// Alt 0x400), so Ctrl+H is 0x200 + 'H' = 584 and Shift+Enter is 0x100 + 13 = 269.

namespace tarn::ui {

enum EventCode : int {
    EventNone = 0,
    EventAccepted = 1,
    EventNewSelection = 2,
    EventScrollUp = 3,
    EventScrollDown = 4,
    EventPageUp = 5,
    EventPageDown = 6,
    EventScrollTop = 7,
    EventScrollBottom = 8,
    EventScrollDrag = 9,  // the thumb was dragged; the list's thumb holds the new percentage
    EventAlertKey = 15,
    EventRejected = 26,
    EventSelected = 257,
    EventCloseWindow = 513,
    EventCloseDown = 514,
    EventOpenWindow = 515,
    EventLoseFocus = 517,
    EventGainFocus = 518,
    EventNotify = 522,
    EventTimer = 523,
    EventCompleted = 549,
    EventSized = 561,
    EventRestored = 562,
    EventMaximized = 563,
    EventIconized = 564,
    EventDoResize = 1023,
};

enum KeyModifier : int {
    ShiftKey = 0x100,
    CtrlKey = 0x200,
    AltKey = 0x400,
};

enum KeyCode : int {
    MouseLeft = 1,
    MouseRightDown = 2,
    MouseLeft2 = 5,    // double click
    MouseRight = 130,  // right button released
    BackspaceKey = 8,
    TabKey = 9,
    EnterKey = 13,
    EscKey = 27,
    SpaceKey = 32,
    PgUpKey = 33,
    PgDnKey = 34,
    EndKey = 35,
    HomeKey = 36,
    LeftKey = 37,
    UpKey = 38,
    RightKey = 39,
    DownKey = 40,
    InsertKey = 45,
    DeleteKey = 46,
    AppsKey = 93,  // the context-menu key
    F1Key = 112,
    ShiftTab = ShiftKey + TabKey,
    ShiftEnter = ShiftKey + EnterKey,  // 269
    CtrlEnter = CtrlKey + EnterKey,    // 525
    CtrlH = CtrlKey + 'H',             // 584
};

// The key code of a typed character, as a US keyboard types it: a letter or digit is its own
// key ('a' 65, 'A' Shift + 65, '7' 55), punctuation its own key ('.' 190, never Delete's 46),
// with Shift where the character needs it ('(' is Shift + '9'). 0 for a byte no key types (the
// character itself still reaches the program, see Keychar()).
int KeyOfChar(char c);

}  // namespace tarn::ui
