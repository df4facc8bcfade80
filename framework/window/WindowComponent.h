#pragma once
// What takes part in a window's life besides the window manager itself: components that see
// every event (browses, toolbars, history lists), and the helpers a window may attach.
#include <cstdint>

#include "errors/Levels.h"

namespace tarn::ui {
class Window;
}

namespace tarn::framework {

// A part of a window that sees its events. Registered with WindowManager::AddComponent.
class WindowComponent {
  public:
    virtual ~WindowComponent() = default;
    virtual void Shutdown() = 0;
    // Reloads what the component shows; force > 0 reloads even when nothing seems changed.
    virtual void Refresh(int force) = 0;
    // True when what the component shows is out of date.
    virtual bool NeedsRefresh() = 0;
    virtual void RegisterKeys() = 0;
    // Sees the current event; a non-zero level ends its dispatch (see WindowManager::HandleEvent).
    virtual Level HandleEvent() = 0;
    // Moves control values into the component's variables.
    virtual void Update() = 0;
    virtual void Redisplay() = 0;
};

// A browse: a component that can be told its window was opened to pick a record.
class BrowseComponent : public WindowComponent {
  public:
    virtual void SetSelecting(bool selecting) = 0;
};

// Rewrites a window's texts when it first opens.
class WindowTranslator {
  public:
    virtual ~WindowTranslator() = default;
    virtual void TranslateWindow(ui::Window& window) = 0;
};

// What the window manager needs of its resizer: to see the window's own events before the
// window handles them (to lay the controls out again), and to be shut down with it.
class ResizerHandle {
  public:
    virtual ~ResizerHandle() = default;
    virtual void Shutdown() = 0;
    virtual void OnWindowEvent(int event) = 0;
};

// Moves a form on to its next record when it works through records in a batch.
class FormNavigator {
  public:
    virtual ~FormNavigator() = default;
    virtual void MoveOn() = 0;
};

}  // namespace tarn::framework
