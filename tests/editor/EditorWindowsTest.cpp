// The editor's windows on the smallest terminal it supports, 80 x 24, as the terminal front end
// lays them out in character cells.
#include <gtest/gtest.h>

#include <string>

#include "editor/EditorWindows.h"
#include "platform/tui/CellText.h"
#include "platform/tui/Layout.h"
#include "platform/ui/Window.h"

namespace tarn::editor::test {
namespace {

constexpr int kCols = 80;
constexpr int kLines = 24 - 1;  // the last line is the status line

const ui::WindowDef* const kWindows[] = {&MainWindowDef(), &SettingsFormDef(), &ServiceFormDef(),
                                         &ServicesListDef()};

TEST(EditorWindows, EveryWindowFitsEightyByTwentyFour) {
    for (const ui::WindowDef* def : kWindows) {
        ui::Window window(*def);
        EXPECT_FALSE(tui::TooSmall(window, kLines, kCols)) << def->title;
    }
}

// A prompt's text, colon included, ends at least one blank cell before whatever stands to its
// right on its line.
TEST(EditorWindows, EveryPromptKeepsABlankBeforeTheNextControl) {
    for (const ui::WindowDef* def : kWindows) {
        ui::Window window(*def);
        const tui::Cells client = tui::ClientArea(window, kLines, kCols);
        for (const ui::Control& prompt : window.Controls()) {
            if (prompt.kind != ui::KindPrompt) continue;
            const tui::Cells at = tui::ControlCells(client, prompt);
            const int end = at.col + tui::CellWidth(tui::Visible(tui::Caption(prompt.text)));
            for (const ui::Control& other : window.Controls()) {
                const tui::Cells o = tui::ControlCells(client, other);
                const bool sameLine = o.row <= at.row && at.row < o.row + o.height;
                if (&other == &prompt || !sameLine || o.col < at.col) continue;
                EXPECT_GT(o.col, end)
                    << def->title << ": \"" << prompt.text << "\" runs into " << other.name;
            }
        }
    }
}

}  // namespace
}  // namespace tarn::editor::test
