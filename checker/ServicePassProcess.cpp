#include "checker/ServicePassProcess.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "errors/MessageIds.h"
#include "platform/system/LastError.h"

namespace tarn::checker {

void ServicePassProcess::Init(storage::View& view, data::RelationManager& primary,
                              ui::Window& window, int32_t pText, uint8_t* percentile,
                              framework::ProgressStepper* stepper,
                              const data::FieldRef& valueField) {
    window_ = &window;
    PText = pText;
    Percentile = percentile;
    StepMgr = stepper;
    ValueField = valueField;
    if (Percentile) *Percentile = 0;
    Attach(view, primary);
}

void ServicePassProcess::Reset() {
    RecordsProcessed = 0;
    if (StepMgr) SetStepLimits();
    Restart();
}

double ServicePassProcess::StepValue() const {
    // Texts are measured by their leading number; the checker measures a record number.
    if (!ValueField.IsSet()) return 0;
    if (!ValueField.IsString()) return ValueField.Number();
    return std::atof(ValueField.Text().c_str());
}

// The limits only shape the progress shown: a read that fails here is met again, and said, by
// the pass's own reading.
void ServicePassProcess::SetStepLimits() {
    Restart();
    double high = View->Previous() == 0 ? StepValue() : INT32_MAX;
    Restart();
    double low = View->Next() == 0 ? StepValue() : INT32_MIN;
    StepMgr->SetLimits(low, high);
}

Level ServicePassProcess::ReadOn() {
    // Bounded, so that a view that keeps answering damage without moving cannot hold the pass.
    constexpr int kDamageInARow = 64;
    for (int damaged = 0;;) {
        const int rc = View->Next();
        if (rc == 0) {
            const uint8_t accept = AcceptRecord();
            if (accept == 0) return LevelQuiet;
            if (accept == 1) return LevelNotice;
            continue;
        }
        if (rc == platform::kEndOfFile) return LevelNotice;
        if (rc == platform::kInvalidFile && ++damaged < kDamageInARow) {
            ReadDamaged(platform::LastError().driverText);
            continue;
        }
        Primary->Me->Report(MsgReadError);
        return LevelFatal;
    }
}

Level ServicePassProcess::Next(bool count) {
    Level result = ReadOn();
    if (result != LevelQuiet || !count) return result;
    ++RecordsProcessed;
    if (!Percentile || !StepMgr) return result;
    const uint8_t percent = std::min<uint8_t>(StepMgr->Percentile(StepValue()), 100);
    if (percent != *Percentile) {
        *Percentile = percent;
        UpdateDisplay();
    }
    return result;
}

void ServicePassProcess::UpdateDisplay() {
    if (!window_) return;
    if (ui::Control* text = PText > 0 ? window_->Get(PText) : nullptr)
        text->text = std::to_string(*Percentile) + "% Complete";
    for (ui::Control& c : window_->Controls())
        if (c.kind == ui::KindProgress) c.progress = *Percentile;
    window_->Display();
}

void ServicePassProcess::Kill() {
    window_ = nullptr;
    Percentile = nullptr;
    ValueField = data::FieldRef{};
    if (Primary) Primary->SetQuickScan(0);
    if (StepMgr) StepMgr->Kill();
    StepMgr = nullptr;
    Shutdown();
}

}  // namespace tarn::checker
