#pragma once
// Running a driver operation between its observer's before and after calls.
#include "platform/storage/RecordFile.h"
#include "platform/system/LastError.h"

namespace tarn::storage {

// The text of the error a stopped operation answers.
inline constexpr char kStoppedText[] = "Operation stopped by its observer";

// Runs body (which answers an error code) unless the observer stops it. A stopped operation did
// nothing: it answers the error the observer set while stopping it or, when it set none, 90 with
// kStoppedText; never the success a caller would take it for. A view's operation (forView) is
// always ended for the observer, stopped or not, since an observer may hold its other hooks back
// until the view's operation ends.
template <class Body>
int Observed(RecordFile& file, int op, long parameter, Body&& body, bool forView = false) {
    OperationObserver* observer = file.Observer();
    if (!observer) return body();
    OperationCall call;
    call.op = op;
    call.parameter = parameter;
    call.forView = forView;
    platform::ClearLastError(file.Name());
    if (!observer->OnOperationStart(call) || call.stop) {
        if (forView) observer->OnOperationDone(call);
        if (const int code = platform::LastErrorCode()) return code;
        platform::SetLastError(platform::kDriverError, file.Name(), "", kStoppedText);
        return platform::kDriverError;
    }
    const int rc = body();
    observer->OnOperationDone(call);
    return rc;
}

}  // namespace tarn::storage
