#pragma once
// The window side of the process engine: takes records in batches on the window's timer, keeps
// the window hidden for DeferWindow seconds and closes it when the view is exhausted.
//
//   hidden (StartTime set) --first timer after DeferWindow s--> shown
//   opened --Reset + first read--> reading (OpenFailed 0) or failed (OpenFailed 1: close posted)
//   reading --timer: batches of RecordsPerCycle--> ... --end of view--> close (completed)
//   reading --handler LevelFatal / read error / Cancel--> close (as set / cancelled)
#include <cstdint>

#include "checker/ServicePassProcess.h"
#include "framework/WindowManager.h"

namespace tarn::checker {

class ServicePassWindow : public framework::WindowManager {
  public:
    // ---- fields, after the window manager's (report and preview ones unused here) ----
    int32_t DeferWindow = 0;
    void* Processors = nullptr;
    void* Preview = nullptr;
    void* PreviewQueue = nullptr;
    void* OutputFileQueue = nullptr;
    ServicePassProcess* Process = nullptr;
    void* Attribute = nullptr;
    void* ReportTarget = nullptr;
    void* DataOutputTarget = nullptr;
    void* TargetSelector = nullptr;
    void* BreakMan = nullptr;
    int32_t RecordsPerCycle = 1;
    int32_t QueryControl = 0;
    void* Report = nullptr;
    int64_t StartTime = 0;  // hundredths on Now()'s clock
    int32_t TimeSlice = 100;
    void* WmfParser = nullptr;
    void* Zoom = nullptr;
    uint8_t DeferOpenReport = 0;
    uint8_t KeepVisible = 0;
    uint8_t OpenFailed = 0;
    uint8_t OpenOutputWhenFinish = 0;
    uint8_t TargetSelectorCreated = 0;
    uint8_t SkipPreview = 0;
    uint8_t ShowOutputProgress = 0;
    uint8_t UseMrp = 0;
    uint8_t WaitCursor = 0;

    void Init(ServicePassProcess& process);

    // Hides the window for DeferWindow seconds, then runs the event loop.
    void EventLoop() override;
    void OnFirstOpen() override;
    // Timer events take records in batches; every other window event as the base does.
    Level OnWindowEvent() override;

    // ---- the engine's own operations, in slot order ----
    virtual Level TakeBatch();
    virtual Level NextRecord();
    virtual Level OpenReport();
    virtual void NoRecords() {}
    virtual Level TakeRecord();
    // Called when the window comes out of hiding.
    virtual void OnShow() {}

    // Hundredths of a second on the window runtime's clock, which never goes back.
    virtual int64_t Now();

  private:
    void StopTimer();
};

}  // namespace tarn::checker
