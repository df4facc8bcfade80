#pragma once
// The toolbar manager: a list of toolbar targets, one of them current, that receives every
// accepted event of its window together with the form-navigation request, so that one set of
// toolbar buttons can drive whichever list or form is active.
//
// No window of this system defines targets; the manager is still created, initialised and
// disposed with each window, and passes events on only when it has targets.
#include <cstdint>
#include <memory>
#include <vector>

namespace tarn::framework {

// Something the toolbar's buttons can drive (a list or a form).
class ToolbarTarget {
  public:
    virtual ~ToolbarTarget() = default;
    virtual void ShowButtons() = 0;
    virtual void MakeCurrent() = 0;
    // True when the target wants the toolbar now (for choosing the current target).
    virtual bool WantsToolbar() = 0;
    // Sees an accepted event; may set the form-navigation request.
    virtual void HandleEvent(int32_t& navigationRequest) = 0;
};

class ToolbarManager {
  public:
    struct TargetEntry {
        int32_t Id = 0;
        ToolbarTarget* Item = nullptr;
    };

    virtual ~ToolbarManager() = default;

    // ---- field ----
    std::unique_ptr<std::vector<TargetEntry>> List;

    // ---- virtual operations, in slot order ----
    // Lets the current target show its buttons; nothing without a current target.
    virtual void ShowButtons();
    // Frees the target list; safe to call twice.
    virtual void Dispose();
    // Passes an accepted event to the current target when there are targets.
    virtual void HandleEvent(int32_t& navigationRequest);

    // ---- non-virtual ----
    // Creates an empty target list.
    void Initialise();
    void AddTarget(ToolbarTarget& target, int32_t id);
    // Makes the target with this id current; 0 picks the last target that wants the toolbar.
    void SetTarget(int32_t id);
    ToolbarTarget* Current() const;

  private:
    int current_ = -1;  // index into List
};

}  // namespace tarn::framework
