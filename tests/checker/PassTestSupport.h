#pragma once
// A pass whose record handler only records what it was given and whose clock the test moves.
#include <cstdint>
#include <string>
#include <vector>

#include "checker/ProgressWindow.h"
#include "checker/ServicePass.h"
#include "data/records/Records.h"

namespace tarn::checker::test {

struct Seen {
    int32_t id;
    uint8_t percent;
    std::string percentText;
    bool hidden;
};

// Records what it was given and moves the pass's clock by `cost` per record.
class TestProcess : public ServicePassProcess {
  public:
    std::vector<Seen> seen;
    int64_t* clock = nullptr;
    int64_t cost = 0;
    ServicePass* pass = nullptr;

    Level TakeRecord() override {
        seen.push_back({records::ServicesToCheck().RecordID, *Percentile,
                        pass->Window.Get(Progress_PctText)->text, pass->Window.IsHidden()});
        *clock += cost;
        return LevelQuiet;
    }
};

class TestPass : public ServicePass {
  public:
    TestPass(DailyLog& log, TestProcess& p, storage::View* view = nullptr)
        : ServicePass(log, p, view) {
        p.clock = &clock;
        p.pass = this;
    }
    int64_t clock = 0;
    int32_t firstBatchSize = 1;
    std::string setUpPercentText;     // the percent text once the pass is set up
    std::vector<int32_t> batchSizes;  // RecordsPerCycle after each timer event

    int64_t Now() override { return clock; }
    Level Initialise() override {
        Level r = ServicePass::Initialise();
        RecordsPerCycle = firstBatchSize;
        setUpPercentText = Window.Get(Progress_PctText)->text;
        return r;
    }
    Level TakeBatch() override {
        Level r = ServicePass::TakeBatch();
        batchSizes.push_back(RecordsPerCycle);
        return r;
    }
};

}  // namespace tarn::checker::test
