#pragma once
// The locator of a list without a locator control: each typed character steps one row down, and
// relocates on that character when the next row does not begin with it. Typing one letter again
// and again thus walks through the rows that begin with it.
#include "framework/locate/Locator.h"

namespace tarn::framework {

class StepLocator : public Locator {
  public:
    // Alerts on the list the keys of the printable characters but the blank.
    void SetAlerts(ui::Window& window, int listControl) override;
    // Ignored without a character; Handled when the list had rows (the highlight moved) and the
    // row now highlighted begins with the character; else Changed: the locate field holds the
    // character, followed by code 254 when the field is descending in the order.
    LocateResult TakeKey(int keychar) override;

  private:
    char Fold(char c) const;
};

}  // namespace tarn::framework
