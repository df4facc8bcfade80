#pragma once
// Shared pieces of the window runtime's tests: a headless front end attached for one test and a
// loop that records every event it is handed.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/ui/Events.h"
#include "platform/ui/HeadlessFrontEnd.h"
#include "platform/ui/Runtime.h"

namespace tarn::ui::testing {

using Pairs = std::vector<std::pair<int, int>>;

class HeadlessTest : public ::testing::Test {
  protected:
    void SetUp() override { ui.Attach(); }
    void TearDown() override { ui.Detach(); }

    HeadlessFrontEnd ui;
};

// Runs the window's loop; `handler` sees each event and returns true to consume it.
inline std::vector<EventRecord> RunLoop(Window& w,
                                        const std::function<bool(Window&)>& handler = {}) {
    std::vector<EventRecord> seen;
    if (!w.IsOpen()) w.Open();
    while (Accept(w)) {
        seen.push_back(CurrentEvent());
        if (handler && handler(w)) Consume();
        if (seen.size() > 10000) break;  // a runaway loop fails the test instead of hanging
    }
    return seen;
}

inline std::vector<int> Codes(const std::vector<EventRecord>& events) {
    std::vector<int> codes;
    for (const EventRecord& e : events) codes.push_back(e.event);
    return codes;
}

// Only the events of the given codes, as (event, control) pairs.
inline std::vector<std::pair<int, int>> Only(const std::vector<EventRecord>& events,
                                             std::initializer_list<int> wanted) {
    std::vector<std::pair<int, int>> out;
    for (const EventRecord& e : events)
        for (int code : wanted)
            if (e.event == code) out.emplace_back(e.event, e.control);
    return out;
}

}  // namespace tarn::ui::testing
