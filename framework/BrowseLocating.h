#pragma once
// Stand-in for the locator and step-object interfaces until they are in the tree.
#include <cstdint>
#include <string>

#include "data/FieldRef.h"

namespace tarn::ui {
class Window;
}

namespace tarn::framework {

class LocatorList {
  public:
    virtual ~LocatorList() = default;
    virtual int RowCount() const = 0;
    virtual int Highlight() const = 0;
    virtual void MoveHighlightDown() = 0;
    virtual void LoadHighlightedRow() = 0;
    virtual bool FieldAscendingInOrder(const data::FieldRef& field) const = 0;
};

enum class LocateResult { Ignored, Handled, Changed };

class Locator {
  public:
    LocatorList* Browse = nullptr;
    int32_t Control = 0;
    data::FieldRef FreeElement;
    uint8_t NoCase = 0;

    virtual ~Locator() = default;
    virtual void Init(int32_t control, const data::FieldRef& field, bool noCase,
                      LocatorList& browse) {
        Control = control;
        FreeElement = field;
        NoCase = noCase;
        Browse = &browse;
    }
    virtual void SetAlerts(ui::Window&, int) {}
    virtual LocateResult TakeKey(int keychar) = 0;
    virtual void UpdateWindow() {}
    virtual bool TakeAccepted(int) { return false; }
    virtual void Reset() { FreeElement.Clear(); }
};

class StepObject {
  public:
    virtual ~StepObject() = default;
    virtual uint8_t PercentileOf(const std::string& value) = 0;
    virtual std::string ValueAt(uint8_t percentile) = 0;
    virtual void SetLimits(const std::string& first, const std::string& last) = 0;
    virtual bool NeedsRuntimeLimits() const = 0;
    virtual void Kill() {}
};

}  // namespace tarn::framework
