#pragma once
// WindowResizer: lays a window's controls out again whenever the window's size or state changes.
//
// Initialise records every control's rectangle as the window stands (Pos: the opening layout)
// and gives each control a positional rule and resize bits from the application strategy and
// the control's kind. Each pass (Resize) computes every place afresh from the recorded
// rectangles, the recorded window and the window's size now, so resizing again and again never
// piles up rounding, and at the recorded size every control is put back exactly on its Pos.
//
// Life:  created --Initialise--> recorded (ResizeCalled 0; the window's events 1023, 562, 518
//        and 563 answered by OnSizeEvent) --a pass--> laid out (ResizeCalled 1, PreviousWin the
//        size of that pass) --Shutdown--> detached (events no longer answered, lists empty).
// A pass whose window size equals PreviousWin does nothing.
//
// Parents: every recorded control has one (ParentId; 0 is the window). A pass moves the
// window's children; a child that moved (or asks for it) has its own children laid out in the
// rectangle it moved to. The toolbar's buttons are children of the toolbar.
#include <cstdint>
#include <utility>
#include <vector>

#include "framework/window/WindowComponent.h"
#include "platform/ui/Control.h"

namespace tarn::ui {
class Window;
}

namespace tarn::framework {

class WindowManager;

// Horizontal rules (low byte of a positional strategy); the vertical rules are the same values
// times 256 in the high byte.
enum PositionalRule : uint16_t {
    PlaceProportional = 0,
    PlaceUnchanged = 1,
    PlaceFarEdge = 2,   // keeps its distance to the right (bottom) edge
    PlaceNearEdge = 4,  // keeps its distance to the left (top) edge
    PlaceCentred = 8,
    PlaceNearerEdge = 16,  // 2 or 4, whichever edge is nearer
    PlaceCentredUnscaled = 32,
};

// Resize bits.
enum ResizeBit : uint16_t {
    LockWidth = 1,
    LockHeight = 2,
    WidthKeepsMargin = 4,   // the right edge keeps its distance to the parent's right edge
    HeightKeepsMargin = 8,  // likewise at the bottom
    WidthHalfMargin = 16,   // the width takes half of the change of that margin
    HeightHalfMargin = 32,
};

class WindowResizer : public ResizerHandle {
  public:
    struct ControlEntry {
        int32_t Id = 0;
        int32_t Type = 0;  // the control's kind as laid out (a drop list counts as an entry)
        uint8_t HasChildren = 0;
        uint16_t PositionalStrategy = 0;
        uint16_t ResizeStrategy = 0;
        ui::Rect Pos;  // the rectangle when recorded
        int32_t ParentId = 0;
    };
    struct Move {
        int64_t Priority = 0;
        int32_t ControlId = 0;
        int32_t Type = 0;
        ui::Rect Before;
        ui::Rect After;
    };
    struct WindowPlace {
        ui::Rect Rect;
        uint8_t Maximized = 0;
        uint8_t Iconized = 0;
    };

    // Lays out the manager's open window as the editor's data windows want it: strategy 2 and
    // never smaller than it opened. The manager routes its window events here and shuts this
    // down with itself.
    void Attach(WindowManager& manager);

    // Records the window's controls under an application strategy (1 to 5); the window's
    // minimum (maximum) size becomes its size now when asked.
    void Initialise(ui::Window& window, uint8_t strategy, bool setMinimumSize, bool setMaximumSize);
    // Stops answering the window's events and forgets the controls; safe to call twice.
    void Shutdown() override;
    // Lays the controls out on the events it registered for.
    void OnWindowEvent(int event) override;

    // The recorded parent of a control (0: the window, or not recorded).
    int32_t ParentOf(int32_t control) const;
    // Records (or, for controls already recorded, refreshes) every control's rectangle and the
    // window's place and state.
    void RecordControls();
    void OnSizeEvent() { Resize(0); }
    // Lays out the children of a control (0: the whole window) for its rectangle now.
    void Resize(int32_t control);
    // Gives the window back its recorded state and size and puts every control on its Pos.
    void RestoreWindow();
    void AssignParents();

    // The positional strategy and resize bits of a control kind under an application strategy.
    static std::pair<uint16_t, uint16_t> StrategiesFor(int strategy, int kind);
    // Where a control goes when its parent's rectangle changes from oldParent to newParent.
    static ui::Rect ComputeRectangle(const ControlEntry& control, const ui::Rect& oldParent,
                                     const ui::Rect& newParent);

    const std::vector<ControlEntry>& Controls() const { return ControlQueue; }
    const WindowPlace& OriginalWindow() const { return OrigWin; }

    // 1: the moves of a pass are collected and carried out together; 0: each is carried out at
    // once, in an order that keeps controls from running over each other. 1 after Initialise.
    uint8_t DeferMoves = 0;

  private:
    ControlEntry* Find(int32_t control);
    void AssignParent(ControlEntry& entry);
    void SetParent(int32_t child, int32_t parent);
    void CollectMoves(int32_t parent, const ui::Rect& oldParent, const ui::Rect& newParent);
    void OrderMoves(const ui::Rect& now);
    void ApplyMoves();
    void PutBackRecorded();

    ui::Window* window_ = nullptr;
    std::vector<int> events_;  // the window events answered by OnSizeEvent

    uint8_t AppStrategy = 0;
    WindowPlace OrigWin;                     // the window as recorded
    std::vector<ControlEntry> ControlQueue;  // in order of Id
    ui::Rect PreviousWin;                    // the window after the last pass
    uint8_t ResizeCalled = 0;                // 1 once a pass has run
    std::vector<Move> ResizeList;            // the moves of the current pass
};

}  // namespace tarn::framework
