#include "editor/ServicesPlaceholder.h"

#include "errors/ErrorManager.h"

namespace tarn::editor {

void ServicesPlaceholder() {
    errors::GlobalErrors().ShowMessage("The list of services comes in the next version.",
                                       "Services", IconNone, ButtonOk, ButtonOk, 0);
}

}  // namespace tarn::editor
