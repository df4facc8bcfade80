#pragma once
// Requests and responses passed between a calling window and the procedure it runs, and the
// per-thread program globals that carry them.
//
// A caller sets SharedRequest(), calls the procedure and reads SharedResponse() afterwards; an
// update form may leave a navigation code in FormNavigationRequest() to ask its browse to move and
// run it again. Each thread has its own three values, all 0 at the start.
#include <cstdint>

namespace tarn {

enum Request : uint8_t {
    RequestNone = 0,
    RequestInsert = 1,
    RequestChange = 2,
    RequestDelete = 3,
    RequestSelect = 4,
    RequestView = 6,
    RequestSave = 7,  // set by the window itself when its Save button is pressed
};

enum Response : uint8_t {
    ResponseNone = 0,
    ResponseCompleted = 1,
    ResponseCancelled = 2,
};

// Form-navigation codes an update form leaves for its browse.
enum FormNavigation : int32_t {
    NavigationNone = 0,
    NavigationInsertAnother = 3001,
    NavigationLast = 3005,
    NavigationFirst = 3006,
    NavigationPageDown = 3007,
    NavigationPageUp = 3008,
    NavigationNext = 3009,  // after an insert: insert another
    NavigationPrevious = 3010,
    NavigationHistoryButton = 3012,  // the toolbar's history button: recall the focused field
};

}  // namespace tarn

namespace tarn::framework {

// The calling thread's shared request, shared response and form-navigation request.
uint8_t& SharedRequest();
uint8_t& SharedResponse();
int32_t& FormNavigationRequest();

}  // namespace tarn::framework
