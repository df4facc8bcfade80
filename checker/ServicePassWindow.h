#pragma once
// The window side of the process engine: takes records in batches on the window's timer, keeps
// the window hidden for DeferWindow seconds and closes it when the view is exhausted.
//
//   hidden (StartTime set) --first timer after DeferWindow s--> shown
//   opened --Reset + first read--> reading (OpenFailed 0) or failed (OpenFailed 1: close posted)
//   reading --timer: batches of RecordsPerCycle--> ... --end of view--> close (completed)
//   reading --handler LevelFatal / read error / Cancel--> close (as set / cancelled)
//
// The same engine could print a report or show a preview, and would carry their targets and
// break handling here; the checker drives neither, so this class has no part of them.
#include <cstdint>

#include "checker/ServicePassProcess.h"
#include "framework/window/WindowManager.h"

namespace tarn::checker {

class ServicePassWindow : public framework::WindowManager {
  public:
    // ---- fields, after the window manager's ----
    int32_t DeferWindow = 0;                // seconds the window stays hidden; 0 once shown
    ServicePassProcess* Process = nullptr;  // the record side
    int32_t RecordsPerCycle = 1;            // batch size; grows and shrinks with the batches' time
    int64_t StartTime = 0;                  // when the window was hidden, on Now()'s clock
    int32_t TimeSlice = 100;                // target length of a timer event's work, hundredths
    uint8_t OpenFailed = 0;                 // the first read found nothing or failed

    void Init(ServicePassProcess& process);

    // Hides the window for DeferWindow seconds, then runs the event loop.
    void EventLoop() override;
    void OnFirstOpen() override;
    // Timer events take records in batches; every other window event as the base does.
    Level OnWindowEvent() override;

    // One timer event's work: batches of records until about half a time slice has passed.
    virtual Level TakeBatch();
    // Called when the window comes out of hiding.
    virtual void OnShow() {}
    // Hundredths of a second on the window runtime's clock, which never goes back.
    virtual int64_t Now();

  private:
    // Back to the first record and reads it; an empty view or a read error ends the pass.
    void ReadFirstRecord();
    // Reads the next record: LevelQuiet, or LevelNotice/LevelFatal with the close posted.
    Level NextRecord();
    // Hands the record read last to the handler, then reads the next one.
    Level TakeRecord();
    void StopTimer();
};

}  // namespace tarn::checker
