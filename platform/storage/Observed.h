#pragma once
// Running a driver operation between its observer's before and after calls.
#include "platform/storage/RecordFile.h"
#include "platform/system/LastError.h"

namespace tarn::storage {

// Runs body (which answers an error code) unless the observer stops it; a stopped operation
// answers whatever last error the observer left.
template <class Body>
int Observed(RecordFile& file, int op, long parameter, Body&& body) {
    OperationObserver* observer = file.Observer();
    if (!observer) return body();
    OperationCall call;
    call.op = op;
    call.parameter = parameter;
    if (!observer->OnOperationStart(call) || call.stop) return platform::LastErrorCode();
    const int rc = body();
    observer->OnOperationDone(call);
    return rc;
}

}  // namespace tarn::storage
