// The services list on a real ServicesToCheck file: its order and rows, and the refresh when
// another program writes to the file while the list waits.
#include <cstring>

#include "EditorTestSupport.h"
#include "editor/EditorWindows.h"
#include "editor/ListServices.h"
#include "framework/window/Requests.h"

namespace tarn::editor::test {
namespace {

using framework::test::ChangeRecordElsewhere;

const char kList[] = "Services To Check";

class ListServicesTest : public EditorTest {
  protected:
    // Each row of the list as "server/service/date/time" in the view before a step.
    std::vector<std::string> Rows(size_t step) const {
        std::vector<std::string> out;
        const ui::WindowView* v = ViewAt(step);
        if (!v || !v->Control(Browse_1)) return out;
        for (const auto& row : v->Control(Browse_1)->rows)
            out.push_back(row.at(0) + "/" + row.at(1) + "/" + Trim(row.at(2)) + "/" +
                          Trim(row.at(3)));
        return out;
    }
    int Selected(size_t step) const { return ViewAt(step)->Control(Browse_1)->selected; }
    static std::string Trim(std::string s) {
        s.erase(0, s.find_first_not_of(' '));
        s.erase(s.find_last_not_of(' ') + 1);
        return s;
    }
};

TEST_F(ListServicesTest, ServicesAreListedByServerThenServiceAndBlankUntilChecked) {
    AddService(1, "beta", "b");
    AddService(2, "Alpha", "z");
    AddService(3, "alpha", "a");
    ChangeRecordElsewhere(2, [](records::ServicesToCheckRecord& r) {
        r.LastChecked = 80000;
        r.LastCheckedTime = 4500001;
    });
    uint8_t response = 0;
    ui.In(kList).Press(Services_Close);
    OnEditorThread([&] {
        ListServices();
        response = framework::SharedResponse();
    });
    const std::vector<std::string> rows = Rows(0);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], "alpha/a//");
    EXPECT_EQ(rows[1].substr(0, 8), "Alpha/z/");
    EXPECT_NE(rows[1], "Alpha/z//");  // checked: date and time shown
    EXPECT_EQ(rows[2], "beta/b//");
    EXPECT_EQ(response, ResponseCompleted);
}

// A record numbered for an insert whose editor was killed stays blank (the checker may fill in
// its server): its row says what it is, and it is deleted like any other.
TEST_F(ListServicesTest, BlankRecordLeftByAnUnfinishedInsertIsNamedAndCanBeDeleted) {
    AddService(1, "", "");
    AddService(2, "host", "svc");
    ui.In(kList).Press(Delete_2).Answer(ButtonYes);  // 0-1
    ui.In(kList).Press(Services_Close);              // 2
    OnEditorThread([] { ListServices(); });
    const ui::ControlView* before = ViewAt(0)->Control(Browse_1);
    ASSERT_EQ(before->rows.size(), 2u);
    EXPECT_EQ(Trim(before->rows[0].at(4)), kBlankRecordNote);
    EXPECT_EQ(Trim(before->rows[1].at(4)), "");
    const auto rows = ReadServices();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].service, "svc");
    EXPECT_TRUE(ui.Messages().size() == 1) << ui.Messages().back().text;
}

// The checker stamps a service while the list waits: the next tick of the list's timer shows it,
// with the highlight still on the same record and row.
TEST_F(ListServicesTest, WaitingListShowsWhatAnotherProgramWroteWithinTwoSeconds) {
    for (int i = 1; i <= 12; ++i) AddService(i, "host" + std::to_string(10 + i), "svc");
    struct Watched : ServicesList {
        bool stamped = false;
        Level HandleEvent() override {
            if (ui::Event() == ui::EventTimer && !stamped) {
                stamped = true;
                ChangeRecordElsewhere(
                    3, [](records::ServicesToCheckRecord& r) { r.LastChecked = 80000; });
            }
            return ServicesList::HandleEvent();
        }
    };
    ui.In(kList).Key(ui::DownKey, Browse_1).Key(ui::DownKey, Browse_1);  // 0-1
    ui.Wait(200);                                                        // 2
    ui.Press(Services_Close);                                            // 3
    OnEditorThread([] {
        Watched list;
        list.Run();
    });
    EXPECT_EQ(Rows(2)[2], "host13/svc//");
    EXPECT_NE(Rows(3)[2], "host13/svc//");
    EXPECT_EQ(Rows(3)[2].substr(0, 11), "host13/svc/");
    EXPECT_EQ(Selected(3), 3);
}

// A new record is written at once with its number and the rest blank; the checker fills in a
// blank server name of any record it reads. A form saving the new record after that is not
// saving over someone else's change, even when an earlier change armed the watch.
TEST_F(ListServicesTest, NewServiceIsSavedThoughTheCheckerFilledItsServerMeanwhile) {
    AddService(1, "host", "svc");
    struct Raced : ServicesList {
        uint8_t RunProcedure(int32_t procedure, uint8_t request) override {
            if (request == RequestInsert)
                ChangeRecordElsewhere(2, [](records::ServicesToCheckRecord& r) {
                    std::strcpy(r.ServerName, "checker");
                });
            return ServicesList::RunProcedure(procedure, request);
        }
    };
    ui.In(kList).Press(Change_2);
    ui.In("Edit Service").Type(SERCHK_ServiceDescription, "edited").Press(Service_OK);
    ui.In(kList).Press(Insert_2);
    ui.In("New Service").Type(SERCHK_ServiceName, "cron").Press(Service_OK);
    ui.In(kList).Press(Services_Close);
    OnEditorThread([] {
        Raced list;
        list.Run();
    });
    for (const ui::MessageBoxRequest& m : ui.Messages()) ADD_FAILURE() << m.title << ": " << m.text;
    const auto rows = ReadServices();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].service, "cron");
}

}  // namespace
}  // namespace tarn::editor::test
