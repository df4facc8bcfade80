#include "framework/window/MessageWindow.h"

#include "platform/ui/Events.h"
#include "platform/ui/Runtime.h"

namespace tarn::framework {

ui::WindowDef MessageWindow::Definition() {
    ui::WindowDef def;
    def.title = "Error";
    def.font = "MS Sans Serif";
    def.fontSize = 8;
    def.rect = ui::Rect{0, 0, 320, 96};
    ui::ControlDef image;
    image.kind = ui::KindText;
    image.name = "?Image";
    image.rect = ui::Rect{2, 4, 26, 28};
    def.controls.push_back(image);
    ui::ControlDef list;
    list.kind = ui::KindList;
    list.name = "?List";
    list.rect = ui::Rect{32, 4, 286, 71};
    list.format = kListFormat;
    list.flags = ui::FlagVScroll;
    def.controls.push_back(list);
    for (int k = 0; k < kMaxButtons; ++k) {
        ui::ControlDef button;
        button.kind = ui::KindButton;
        button.name = "?Button" + std::to_string(100 + k);
        button.rect = ui::Rect{284 - 40 * k, 80, 36, 14};
        button.flags = ui::FlagHidden;
        def.controls.push_back(button);
    }
    return def;
}

std::string MessageWindow::ButtonCaption(int bit) {
    switch (bit) {
        case ButtonOk:
            return "O&k";
        case ButtonYes:
            return "&Yes";
        case ButtonNo:
            return "&No";
        case ButtonAbort:
            return "&Abort";
        case ButtonRetry:
            return "&Retry";
        case ButtonIgnore:
            return "&Ignore";
        case ButtonCancel:
            return "&Cancel";
        case ButtonHelp:
            return "&Help";
        default:
            return "";
    }
}

void MessageWindow::Setup(errors::ErrorManager& err, std::string caption, std::string icon,
                          int buttons, int defaultButton, int style) {
    Err = &err;
    Errors = &err;
    Caption = std::move(caption);
    Icon = std::move(icon);
    ButtonTypes = buttons;
    MsgRVal = defaultButton;
    Style = style;
}

Level MessageWindow::Initialise() {
    Level result = WindowManager::Initialise();
    if (result != LevelQuiet) return result;
    Win = &window_;
    if (!Caption.empty()) window_.title = Caption;
    window_.Get(kImage)->icon = Icon.empty() ? std::string(IconExclamation) : Icon;
    PlaceButtons();
    OpenWindow(window_);
    if (HistoryHandler) {
        HistoryHandler->Attach(window_, kList);
        AddComponent(*HistoryHandler);
    }
    if (FirstField) window_.Select(FirstField);
    return LevelQuiet;
}

void MessageWindow::PlaceButtons() {
    MsgButtons = 0;
    for (int bit = ButtonHelp; bit >= ButtonOk && MsgButtons < kMaxButtons; bit >>= 1) {
        if (!(ButtonTypes & bit)) continue;
        int control = ButtonControl(MsgButtons);
        MsgButtonId[MsgButtons++] = bit;
        ui::Control* c = window_.Get(control);
        c->text = ButtonCaption(bit);
        c->hidden = false;
        c->isDefault = bit == MsgRVal;
        if (c->isDefault) FirstField = control;
    }
}

Level MessageWindow::OnAccepted() {
    const int control = ui::Field();
    for (int k = 0; k < MsgButtons; ++k) {
        if (control == ButtonControl(k)) {
            MsgRVal = MsgButtonId[k];
            PostClose();
            return LevelNotice;
        }
    }
    return WindowManager::OnAccepted();
}

}  // namespace tarn::framework
