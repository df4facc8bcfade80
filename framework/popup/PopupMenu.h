#pragma once
// The popup-menu object: a context menu built from named items, shown at a point or at the mouse,
// whose choice becomes an event posted to a control of the window that owns the object.
//
// Items are addressed by unique names derived from their texts ("&Insert" is Insert, a second
// one Insert1). An item may mimic a control of the window: shown with the control's text, icon
// and enabled state (read afresh each time the menu is shown; the item itself keeps "not set"),
// and choosing it presses the control. An item followed by a deeper one is a submenu header.
//
// Choice: Ask shows the menu through the runtime; the runtime numbers the entries that are
// neither separators nor submenu headers from 1, and so does ItemOfNumber. The chosen item's name
// is LastSelection (empty when dismissed); its event goes to MyThread, the thread that created
// the object.
//
// Toolbox: the same items as a floating window of buttons on a thread of its own
// (closed -> Toolbox() -> open, InToolbox 1 -> window closed -> closed). While it is open, the
// controls of the items that are not on it are disabled in the parent window; a pressed button
// is chosen as in Ask. Kill closes it and waits for its thread.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarn::ui {
class Window;
struct Control;
}  // namespace tarn::ui

namespace tarn::framework {

struct PopupMenuItem {
    int32_t ControlId = 0;  // receives the event when chosen; 0 none
    int32_t Depth = 1;      // 1 top level; a deeper item starts a submenu
    int32_t Event = 0;      // posted to ControlId; 0 none
    uint8_t MimicMode = 0;  // 1: mirrors ControlId and presses it when chosen
    uint8_t Disabled = 0;   // 0 not set (from the mimicked control), 1 disabled, 2 enabled
    uint8_t Check = 0;      // 0 no mark, 1 checked, 2 unchecked
    uint8_t OnToolbox = 0;  // 1: also a button of the toolbox
    std::string Icon;
    std::string Name;
    std::string Text;  // "-" is a separator; a leading "!" gives way to a mimicked control's text

    bool IsSeparator() const { return Text == "-"; }
};

class PopupMenu {
  public:
    // A window-level event the toolbox takes as "rebuild your buttons".
    static constexpr int kRebuildToolbox = 0x5F0;

    PopupMenu() = default;
    ~PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    // ---- fields ----
    uint8_t ClearKeycode = 1;
    uint8_t NoIcons = 0;
    std::string LastSelection;
    int32_t LastNumberSelection = 0;
    std::vector<PopupMenuItem> PopupItems;
    std::function<std::string(const std::string&)> Translator;  // applied to shown texts when set
    // (The INI store plays no part in what the menu does.)
    std::atomic<uint8_t> InToolbox{0};
    int32_t MyThread = 0;
    ui::Window* ParentWindow = nullptr;
    std::atomic<ui::Window*> ThisWindow{nullptr};

    // Defaults, no items, MyThread the calling thread.
    void Init();
    // Closes the toolbox and removes the items; safe to call twice.
    void Kill();
    void Clear();

    // Adds an item; returns its unique name. Leading "~" "+" "-" of the text set Disabled 1,
    // Check 1, Check 2 ("-" alone is a separator). depth 0: that of `after`, or 1. The item goes
    // after the item named `after`, or at the end.
    std::string AddItem(const std::string& text, const std::string& name = "",
                        const std::string& after = "", int depth = 0);
    std::string AddSeparator(const std::string& after = "");
    // Creates the item when no item has the name; it then posts `event` to `control`.
    std::string AddItemEvent(const std::string& name, int event, int control);
    // As AddItemEvent with the accepted event, mirroring `control`; text "" gives "!" + name.
    std::string AddItemMimic(const std::string& name, int control, const std::string& text = "");
    // Items separated by "|", "{" and "}" opening and closing submenus, each after the one before.
    // With no `after`, the items replace the menu.
    void AddMenu(const std::string& text, const std::string& after = "");
    // The header, and one level deeper the items of itemsText.
    void AddSubMenu(const std::string& header, const std::string& itemsText,
                    const std::string& after = "");

    // Each does nothing when no item has the name.
    void SetIcon(const std::string& name, const std::string& icon);
    void SetItemEnable(const std::string& name, bool enabled);  // separators are left alone
    void SetToolbox(const std::string& name, bool onToolbox);
    void DeleteItem(const std::string& name);
    // 1-based position of the item, 0 when absent.
    int ItemPosition(const std::string& name) const;
    // All items, or only the selectable ones at the top level.
    int GetItems(bool topLevelSelectable = false) const;

    // The menu as the runtime's popup function reads it, mimicking items as shown in `window`.
    std::string MenuText(const ui::Window* window) const;
    // Shows the menu at (x, y) in dialog units, at the mouse when both are 0; returns the chosen
    // item's name, "" when dismissed or without items.
    std::string Ask(int x = 0, int y = 0);
    // The item the runtime's entry `number` stands for; -1 for none.
    int ItemOfNumber(int number) const;
    // Opens the toolbox window (when it is not open) with the title as caption.
    void Toolbox(const std::string& title);

  private:
    // Adds the items of a text after `after` starting at `depth`; returns the last one's name.
    std::string AddItemsText(const std::string& text, std::string after, int depth);
    std::string UniqueName(const std::string& from) const;
    int IndexOf(const std::string& name) const;
    bool IsHeader(size_t index) const;
    // The item as shown: a mimicking item takes its control's text, state and icon.
    PopupMenuItem Shown(size_t index, const ui::Window* window) const;
    // Steps after the menu answered: mapping, LastSelection, posting.
    std::string Choose(int number);
    int NumberOfItem(size_t index) const;

    void RunToolbox(std::string title);
    void BuildToolboxButtons(ui::Window& toolbox, std::vector<size_t>& buttonItems);
    void SetParentControls(bool restore);

    mutable std::recursive_mutex mutex_;  // items, shared with the toolbox thread
    std::thread toolboxThread_;
    std::atomic<bool> stopToolbox_{false};
    std::vector<int> disabledByToolbox_;
};

}  // namespace tarn::framework
