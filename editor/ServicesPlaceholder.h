#pragma once
// Stands in for the services list until that window is built.

namespace tarn::editor {

// Tells the operator that the list of services is not in this version yet.
void ServicesPlaceholder();

}  // namespace tarn::editor
