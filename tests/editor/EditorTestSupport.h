#pragma once
// The editor's procedures run headless on real data files in a scratch folder. Each runs on a
// thread of its own, with record buffers and field histories as fresh as a new program's.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "data/Dictionary.h"
#include "errors/ErrorManager.h"
#include "platform/ui/HeadlessFrontEnd.h"
#include "tests/framework/FormTestSupport.h"
#include "tests/support/TestFolder.h"

namespace tarn::editor::test {

using framework::test::AddService;
using framework::test::OnOtherStation;
using framework::test::ReadServices;

class EditorTest : public ::testing::Test {
  protected:
    void SetUp() override { ui.Attach(); }
    void TearDown() override {
        ui.Detach();
        EXPECT_TRUE(ui.Failures().empty()) << ui.Failures().front();
        EXPECT_EQ(ui.Remaining(), 0u) << "script steps left over";
    }

    // Runs fn on a new thread with the error manager and the data managers built.
    template <class Fn>
    void OnEditorThread(Fn fn) {
        std::thread([&] {
            errors::GlobalErrors().Init();
            data::DictionaryInit();
            fn();
            data::DictionaryKill();
            errors::GlobalErrors().Shutdown();
        }).join();
    }

    // The view of the window with this title before the script step with this index.
    const ui::WindowView* ViewAt(size_t step) const {
        for (const ui::WindowView& v : ui.Views())
            if (v.step == step) return &v;
        return nullptr;
    }

    // A control's text without the blanks its picture pads it with.
    static std::string Shown(const ui::WindowView* view, int control) {
        if (!view || !view->Control(control)) return "<not shown>";
        std::string text = view->Control(control)->text;
        text.erase(0, text.find_first_not_of(' '));
        text.erase(text.find_last_not_of(' ') + 1);
        return text;
    }

    ui::HeadlessFrontEnd ui;
    tarn::test::TempFolder dir_{"tarn-editor"};
    tarn::test::CurrentFolder inDir_{dir_.Path()};
};

// (record id, seconds) of every Settings record, read through a connection of its own.
inline std::vector<std::pair<int32_t, int32_t>> ReadSettings() {
    std::vector<std::pair<int32_t, int32_t>> rows;
    OnOtherStation([&] {
        storage::RecordFile& f = records::SettingsFile();
        if (f.Open(0x42) != 0) return;
        records::SettingsRecord& rec = records::Settings();
        if (f.SetToStart(records::SET_KeyRecID) == 0) {
            while (f.Next() == 0) rows.emplace_back(rec.RecordID, rec.TimeBetweenCyclesInSeconds);
        }
        f.Close();
    });
    return rows;
}

inline void AddSettings(int32_t id, int32_t seconds) {
    OnOtherStation([&] {
        storage::RecordFile& f = records::SettingsFile();
        if (f.Open(0x42) == 2) {
            f.Create();
            f.Open(0x42);
        }
        records::Settings() = records::SettingsRecord{id, seconds};
        EXPECT_EQ(f.Add(), 0);
        f.Close();
    });
}

using SettingsRows = std::vector<std::pair<int32_t, int32_t>>;

}  // namespace tarn::editor::test
