#pragma once
// What a browse and the locators and step objects of its sort orders ask of each other.
//
// A locator repositions the list when the operator types in it; a step object turns the scroll
// thumb's percentage into a value of the order's locate field and back. The browse calls them
// through Locator and StepObject; a locator reaches the list through LocatorList, which the
// browse implements.
#include <string>

#include "data/FieldRef.h"

namespace tarn::ui {
class Window;
}

namespace tarn::framework {

// The list as a locator sees it.
class LocatorList {
  public:
    virtual ~LocatorList() = default;
    virtual int Rows() = 0;
    virtual int Highlight() = 0;
    // Moves the highlight one row down (when there is one) and loads that row into the record
    // buffer.
    virtual void MoveHighlightDown() = 0;
    // True when the field sorts ascending in the order in force.
    virtual bool Ascending(const data::FieldRef& field) = 0;
};

class Locator {
  public:
    virtual ~Locator() = default;
    // Alerts the keys the locator handles on the list control.
    virtual void SetAlerts(ui::Window& window, int listControl) = 0;
    // Handles the current key event; true when it changed the located value, so the browse
    // relocates on it.
    virtual bool TakeKey() = 0;
    // Shows the located value again after the list moved.
    virtual void UpdateWindow() = 0;
    // True when an accepted event of the locator's own entry control changed the value.
    virtual bool TakeAccepted() = 0;
};

class StepObject {
  public:
    virtual ~StepObject() = default;
    // True when the steps are computed from the first and last values of the order.
    virtual bool NeedsLimits() = 0;
    virtual void SetLimits(const std::string& low, const std::string& high) = 0;
    // The value at a percentile 1..100.
    virtual std::string ValueAt(int percent) = 0;
    // The percentile 1..100 of a value.
    virtual int PercentileOf(const std::string& value) = 0;
};

}  // namespace tarn::framework
