#include "framework/window/HistoryWindow.h"

#include <string>

#include "framework/window/HistoryList.h"
#include "framework/window/MessageWindow.h"
#include "framework/window/Requests.h"
#include "platform/ui/Runtime.h"

namespace tarn::framework {

int ShowHistoryWindow(errors::ErrorManager& err, const std::vector<errors::HistoryEntry>& history,
                      std::string_view caption, std::string_view icon, int buttons,
                      int defaultButton) {
    // Without a screen the window could never be answered; answer as a message box would.
    if (!ui::CurrentFrontEnd()) return defaultButton;
    const std::vector<errors::HistoryEntry> copy = history;
    MessageWindow window;
    window.Setup(err, std::string(caption), std::string(icon), buttons, defaultButton, 0);
    HistoryList list(err, copy);
    window.HistoryHandler = &list;
    // A message may come up in the middle of a caller's request: leave its response alone.
    const uint8_t callersResponse = SharedResponse();
    window.Run();
    SharedResponse() = callersResponse;
    return window.MsgRVal;
}

void InstallHistoryWindow(errors::ErrorManager& err) {
    err.SetHistoryWindowHook([&err](const std::vector<errors::HistoryEntry>& history,
                                    std::string_view caption, std::string_view icon, int buttons,
                                    int defaultButton) {
        return ShowHistoryWindow(err, history, caption, icon, buttons, defaultButton);
    });
}

}  // namespace tarn::framework
