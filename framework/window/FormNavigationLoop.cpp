#include "framework/window/FormNavigationLoop.h"

#include "framework/window/Requests.h"

namespace tarn::framework {

uint8_t RequestAfterNavigation(int32_t code, uint8_t request) {
    if (code == NavigationInsertAnother) return RequestInsert;
    if (code == NavigationNext && request == RequestInsert) return RequestInsert;
    return request;
}

uint8_t RunWithFormNavigation(uint8_t request, const std::function<uint8_t(uint8_t)>& runForm,
                              const std::function<void(int32_t, uint8_t)>& move) {
    for (;;) {
        FormNavigationRequest() = NavigationNone;
        uint8_t response = runForm(request);
        int32_t code = FormNavigationRequest();
        if (code == NavigationNone) return response;
        request = RequestAfterNavigation(code, request);
        if (move) move(code, request);
    }
}

}  // namespace tarn::framework
