// The checker and the editor on one folder at once: the checker stamps every service every second
// while a scripted editor session inserts, changes and deletes services without waiting for it.
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
#include "tests/checker/CheckerFixture.h"
#include "tests/checker/CheckerProcess.h"

namespace tarn::editor::test {
namespace {

using framework::test::AddServices;
using framework::test::ChangeRecordElsewhere;
using namespace std::chrono_literals;

constexpr int kServices = 20;
constexpr int kRounds = 6;

// The record as stored now, read on a connection of its own.
records::ServicesToCheckRecord StoredService(int32_t id) {
    records::ServicesToCheckRecord out{};
    framework::test::OnOtherStation([&] {
        storage::RecordFile& f = records::ServicesToCheckFile();
        if (f.Open(0x42) != 0) return;
        auto& rec = records::ServicesToCheck();
        rec.RecordID = id;
        if (f.GetByKey(records::SERCHK_KeyRecID) == 0) out = rec;
        f.Close();
    });
    return out;
}

// Runs each change and delete only once the checker has stamped the record after the list
// read it: the form then always saves over a record another program wrote meanwhile.
struct StampedUnderTheForm : ServicesList {
    int met = 0;  // changes and deletes that met a stamp written since the list's read
    uint8_t RunProcedure(int32_t procedure, uint8_t request) override {
        if (request == RequestChange || request == RequestDelete) {
            const records::ServicesToCheckRecord read = records::ServicesToCheck();
            const auto giveUp = std::chrono::steady_clock::now() + 10s;
            while (std::chrono::steady_clock::now() < giveUp) {
                const records::ServicesToCheckRecord now = StoredService(read.RecordID);
                if (now.LastChecked != read.LastChecked ||
                    now.LastCheckedTime != read.LastCheckedTime) {
                    ++met;
                    break;
                }
                std::this_thread::sleep_for(20ms);
            }
        }
        return ServicesList::RunProcedure(procedure, request);
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

TEST_F(EditorTest, ChangesAndDeletesWhileTheCheckerStampsAreNeitherRefusedNorLost) {
    if (geteuid() != 0) GTEST_SKIP() << "a private /etc/init.d needs root";
    const std::string computer = platform::ComputerName().substr(0, 127);
    AddSettings(1, 1);
    AddServices(std::vector<std::pair<std::string, std::string>>(kServices, {computer, "cron"}));
    for (int i = 1; i <= kServices; ++i) {
        ChangeRecordElsewhere(i, [i](records::ServicesToCheckRecord& r) {
            std::snprintf(r.ServiceDescription, sizeof r.ServiceDescription, "svc-%02d", i);
        });
    }
    // A cron script of the test's own, seen by the checker alone, says it runs.
    tarn::test::TempFolder init{"tarn-init"};
    checker::test::WriteScript(init / "cron", "exit 0\n");
    checker::test::CheckerProcess checker(dir_.Path(), "", -1,
                                          checker::test::PrivateInitFolder(init.Path()));

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
    int met = 0;
    OnEditorThread([&] {
        StampedUnderTheForm list;
        list.Run();
        met = list.met;
    });
    EXPECT_EQ(met, 2 * kRounds);  // every change and delete saved over a fresh stamp
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
    EXPECT_EQ(count, kServices);  // as many deleted as inserted, none twice
    for (int i = 1; i <= kServices; ++i) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "svc-%02d", i);
        EXPECT_EQ(services.count(tag), i > kRounds ? 1u : 0u) << tag;
    }
    int lost = 0;
    for (int r = 0; r < kRounds; ++r) {
        auto it = services.find("changed-" + std::to_string(r));
        if (it == services.end() || std::string(it->second.ServiceName) != "cron") ++lost;
    }
    EXPECT_EQ(lost, 0);
    for (const auto& [tag, rec] : services) EXPECT_NE(+rec.LastChecked, 0) << tag;
    // The only messages are the delete confirmations: no save was refused.
    int refused = 0;
    for (const ui::MessageBoxRequest& m : ui.Messages()) {
        if (m.title == "Confirm Delete") continue;
        ++refused;
        ADD_FAILURE() << m.title << ": " << m.text;
    }
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(checker.Stderr(), "");
    const std::string log = tarn::test::ReadAll(checker::test::TodaysLog(dir_.Path()));
    EXPECT_EQ(log.find("FAILED"), std::string::npos);
}

}  // namespace
}  // namespace tarn::editor::test
