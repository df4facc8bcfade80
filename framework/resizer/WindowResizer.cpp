// The resizer's life: recording the controls and their parents, and the layout passes.
#include "framework/resizer/WindowResizer.h"

#include <algorithm>
#include <tuple>

#include "framework/window/WindowManager.h"
#include "platform/ui/Events.h"
#include "platform/ui/Window.h"

namespace tarn::framework {

namespace {

// Containers: a control inside one moves with it.
bool IsContainer(int kind) { return kind == 11 || kind == 13 || kind == 37 || kind == 38; }

// Kinds that are never laid out: they size and place themselves, or are part of another.
bool NeverLaidOut(int kind) {
    return kind < 1 || kind > 127 || kind == 19 || kind == 20 || kind == 22 || kind == 24 ||
           kind == 25 || kind == 38;
}

// The first entry of a queue kept in order of Id whose Id is not below id.
template <class Queue>
auto FirstAtOrAfter(Queue& queue, int32_t id) {
    return std::lower_bound(queue.begin(), queue.end(), id,
                            [](const auto& e, int32_t wanted) { return e.Id < wanted; });
}

bool SameSize(const ui::Rect& a, const ui::Rect& b) {
    return a.width == b.width && a.height == b.height;
}

}  // namespace

void WindowResizer::Attach(WindowManager& manager) {
    if (!manager.MyWindow) return;
    Initialise(*manager.MyWindow, 2, true, false);
    manager.SetResizer(*this);
}

void WindowResizer::Initialise(ui::Window& window, uint8_t strategy, bool setMinimumSize,
                               bool setMaximumSize) {
    window_ = &window;
    ControlQueue.clear();
    ResizeList.clear();
    AppStrategy = strategy;
    events_ = {ui::EventDoResize, ui::EventRestored, ui::EventGainFocus, ui::EventMaximized};
    // Every window of this runtime can be resized by its user: nothing to switch on for that.
    RecordControls();
    if (strategy == 2 || strategy == 4) AssignParents();
    if (setMinimumSize) {
        window.minWidth = OrigWin.Rect.width;
        window.minHeight = OrigWin.Rect.height;
    }
    if (setMaximumSize) {
        window.maxWidth = OrigWin.Rect.width;
        window.maxHeight = OrigWin.Rect.height;
    }
    DeferMoves = 1;
}

void WindowResizer::Shutdown() {
    events_.clear();
    ControlQueue.clear();
    ResizeList.clear();
    window_ = nullptr;
}

void WindowResizer::OnWindowEvent(int event) {
    if (std::find(events_.begin(), events_.end(), event) != events_.end()) OnSizeEvent();
}

WindowResizer::ControlEntry* WindowResizer::Find(int32_t control) {
    auto it = FirstAtOrAfter(ControlQueue, control);
    return it != ControlQueue.end() && it->Id == control ? &*it : nullptr;
}

int32_t WindowResizer::ParentOf(int32_t control) const {
    auto it = FirstAtOrAfter(ControlQueue, control);
    return it != ControlQueue.end() && it->Id == control ? it->ParentId : 0;
}

void WindowResizer::RecordControls() {
    if (!window_) return;
    OrigWin.Rect = window_->rect;
    OrigWin.Maximized = window_->State() == ui::WindowState::Maximized;
    OrigWin.Iconized = window_->State() == ui::WindowState::Iconized;
    PreviousWin = OrigWin.Rect;
    for (const ui::Control& c : window_->Controls()) {
        if (ControlEntry* known = Find(c.number)) {
            known->Pos = c.rect;
            continue;
        }
        int kind = c.kind;
        if (c.keepPlace || NeverLaidOut(kind)) continue;
        if (kind == ui::KindList && c.dropList) kind = ui::KindEntry;
        ControlEntry e;
        e.Id = c.number;
        e.Type = kind;
        std::tie(e.PositionalStrategy, e.ResizeStrategy) = StrategiesFor(AppStrategy, kind);
        e.Pos = c.rect;
        ControlQueue.insert(FirstAtOrAfter(ControlQueue, e.Id), e);
    }
    ResizeCalled = 0;
}

void WindowResizer::AssignParents() {
    for (ControlEntry& e : ControlQueue) AssignParent(e);
}

void WindowResizer::AssignParent(ControlEntry& entry) {
    const ui::Control* c = window_ ? window_->Get(entry.Id) : nullptr;
    if (!c) return;
    if (c->parent != 0) {
        // A tab is not a parent of its own: what sits on it belongs to the sheet it is on.
        int32_t child = entry.Id;
        const ui::Control* parent = window_->Get(c->parent);
        while (parent && parent->kind == 38) {
            child = parent->number;
            parent = window_->Get(parent->parent);
        }
        if (parent) SetParent(child, parent->number);
        return;
    }
    if (!IsContainer(entry.Type)) return;
    const int32_t self = entry.Id;
    const int32_t ownParent = entry.ParentId;
    const ui::Rect area = entry.Pos;
    for (ControlEntry& other : ControlQueue) {
        if (other.Id == self || other.Id == ownParent) continue;
        const ui::Rect& p = other.Pos;
        if (p.x >= area.x && p.x <= area.x + area.width - 1 && p.y >= area.y &&
            p.y <= area.y + area.height - 1) {
            SetParent(other.Id, self);
        }
    }
}

void WindowResizer::SetParent(int32_t child, int32_t parent) {
    if (child == parent) return;
    if (ControlEntry* c = Find(child)) c->ParentId = parent;
    if (ControlEntry* p = Find(parent)) p->HasChildren = 1;
}

void WindowResizer::Resize(int32_t control) {
    ResizeList.clear();
    if (!window_ || ControlQueue.empty()) return;
    const ui::Rect now = window_->rect;
    ui::Rect current = now;
    if (control != 0) {
        const ui::Control* c = window_->Get(control);
        if (!c) return;
        current = c->rect;
    } else if (SameSize(now, PreviousWin)) {
        return;
    }
    const int deferred = window_->DeferredMoves();
    if (DeferMoves) window_->SetDeferredMoves(static_cast<int>(ControlQueue.size()));
    if (SameSize(now, OrigWin.Rect)) {
        PutBackRecorded();
    } else {
        ui::Rect before = OrigWin.Rect;
        if (control == 0) {
            before.x = before.y = current.x = current.y = 0;
        } else {
            before = Find(control) ? Find(control)->Pos : current;
        }
        CollectMoves(control, before, current);
        if (!DeferMoves) OrderMoves(now);
        ApplyMoves();
    }
    if (DeferMoves) window_->SetDeferredMoves(deferred < 0 ? deferred : 0);
    ResizeCalled = 1;
    PreviousWin = now;
}

void WindowResizer::CollectMoves(int32_t parent, const ui::Rect& oldParent,
                                 const ui::Rect& newParent) {
    for (const ControlEntry& e : ControlQueue) {
        if (e.ParentId != parent || e.Id == parent) continue;
        const ui::Control* c = window_->Get(e.Id);
        if (!c) continue;
        Move m{0, e.Id, e.Type, c->rect, ComputeRectangle(e, oldParent, newParent)};
        ResizeList.push_back(m);
        if (e.HasChildren && (!(m.Before == m.After) || c->relayoutChildren))
            CollectMoves(e.Id, e.Pos, m.After);
    }
}

// Without deferral each move shows at once: a growing window moves the controls nearest its
// top-left corner first, a shrinking one the farthest first, so none runs over one not yet moved.
void WindowResizer::OrderMoves(const ui::Rect& now) {
    const bool widthChanged = now.width != PreviousWin.width;
    const bool heightChanged = now.height != PreviousWin.height;
    for (Move& m : ResizeList) {
        const int64_t x = m.After.x, y = m.After.y;
        m.Priority = !heightChanged ? x : !widthChanged ? y : x * x + y * y;
    }
    auto area = [](const ui::Rect& r) {
        return int64_t{r.width} * r.width + int64_t{r.height} * r.height;
    };
    const bool growing = area(now) > area(PreviousWin);
    std::stable_sort(ResizeList.begin(), ResizeList.end(), [&](const Move& a, const Move& b) {
        return growing ? a.Priority < b.Priority : a.Priority > b.Priority;
    });
}

void WindowResizer::ApplyMoves() {
    for (const Move& m : ResizeList) {
        if (m.Before == m.After) continue;
        const ui::Control* c = window_->Get(m.ControlId);
        if (!c) continue;
        ui::Rect to = m.After;
        // A control sized by its own text keeps that size.
        if (c->autoWidth) to.width = c->rect.width;
        if (c->autoHeight) to.height = c->rect.height;
        if (!(to == c->rect)) window_->MoveControl(m.ControlId, to);
    }
}

void WindowResizer::PutBackRecorded() {
    for (const ControlEntry& e : ControlQueue) {
        const ui::Control* c = window_->Get(e.Id);
        if (c && !(c->rect == e.Pos)) window_->MoveControl(e.Id, e.Pos);
    }
}

void WindowResizer::RestoreWindow() {
    if (!window_) return;
    if (OrigWin.Maximized) {
        if (window_->State() != ui::WindowState::Maximized)
            window_->Maximize(OrigWin.Rect.width, OrigWin.Rect.height);
    } else if (OrigWin.Iconized) {
        if (window_->State() != ui::WindowState::Iconized) window_->Iconize();
    } else if (window_->State() != ui::WindowState::Normal) {
        window_->Restore();
    }
    window_->SetSize(OrigWin.Rect.width, OrigWin.Rect.height);
    PutBackRecorded();
}

}  // namespace tarn::framework
