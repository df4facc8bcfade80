// The checker and the editor on one folder at once: the checker cycles every second over 50
// services while a scripted editor session inserts, changes and deletes services for a minute.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <thread>

#include "EditorTestSupport.h"
#include "editor/EditorWindows.h"
#include "editor/ListServices.h"
#include "platform/system/Folders.h"
#include "tests/checker/CheckerProcess.h"

namespace tarn::editor::test {
namespace {

using framework::test::AddServices;
using framework::test::ChangeRecordElsewhere;
using namespace std::chrono_literals;

constexpr int kServices = 50;
constexpr int kRounds = 20;

// The state of the file's write-ahead log: every write changes its time or its size.
std::pair<int64_t, off_t> LogState() {
    struct stat st {};
    if (stat("ServicesToCheck.db-wal", &st) != 0) return {0, 0};
    return {int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, st.st_size};
}

// Returns once the file has not been written for a while (the checker is between two passes),
// or after a few seconds when it never rests.
void WaitForCheckerToRest() {
    const auto giveUp = std::chrono::steady_clock::now() + 5s;
    auto last = LogState();
    auto since = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(10ms);
        const auto now = LogState();
        if (now != last) {
            last = now;
            since = std::chrono::steady_clock::now();
        } else if (std::chrono::steady_clock::now() - since >= 150ms) {
            return;
        }
    }
}

// The list at an operator's pace: each update button waits a second of real time first. A
// change also waits for the checker to finish its pass: a form saved just as the checker stamps
// the very record it shows says "Record Was Not Updated" and shows the stamp, as it should; an
// operator then saves again, which this script cannot.
struct PacedList : ServicesList {
    Level HandleEvent() override {
        const int c = ui::Field();
        if (ui::Event() == ui::EventAccepted && (c == Insert_2 || c == Change_2 || c == Delete_2))
            std::this_thread::sleep_for(1s);
        if (ui::Event() == ui::EventAccepted && c == Change_2) WaitForCheckerToRest();
        return ServicesList::HandleEvent();
    }
};

std::map<std::string, records::ServicesToCheckRecord> ServicesByDescription(int* count) {
    std::map<std::string, records::ServicesToCheckRecord> out;
    *count = 0;
    framework::test::OnOtherStation([&] {
        storage::RecordFile& f = records::ServicesToCheckFile();
        if (f.Open(0x42) != 0) return;
        auto& rec = records::ServicesToCheck();
        if (f.SetToStart(records::SERCHK_KeyRecID) == 0) {
            while (f.Next() == 0) {
                ++*count;
                out[rec.ServiceDescription] = rec;
            }
        }
        f.Close();
    });
    return out;
}

TEST_F(EditorTest, CheckerAndEditorShareTheFileForAMinuteWithoutLosingAnEdit) {
    if (access("/etc/init.d/cron", F_OK) != 0) GTEST_SKIP() << "needs the cron init script";
    const std::string computer = platform::ComputerName().substr(0, 127);
    AddSettings(1, 1);
    AddServices(std::vector<std::pair<std::string, std::string>>(kServices, {computer, "cron"}));
    for (int i = 1; i <= kServices; ++i) {
        ChangeRecordElsewhere(i, [i](records::ServicesToCheckRecord& r) {
            std::snprintf(r.ServiceDescription, sizeof r.ServiceDescription, "svc-%02d", i);
        });
    }
    tarn::test::TempFolder stubs{"tarn-stubs"};
    checker::test::WriteScript(stubs / "service", "exit 0\n");  // every service runs
    checker::test::CheckerProcess checker(dir_.Path(), stubs.Path());

    // Each round: insert a service, change its description, delete the first of the list.
    for (int r = 0; r < kRounds; ++r) {
        const std::string n = std::to_string(r);
        ui.In("Services To Check").Press(Insert_2);
        ui.In("New Service").Type(SERCHK_ServiceName, "cron");
        ui.Type(SERCHK_ServiceDescription, "new-" + n).Press(Service_OK);
        ui.In("Services To Check").Press(Change_2);
        ui.In("Edit Service").Type(SERCHK_ServiceDescription, "changed-" + n).Press(Service_OK);
        ui.In("Services To Check").Key(ui::HomeKey, Browse_1).Press(Delete_2).Answer(ButtonYes);
        ui.In("Services To Check").Wait(100);  // the list's timer looks at the file
    }
    ui.In("Services To Check").Press(Services_Close);
    const auto start = std::chrono::steady_clock::now();
    OnEditorThread([] {
        PacedList list;
        list.Run();
    });
    EXPECT_GE(std::chrono::steady_clock::now() - start, 55s);
    // The services inserted last are stamped by the next pass, which a busy machine delays.
    int count = 0;
    std::map<std::string, records::ServicesToCheckRecord> services;
    EXPECT_TRUE(checker.WaitFor(
        [&] {
            services = ServicesByDescription(&count);
            return std::all_of(services.begin(), services.end(),
                               [](const auto& s) { return s.second.LastChecked != 0; });
        },
        30s));
    ASSERT_TRUE(checker.Running()) << checker.Stderr();
    checker.Stop();
    services = ServicesByDescription(&count);
    EXPECT_EQ(count, kServices);  // 50 - 20 deleted + 20 inserted, none twice
    for (int i = 1; i <= kServices; ++i) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "svc-%02d", i);
        EXPECT_EQ(services.count(tag), i > kRounds ? 1u : 0u) << tag;
    }
    for (int r = 0; r < kRounds; ++r) {
        auto it = services.find("changed-" + std::to_string(r));
        ASSERT_NE(it, services.end()) << "round " << r;
        EXPECT_STREQ(it->second.ServiceName, "cron");
    }
    for (const auto& [tag, rec] : services) EXPECT_NE(+rec.LastChecked, 0) << tag;
    // The only messages are the delete confirmations.
    for (const ui::MessageBoxRequest& m : ui.Messages())
        EXPECT_EQ(m.title, "Confirm Delete") << m.text;
    EXPECT_EQ(checker.Stderr(), "");
    const std::string log = tarn::test::ReadAll(checker::test::TodaysLog(dir_.Path()));
    EXPECT_EQ(log.find("FAILED"), std::string::npos);
}

}  // namespace
}  // namespace tarn::editor::test
