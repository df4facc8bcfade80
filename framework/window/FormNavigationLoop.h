#pragma once
// The loop that runs an update form again for as long as it leaves a form-navigation request.
#include <cstdint>
#include <functional>

namespace tarn::framework {

// The request the form runs with next after it left code: an insert after 3001, and after 3009
// when the last run was an insert; otherwise the same request.
uint8_t RequestAfterNavigation(int32_t code, uint8_t request);

// Runs runForm(request) with the thread's form-navigation request cleared before each run; while
// the form leaves a code, move(code) positions the caller (a browse moves its highlight) and the
// form runs again with RequestAfterNavigation. Returns the last run's response.
uint8_t RunWithFormNavigation(uint8_t request, const std::function<uint8_t(uint8_t)>& runForm,
                              const std::function<void(int32_t, uint8_t)>& move);

}  // namespace tarn::framework
