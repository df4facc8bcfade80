#pragma once
// The record side of the process engine: reads a view one record at a time, counts what it read
// and turns the value field of each record into a percentage for the progress window.
//
// The engine could also interleave secondary readers and measure progress by a record count or
// by bytes read; the checker always measures by its step object, so only that is here.
#include <cstdint>

#include "data/FieldRef.h"
#include "data/ViewManager.h"
#include "errors/Levels.h"
#include "framework/locate/ProgressStepper.h"
#include "platform/ui/Window.h"

namespace tarn::checker {

class ServicePassProcess : public data::ViewManager {
  public:
    // ---- fields, after the view manager's ----
    uint8_t* Percentile = nullptr;                  // the progress shown, 0..100
    int32_t PText = -1;                             // the control showing "n% Complete"
    int32_t RecordsProcessed = 0;                   // records read so far, counted
    framework::ProgressStepper* StepMgr = nullptr;  // turns ValueField into a percentage
    data::FieldRef ValueField;                      // the field progress is measured by

    // Stores the references (the window whose texts and bar show the progress among them), sets
    // the progress to 0 and attaches the view manager part.
    void Init(storage::View& view, data::RelationManager& primary, ui::Window& window,
              int32_t pText, uint8_t* percentile, framework::ProgressStepper* stepper,
              const data::FieldRef& valueField);
    // Back to the first record; derives the step limits from the first and last values.
    void Reset();
    // Reads the next record; with count, updates the counters and the progress. Damaged pages
    // of the list that the view passed over are handed to ReadDamaged and the reading goes on;
    // any other read error is reported (message 1) and gives LevelFatal.
    Level Next(bool count);
    using data::ViewManager::Next;
    // The per-record hook: what the pass does with the record read last. LevelQuiet goes on,
    // LevelNotice stops taking records, LevelFatal ends the pass.
    virtual Level TakeRecord() { return LevelQuiet; }
    // Told what the view passed over when it met damage (the driver's words).
    virtual void ReadDamaged(const std::string&) {}
    // Called once the list is open and readable, before the first record is read.
    virtual void PassBeginning() {}
    // Called as the pass ends, while its files are still open.
    virtual void PassEnding() {}
    // Drops the references, switches the read-ahead off and shuts the view manager down.
    void Kill();

  private:
    Level ReadOn();
    void SetStepLimits();
    double StepValue() const;
    void UpdateDisplay();

    ui::Window* window_ = nullptr;
};

}  // namespace tarn::checker
