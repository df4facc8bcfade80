#include "framework/toolbar/ToolbarManager.h"

namespace tarn::framework {

void ToolbarManager::Initialise() {
    List = std::make_unique<std::vector<TargetEntry>>();
    current_ = -1;
}

void ToolbarManager::Dispose() {
    List.reset();
    current_ = -1;
}

void ToolbarManager::AddTarget(ToolbarTarget& target, int32_t id) {
    if (!List) Initialise();
    List->push_back(TargetEntry{id, &target});
    if (current_ < 0) current_ = 0;
}

ToolbarTarget* ToolbarManager::Current() const {
    if (!List || current_ < 0 || current_ >= static_cast<int>(List->size())) return nullptr;
    return (*List)[current_].Item;
}

void ToolbarManager::SetTarget(int32_t id) {
    if (!List) return;
    if (id != 0) {
        for (size_t i = 0; i < List->size(); ++i) {
            if ((*List)[i].Id == id) {
                current_ = static_cast<int>(i);
                (*List)[i].Item->MakeCurrent();
                return;
            }
        }
        return;
    }
    for (size_t i = 0; i < List->size(); ++i)
        if ((*List)[i].Item->WantsToolbar()) current_ = static_cast<int>(i);
}

void ToolbarManager::ShowButtons() {
    if (ToolbarTarget* t = Current()) t->ShowButtons();
}

void ToolbarManager::HandleEvent(int32_t& navigationRequest) {
    if (!List || List->empty()) return;
    if (ToolbarTarget* t = Current()) t->HandleEvent(navigationRequest);
}

}  // namespace tarn::framework
