#pragma once
// A sort order's locator: repositions the browse's list when the operator types in it.
//
// The browse calls, per order: Init once; SetAlerts when it registers its keys; TakeKey for a key
// no other rule of the list claims (and relocates on the record buffer's key values when it
// answers Changed); UpdateWindow after each scroll; TakeAccepted for accepted events (locators
// with an entry control); Reset when a changed order takes the locator over.
//
// The locator reaches the list only through LocatorList, which the browse implements.
#include <cstdint>

#include "data/FieldRef.h"

namespace tarn::ui {
class Window;
}

namespace tarn::framework {

// What a locator needs of the list it positions.
class LocatorList {
  public:
    virtual ~LocatorList() = default;
    // The rows the list holds now.
    virtual int RowCount() const = 0;
    // The highlighted row, from 1; 0 when the list is empty.
    virtual int Highlight() const = 0;
    // Moves the highlight one row down; at the last row the list scrolls by one record, and at
    // the end of the order the highlight stays.
    virtual void MoveHighlightDown() = 0;
    // Loads the highlighted row's record into the record buffer the locate field lives in.
    virtual void LoadHighlightedRow() = 0;
    // False when the field sorts descending in the current order.
    virtual bool FieldAscendingInOrder(const data::FieldRef& field) const = 0;
};

enum class LocateResult {
    Ignored,  // the key is not for the locator
    Handled,  // taken; the list moved at most a row and needs no relocating
    Changed,  // the located value changed: the browse relocates on it
};

class Locator {
  public:
    // ---- fields ----
    LocatorList* Browse = nullptr;
    int32_t Control = 0;         // the locator's entry control; 0: none
    data::FieldRef FreeElement;  // the field located on, in the primary record buffer
    uint8_t NoCase = 0;

    virtual ~Locator() = default;
    virtual void Init(int32_t control, const data::FieldRef& field, bool noCase,
                      LocatorList& browse);
    // Alerts on the list the keys the locator takes, so they reach the browse.
    virtual void SetAlerts(ui::Window& /*window*/, int /*listControl*/) {}
    // A key typed in the list; keychar is the character it typed (1..255), 0 for none.
    virtual LocateResult TakeKey(int keychar) = 0;
    // Shows the located value again after the list scrolled (locators with a control).
    virtual void UpdateWindow() {}
    // True when an accepted control was the locator's entry and its value changed.
    virtual bool TakeAccepted(int /*control*/) { return false; }
    // Clears the located value.
    virtual void Reset() { FreeElement.Clear(); }
};

}  // namespace tarn::framework
