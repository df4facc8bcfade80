// The resizer's rules: which strategies a control kind gets, and where a control goes when its
// parent's rectangle changes. Worked in decimals of four places, stored as whole numbers.
#include <cstdlib>
#include <initializer_list>

#include "framework/resizer/WindowResizer.h"

namespace tarn::framework {

namespace {

// A decimal number in units of 1/10000.
using Decimal = int64_t;
constexpr Decimal kOne = 10000;

// n / d rounded half away from zero; d > 0.
int64_t RoundedDivide(int64_t n, int64_t d) {
    int64_t q = (std::llabs(n) * 2 + d) / (d * 2);
    return n < 0 ? -q : q;
}

Decimal Dec(int64_t whole) { return whole * kOne; }
Decimal Times(Decimal a, Decimal b) { return RoundedDivide(a * b, kOne); }
Decimal Half(Decimal a) { return a / 2; }  // exact: a whole number halved has one place
int Whole(Decimal a) { return static_cast<int>(RoundedDivide(a, kOne)); }

// new / old to four places; 1 when there is nothing to scale from.
Decimal Scale(int now, int before) { return before > 0 ? RoundedDivide(Dec(now), before) : kOne; }

bool OneOf(int kind, std::initializer_list<int> kinds) {
    for (int k : kinds)
        if (k == kind) return true;
    return false;
}

// One direction of a control: its recorded place and size, and the parent's before and now.
struct Axis {
    int at, size;              // the control's recorded place and size
    int parentAt, parentSize;  // the old parent
    int newAt, newSize;        // the new parent
};

// The control's new place on one axis under a rule of the low byte's values.
Decimal Place(int rule, const Axis& a, Decimal scale, Decimal factor) {
    const int relative = a.at - a.parentAt;
    if (rule == PlaceNearerEdge)
        rule = relative < a.parentSize - relative - a.size ? PlaceNearEdge : PlaceFarEdge;
    switch (rule) {
        case PlaceProportional:
            return Times(Dec(relative), scale) + Dec(a.newAt);
        case PlaceFarEdge:
            return Dec(a.newAt + a.newSize) - Times(Dec(a.parentSize - relative), factor);
        case PlaceNearEdge:
            return Dec(relative + a.newAt);
        case PlaceCentred:
            return Half(Dec(a.newSize)) + Dec(a.newAt) +
                   Times(Dec(relative) - Half(Dec(a.parentSize)), factor);
        case PlaceCentredUnscaled:
            return Half(Dec(a.newSize)) + Dec(a.newAt - a.parentAt) -
                   (Half(Dec(a.parentSize)) - Dec(a.at));
        default:  // PlaceUnchanged, and rules this runtime does not know
            return Dec(a.at);
    }
}

// The control's new place and size on one axis.
std::pair<int, int> Lay(const Axis& a, int rule, bool lock, bool keepMargin, bool halfMargin) {
    const Decimal scale = Scale(a.newSize, a.parentSize);
    const Decimal factor = lock ? kOne : scale;
    const int at = Whole(Place(rule, a, scale, factor));
    if (!keepMargin && !halfMargin) return {at, Whole(Times(Dec(a.size), factor))};
    // How far the old right (bottom) margin would now be from where the control ends.
    const int relative = a.at - a.parentAt;
    const int change = a.newAt + a.newSize - (a.parentSize - relative) - at;
    const Decimal grown = keepMargin ? Dec(change) : Half(Dec(change));
    return {at, Whole(Dec(a.size) + grown)};
}

}  // namespace

std::pair<uint16_t, uint16_t> WindowResizer::StrategiesFor(int strategy, int kind) {
    constexpr uint16_t kNearerEdges = PlaceNearerEdge | PlaceNearerEdge << 8;  // 4112
    constexpr uint16_t kTopLeft = PlaceNearEdge | PlaceNearEdge << 8;          // 1028
    constexpr uint16_t kAcrossAtTop = PlaceProportional | PlaceNearEdge << 8;  // 1024
    constexpr uint16_t kUnchanged = PlaceUnchanged | PlaceUnchanged << 8;      // 257
    constexpr uint16_t kCentred = PlaceCentred | PlaceCentred << 8;            // 2056
    constexpr uint16_t kLocked = LockWidth | LockHeight;                       // 3
    constexpr uint16_t kMargins = WidthKeepsMargin | HeightKeepsMargin;        // 12
    const bool button = OneOf(kind, {9, 12, 21});
    const bool entry = OneOf(kind, {8, 15, 16, 34});
    switch (strategy) {
        case 1:
            if (button) return {kNearerEdges, kLocked};
            if (entry) return {0, LockHeight};
            return {0, 0};
        case 2:
            if (entry || OneOf(kind, {1, 2, 10})) return {kAcrossAtTop, LockHeight};
            if (OneOf(kind, {3, 4, 11, 13, 14, 37, 39})) return {kTopLeft, kMargins};
            if (button) return {kNearerEdges, kLocked};
            return {0, 0};
        case 3:
            return {kUnchanged, kLocked};
        case 4:
            if (OneOf(kind, {1, 2, 10})) return {kTopLeft, kLocked};
            if (OneOf(kind, {3, 4, 11, 13, 14, 17, 37, 39, 40})) return {kTopLeft, kMargins};
            if (entry) return {kTopLeft, LockHeight | WidthKeepsMargin};
            if (button) return {kNearerEdges, kLocked};
            return {0, 0};
        case 5:
            return {kCentred, kLocked};
        default:
            return {0, 0};
    }
}

ui::Rect WindowResizer::ComputeRectangle(const ControlEntry& control, const ui::Rect& oldParent,
                                         const ui::Rect& newParent) {
    const ui::Rect& r = control.Pos;
    const uint16_t bits = control.ResizeStrategy;
    const uint16_t rules = control.PositionalStrategy;
    Axis across{r.x, r.width, oldParent.x, oldParent.width, newParent.x, newParent.width};
    Axis down{r.y, r.height, oldParent.y, oldParent.height, newParent.y, newParent.height};
    auto [x, width] = Lay(across, rules & 0xff, bits & LockWidth, bits & WidthKeepsMargin,
                          bits & WidthHalfMargin);
    auto [y, height] =
        Lay(down, rules >> 8, bits & LockHeight, bits & HeightKeepsMargin, bits & HeightHalfMargin);
    return ui::Rect{x, y, width, height};
}

}  // namespace tarn::framework
