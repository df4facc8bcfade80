#include "checker/ServicePassProcess.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/ui/Runtime.h"

namespace tarn::checker {

void ServicePassProcess::Init(storage::View& view, data::RelationManager& primary, int32_t pText,
                              uint8_t* percentile, framework::ProgressStepper* stepper,
                              const data::FieldRef& valueField) {
    PText = pText;
    Percentile = percentile;
    StepMgr = stepper;
    ValueField = valueField;
    if (Percentile) *Percentile = 0;
    CaseSensitiveValue = 1;
    Attach(view, primary);
}

void ServicePassProcess::Reset() {
    RecordsProcessed = 0;
    if (StepMgr) SetStepLimits();
    // Without a step object the progress would come from a record count or the file size;
    // the checker always has one.
    ChildRead = 0;
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
    if (FileSize > 0) BytesRead += static_cast<int32_t>(Primary->Me->BufferSize);
    ++RecordsProcessed;
    if (!Percentile) return result;
    long percent = 0;
    if (StepMgr)
        percent = StepMgr->Percentile(StepValue());
    else if (FileSize > 0)
        percent = static_cast<long>(static_cast<int64_t>(BytesRead) * 100 / FileSize);
    else if (RecordsToProcess > 0)
        percent =
            static_cast<long>(static_cast<int64_t>(RecordsProcessed) * 100 / RecordsToProcess);
    percent = std::min(percent, 100L);
    if (percent != *Percentile) {
        *Percentile = static_cast<uint8_t>(percent);
        UpdateDisplay();
    }
    return result;
}

void ServicePassProcess::UpdateDisplay() {
    ui::Window* window = ui::CurrentWindow();
    if (!window || !Percentile) return;
    if (ui::Control* text = PText > 0 ? window->Get(PText) : nullptr)
        text->text = std::to_string(*Percentile) + "% Complete";
    for (ui::Control& c : window->Controls())
        if (c.kind == ui::KindProgress) c.progress = *Percentile;
    window->Display();
}

void ServicePassProcess::Kill() {
    Percentile = nullptr;
    ValueField = data::FieldRef{};
    if (Primary) Primary->SetQuickScan(0);
    if (StepMgr) StepMgr->Kill();
    StepMgr = nullptr;
    Shutdown();
}

}  // namespace tarn::checker
