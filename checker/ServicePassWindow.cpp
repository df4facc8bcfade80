#include "checker/ServicePassWindow.h"

#include "platform/ui/Events.h"
#include "platform/ui/Runtime.h"
#include "platform/ui/Window.h"

namespace tarn::checker {

void ServicePassWindow::Init(ServicePassProcess& process) {
    Process = &process;
    RecordsPerCycle = 1;
    TimeSlice = 100;
}

int64_t ServicePassWindow::Now() { return ui::UiNow(); }

void ServicePassWindow::EventLoop() {
    if (DeferWindow != 0 && MyWindow) {
        StartTime = Now();
        MyWindow->Hide();
    }
    framework::WindowManager::EventLoop();
}

void ServicePassWindow::OnFirstOpen() {
    framework::WindowManager::OnFirstOpen();
    ReadFirstRecord();
}

void ServicePassWindow::ReadFirstRecord() {
    Process->Reset();
    // Nothing to read ends the pass without a message.
    OpenFailed = NextRecord() != LevelQuiet ? 1 : 0;
}

Level ServicePassWindow::NextRecord() {
    Level result = Process->Next(true);
    if (result == LevelNotice && Process->RecordsProcessed != 0) {
        Response = ResponseCompleted;
        PostClose();
        return LevelNotice;
    }
    if (result == LevelNotice || result == LevelFatal) {
        Response = ResponseCancelled;
        PostClose();
        return LevelFatal;
    }
    return LevelQuiet;
}

Level ServicePassWindow::OnWindowEvent() {
    if (ui::Event() != ui::EventTimer) return framework::WindowManager::OnWindowEvent();
    Level batch = TakeBatch();
    if (batch != LevelQuiet) return batch;
    return framework::WindowManager::OnWindowEvent();
}

Level ServicePassWindow::TakeBatch() {
    if (OpenFailed) return LevelFatal;
    const int32_t base = Process->RecordsProcessed;
    const int64_t start = Now();
    if (DeferWindow != 0 && Now() - StartTime > int64_t{DeferWindow} * 100) {
        DeferWindow = 0;
        OnShow();
        if (MyWindow) MyWindow->Show();
    }
    int64_t elapsed = 0;
    do {
        while (Process->RecordsProcessed - base < RecordsPerCycle) {
            Level taken = TakeRecord();
            if (taken != LevelQuiet) return taken;
        }
        elapsed = Now() - start;
        if (elapsed * 5 < int64_t{TimeSlice} * 4) RecordsPerCycle *= 2;
    } while (elapsed * 2 < TimeSlice);
    if (elapsed * 2 > int64_t{TimeSlice} * 3 && RecordsPerCycle > 1) RecordsPerCycle /= 2;
    return LevelQuiet;
}

Level ServicePassWindow::TakeRecord() {
    Level handled = Process->TakeRecord();
    if (handled == LevelFatal) {
        StopTimer();
        PostClose();
        return LevelNotice;
    }
    if (handled == LevelNotice) return LevelNotice;
    if (NextRecord() != LevelQuiet) {
        StopTimer();
        return LevelNotice;
    }
    return LevelQuiet;
}

void ServicePassWindow::StopTimer() {
    if (MyWindow) MyWindow->SetTimer(0);
}

}  // namespace tarn::checker
