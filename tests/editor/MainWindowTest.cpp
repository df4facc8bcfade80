// The editor as a program, headless: start-up opens no data file, the main window's buttons and
// their order, and the INI file it leaves behind.
#include <filesystem>

#include "EditorTestSupport.h"
#include "editor/EditorProgram.h"
#include "editor/EditorWindows.h"
#include "editor/MainWindow.h"

namespace tarn::editor::test {
namespace {

class MainWindowTest : public EditorTest {
  protected:
    // The program's own steps around Main, on a thread of their own.
    static void RunProgram() {
        std::thread([] {
            StartUp();
            Main();
            ShutDown();
        }).join();
    }
};

TEST_F(MainWindowTest, OpensNoDataFileAndLeavesOnlyTheIniMarker) {
    ui.Key(ui::TabKey).Key(ui::TabKey).Press("?Close");
    RunProgram();
    EXPECT_FALSE(std::filesystem::exists(dir_ / "Settings.db"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "ServicesToCheck.db"));
    std::string ini = tarn::test::ReadAll(dir_ / "Tarnconfig.INI");
    EXPECT_NE(ini.find("[__Dont_Touch_Me__]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Sectors=0"), std::string::npos) << ini;

    const ui::WindowView* first = ViewAt(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->title, "Quorvel Service Check Settings");
    // Tabbing goes Configuration, Services, Close while Close is drawn leftmost.
    EXPECT_TRUE(first->Control(ButtonConfig)->focused);
    EXPECT_TRUE(ViewAt(1)->Control(ButtonServices)->focused);
    EXPECT_TRUE(ViewAt(2)->Control(Main_Close)->focused);
    const std::vector<ui::ControlDef>& drawn = MainWindowDef().controls;
    EXPECT_LT(drawn[Main_Close - 1].rect.x, drawn[ButtonConfig - 1].rect.x);
    EXPECT_LT(drawn[ButtonConfig - 1].rect.x, drawn[ButtonServices - 1].rect.x);
}

TEST_F(MainWindowTest, ItsButtonsRunTheirWindowsAgainAndAgain) {
    ui.Press("Configuration").Press("?Cancel");
    ui.Press("Services").In("Services To Check").Press("?Close");
    ui.Press("Configuration").Type(SET_TimeBetweenCyclesInSeconds, "30").Press("?OK");
    ui.Press("Services").In("Services To Check").Press("?Close");
    ui.Press("?Close");
    RunProgram();
    EXPECT_TRUE(ui.Messages().empty());
    const ui::WindowView* back = ui.LastView("Quorvel Service Check Settings");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Control(ButtonConfig)->text, "Configuration");
    EXPECT_EQ(ReadSettings(), (SettingsRows{{1, 30}}));
}

}  // namespace
}  // namespace tarn::editor::test
