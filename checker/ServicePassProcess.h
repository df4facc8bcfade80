#pragma once
// The record side of the process engine: reads a view one record at a time, counts what it read
// and turns it into a percentage for the progress window.
#include <cstdint>

#include "data/FieldRef.h"
#include "data/ViewManager.h"
#include "errors/Levels.h"
#include "framework/ProgressStepper.h"

namespace tarn::checker {

class ServicePassProcess : public data::ViewManager {
  public:
    // ---- fields, after the view manager's ----
    int32_t BytesRead = 0;
    int32_t FileSize = 0;
    void* Children = nullptr;  // no secondary readers in the checker
    uint8_t* Percentile = nullptr;
    int32_t PText = -1;
    void* Query = nullptr;
    int32_t RecordsProcessed = 0;
    int32_t RecordsToProcess = 0;
    framework::ProgressStepper* StepMgr = nullptr;
    data::FieldRef ValueField;
    uint16_t ChildRead = 0;
    uint8_t ChildEof = 0;
    uint8_t CaseSensitiveValue = 1;

    // Stores the references, sets the progress to 0 and attaches the view manager part.
    void Init(storage::View& view, data::RelationManager& primary, int32_t pText,
              uint8_t* percentile, framework::ProgressStepper* stepper,
              const data::FieldRef& valueField);
    // Back to the first record; derives the step limits from the first and last values.
    virtual void Reset();
    // Reads the next record; with count, updates the counters and the progress.
    virtual Level Next(bool count);
    using data::ViewManager::Next;
    // The per-record hook; the pass overrides it.
    virtual Level TakeRecord() { return LevelQuiet; }
    // Shows the percentage in the percent text.
    virtual void UpdateDisplay();
    // Drops the references, switches the read-ahead off and shuts the view manager down.
    virtual void Kill();

  private:
    void SetStepLimits();
    double StepValue() const;
};

}  // namespace tarn::checker
