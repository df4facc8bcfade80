#include "checker/ServicePassProcess.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

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

void ServicePassProcess::SetStepLimits() {
    Restart();
    double high = data::ViewManager::Previous() == LevelQuiet ? StepValue() : INT32_MAX;
    Restart();
    double low = data::ViewManager::Next() == LevelQuiet ? StepValue() : INT32_MIN;
    StepMgr->SetLimits(low, high);
}

Level ServicePassProcess::Next(bool count) {
    Level result = data::ViewManager::Next();
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
