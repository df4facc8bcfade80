#pragma once
// Shared pieces of the framework's window tests: a headless front end attached for one test, a
// small window definition and a component that counts what the window manager asks of it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/window/WindowComponent.h"
#include "framework/window/WindowManager.h"
#include "platform/ui/Events.h"
#include "platform/ui/HeadlessFrontEnd.h"
#include "platform/ui/Runtime.h"
#include "platform/ui/Window.h"

namespace tarn::framework::test {

class HeadlessTest : public ::testing::Test {
  protected:
    void SetUp() override { ui.Attach(); }
    void TearDown() override {
        ui.Detach();
        EXPECT_TRUE(ui.Failures().empty()) << ui.Failures().front();
    }

    ui::HeadlessFrontEnd ui;
};

// Counts the calls a window manager makes on a component.
class CountingComponent : public BrowseComponent {
  public:
    int shutdowns = 0;
    int refreshes = 0;
    int lastForce = -1;
    int redisplays = 0;
    int registers = 0;
    int updates = 0;
    int handled = 0;
    bool needsRefresh = false;
    bool selecting = false;
    Level answer = LevelQuiet;
    std::vector<int> events;
    std::vector<int> refreshedOn;  // the event being handled at each refresh

    void Shutdown() override { ++shutdowns; }
    void Refresh(int force) override {
        ++refreshes;
        lastForce = force;
        refreshedOn.push_back(ui::Event());
    }
    bool NeedsRefresh() override { return needsRefresh; }
    void RegisterKeys() override { ++registers; }
    Level HandleEvent() override {
        ++handled;
        events.push_back(ui::Event());
        return answer;
    }
    void Update() override { ++updates; }
    void Redisplay() override { ++redisplays; }
    void SetSelecting(bool s) override { selecting = s; }
};

// Controls of the small test window, in declaration order.
enum TestControl : int { TC_Name_Prompt = 1, TC_Name, TC_Note, TC_OK, TC_Cancel, TC_Help };

struct ControlSpec {
    ui::ControlKind kind;
    std::string name;
    std::string text;
};

inline ui::WindowDef MakeWindowDef(const std::string& title, ui::Rect rect,
                                   const std::vector<ControlSpec>& controls) {
    ui::WindowDef def;
    def.title = title;
    def.rect = rect;
    for (const ControlSpec& control : controls) {
        ui::ControlDef c;
        c.kind = control.kind;
        c.name = control.name;
        c.text = control.text;
        def.controls.push_back(c);
    }
    return def;
}

inline ui::WindowDef TestWindowDef(const std::string& title = "Test") {
    return MakeWindowDef(title, ui::Rect{0, 0, 200, 100},
                         {{ui::KindPrompt, "?Name:Prompt", "Name:"},
                          {ui::KindEntry, "?Name", ""},
                          {ui::KindEntry, "?Note", ""},
                          {ui::KindButton, "?OK", "&OK"},
                          {ui::KindButton, "?Cancel", "&Cancel"},
                          {ui::KindButton, "?Help", "&Help"}});
}

// A window manager over the test window that records each event it dispatches.
class RecordingWindow : public WindowManager {
  public:
    explicit RecordingWindow(const std::string& title = "Test") : window(TestWindowDef(title)) {}

    ui::Window window;
    std::vector<ui::EventRecord> seen;

    Level Initialise() override {
        Level r = WindowManager::Initialise();
        OpenWindow(window);
        return r;
    }
    Level HandleEvent() override {
        seen.push_back(ui::CurrentEvent());
        return WindowManager::HandleEvent();
    }
    std::vector<ui::EventRecord> Seen(int event) const {
        std::vector<ui::EventRecord> out;
        for (const ui::EventRecord& e : seen)
            if (e.event == event) out.push_back(e);
        return out;
    }
};

}  // namespace tarn::framework::test
