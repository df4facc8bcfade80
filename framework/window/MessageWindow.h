#pragma once
// MessageWindow: the window that lists the error history, with up to eight answer buttons placed
// from the right in falling bit order (so they read left to right in rising bit order).
//
// Its result (MsgRVal) is the default button until a placed button is pressed; pressing one ends
// the window with that button's bit.
#include <array>
#include <cstdint>
#include <string>

#include "errors/ErrorManager.h"
#include "framework/window/HistoryList.h"
#include "framework/window/WindowManager.h"
#include "platform/ui/Window.h"

namespace tarn::framework {

class MessageWindow : public WindowManager {
  public:
    // Control numbers of the window, in declaration order.
    static constexpr int kImage = 1;
    static constexpr int kList = 2;
    static constexpr int kFirstButton = 3;  // the rightmost; the next ones go left
    static constexpr int kMaxButtons = 8;
    static constexpr const char* kListFormat =
        "217L(2)|M~Message~S(255)@s255@42L(2)|M~Category~L(1)@s255@";

    // The window's definition: 320 x 96 dialog units, caption "Error".
    static ui::WindowDef Definition();
    // The control of the k-th placed button (0 = rightmost).
    static int ButtonControl(int k) { return kFirstButton + k; }
    // The caption of a button bit ("O&k", "&Yes", ...); "" for anything else.
    static std::string ButtonCaption(int bit);

    // Prepares the window; Run shows it.
    void Setup(errors::ErrorManager& err, std::string caption, std::string icon, int buttons,
               int defaultButton, int style);

    // ---- fields ----
    int32_t ButtonTypes = 0;
    std::string Caption;
    errors::ErrorManager* Err = nullptr;
    std::string Icon;
    HistoryList* HistoryHandler = nullptr;
    int32_t MsgButtons = 0;
    std::array<int32_t, kMaxButtons> MsgButtonId{};
    int32_t MsgRVal = 0;
    int32_t Style = 0;
    ui::Window* Win = nullptr;

    Level Initialise() override;
    Level OnAccepted() override;

  private:
    void PlaceButtons();

    ui::Window window_{Definition()};
};

}  // namespace tarn::framework
