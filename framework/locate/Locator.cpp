#include "framework/locate/Locator.h"

namespace tarn::framework {

void Locator::Init(int32_t control, const data::FieldRef& field, bool noCase, LocatorList& browse) {
    Control = control;
    FreeElement = field;
    NoCase = noCase ? 1 : 0;
    Browse = &browse;
}

}  // namespace tarn::framework
