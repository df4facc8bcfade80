// The process engine on a real ServicesToCheck file, driven through the headless front end with
// a clock the test moves.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "PassTestSupport.h"
#include "checker/ProgressWindow.h"
#include "checker/ServicePass.h"
#include "data/Dictionary.h"
#include "data/records/Records.h"
#include "errors/ErrorManager.h"
#include "framework/window/Requests.h"
#include "platform/system/LastError.h"
#include "platform/ui/HeadlessFrontEnd.h"
#include "tests/support/TestFolder.h"

namespace tarn::checker::test {
namespace {

// Answers a read error when it reaches the record with id failAt.
class FailingView : public storage::View {
  public:
    FailingView(std::unique_ptr<storage::View> inner, int32_t failAt)
        : inner_(std::move(inner)), failAt_(failAt) {}
    void SetOrder(std::string o) override { inner_->SetOrder(std::move(o)); }
    void SetFilter(std::string f) override { inner_->SetFilter(std::move(f)); }
    const std::string& Order() const override { return inner_->Order(); }
    const std::string& Filter() const override { return inner_->Filter(); }
    void SetPageBuffer(int a, int b, int c, int d) override { inner_->SetPageBuffer(a, b, c, d); }
    int Open() override { return inner_->Open(); }
    int Close() override { return inner_->Close(); }
    int SetToStart() override { return inner_->SetToStart(); }
    int SetToBuffer() override { return inner_->SetToBuffer(); }
    int Next() override { return Check(inner_->Next()); }
    int Previous() override { return inner_->Previous(); }
    std::string Position() const override { return inner_->Position(); }

  private:
    int Check(int rc) {
        if (rc == 0 && records::ServicesToCheck().RecordID == failAt_) {
            platform::SetLastError(platform::kDriverError, "ServicesToCheck", "11",
                                   "disk I/O error");
            return platform::kDriverError;
        }
        return rc;
    }
    std::unique_ptr<storage::View> inner_;
    int32_t failAt_;
};

class ProcessEngine : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.Path().empty());
        ui.Attach();
        errors::GlobalErrors().Init();
        data::DictionaryInit(true);
    }
    void TearDown() override {
        data::DictionaryKill();
        errors::GlobalErrors().Shutdown();
        ui.Detach();
    }

    void AddServices(int32_t from, int32_t to) {
        storage::RecordFile& f = records::ServicesToCheckFile();
        if (f.Open(0x42) == platform::kFileNotFound) {
            ASSERT_EQ(f.Create(), 0);
            ASSERT_EQ(f.Open(0x42), 0);
        }
        for (int32_t id = from; id <= to; ++id) {
            f.ClearBuffer(false);
            records::ServicesToCheck().RecordID = id;
            std::snprintf(records::ServicesToCheck().ServiceName, 128, "svc%d", id);
            ASSERT_EQ(f.Add(), 0);
        }
        f.Close();
    }

    ui::HeadlessFrontEnd ui;
    tarn::test::TempFolder dir_{"tarn-engine"};
    tarn::test::CurrentFolder inDir_{dir_.Path()};
    DailyLog log{dir_ / "logfiles"};
};

TEST_F(ProcessEngine, OneRecordShowsFiftyPercentAndCompletes) {
    AddServices(7, 7);
    TestProcess process;
    TestPass pass(log, process);
    EXPECT_EQ(pass.Run(), ResponseCompleted);
    ASSERT_EQ(process.seen.size(), 1u);
    EXPECT_EQ(process.seen[0].id, 7);
    EXPECT_EQ(process.seen[0].percent, 50);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(ProcessEngine, ProgressFollowsTheRecordNumbers) {
    AddServices(1, 11);
    TestProcess process;
    TestPass pass(log, process);
    EXPECT_EQ(pass.Run(), ResponseCompleted);
    ASSERT_EQ(process.seen.size(), 11u);
    EXPECT_EQ(process.seen[0].percent, 1);  // the lowest value shows 1, never 0
    EXPECT_EQ(process.seen[2].id, 3);
    EXPECT_EQ(process.seen[2].percent, 20);
    EXPECT_EQ(process.seen[10].percent, 100);
    EXPECT_EQ(pass.setUpPercentText, "0% Completed");
    EXPECT_EQ(process.seen[0].percentText, "1% Complete");
    EXPECT_EQ(process.seen[2].percentText, "20% Complete");
    EXPECT_EQ(process.seen[10].percentText, "100% Complete");
}

TEST_F(ProcessEngine, EmptyFileEndsAtOnceCancelledWithoutMessage) {
    AddServices(1, 0);
    TestProcess process;
    TestPass pass(log, process);
    EXPECT_EQ(pass.Run(), ResponseCancelled);
    EXPECT_TRUE(process.seen.empty());
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_TRUE(ui.Failures().empty());
}

TEST_F(ProcessEngine, BatchesGrowWhileShortAndShrinkAfterLongEvents) {
    AddServices(1, 40);
    {
        TestProcess process;
        TestPass pass(log, process);
        EXPECT_EQ(pass.Run(), ResponseCompleted);
        EXPECT_EQ(process.seen.size(), 40u);
        ASSERT_FALSE(pass.batchSizes.empty());
        EXPECT_GE(pass.batchSizes.front(), 16);  // doubled on every short batch
    }
    {
        TestProcess process;
        process.cost = 100;  // a second per record: every event runs long
        TestPass pass(log, process);
        pass.firstBatchSize = 4;
        EXPECT_EQ(pass.Run(), ResponseCompleted);
        EXPECT_EQ(process.seen.size(), 40u);
        ASSERT_GE(pass.batchSizes.size(), 3u);
        EXPECT_EQ(pass.batchSizes[0], 2);
        EXPECT_EQ(pass.batchSizes[1], 1);
        EXPECT_EQ(pass.batchSizes[2], 1);
    }
}

TEST_F(ProcessEngine, WindowStaysHiddenForSixMinutes) {
    AddServices(1, 30);
    TestProcess process;
    process.cost = 1000;  // ten seconds per record: 300 s in all
    TestPass pass(log, process);
    EXPECT_EQ(pass.Run(), ResponseCompleted);
    ASSERT_EQ(process.seen.size(), 30u);
    for (const Seen& s : process.seen) EXPECT_TRUE(s.hidden) << s.id;
}

TEST_F(ProcessEngine, LongPassShowsItsWindowAndCanBeCancelled) {
    AddServices(1, 20);
    TestProcess process;
    process.cost = 10000;  // a hundred seconds per record
    TestPass pass(log, process);
    // Timer events come while the window is hidden; once shown, the operator presses Cancel.
    for (int i = 0; i < 8; ++i) ui.Wait(10);
    ui.In("Processing Records").Press("Cancel");
    EXPECT_EQ(pass.Run(), ResponseCancelled);
    EXPECT_TRUE(ui.Failures().empty()) << ui.Failures().front();
    ASSERT_GE(process.seen.size(), 4u);
    EXPECT_LT(process.seen.size(), 20u);
    EXPECT_TRUE(process.seen.front().hidden);
    EXPECT_FALSE(process.seen.back().hidden);
}

TEST_F(ProcessEngine, ReadErrorEndsThePassWithMessageOne) {
    AddServices(1, 5);
    TestProcess process;
    FailingView view(storage::MakeView(records::ServicesToCheckFile()), 3);
    TestPass pass(log, process, &view);
    EXPECT_EQ(pass.Run(), ResponseCancelled);
    EXPECT_EQ(process.seen.size(), 2u);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].title, "Record Retrieval Error");
    EXPECT_NE(ui.Messages()[0].text.find("disk I/O error"), std::string::npos)
        << ui.Messages()[0].text;
}

}  // namespace
}  // namespace tarn::checker::test
