#pragma once
// The runtime's per-thread last error: set by every storage driver call, read by the managers
// right after the call.
#include <string>

namespace tarn::platform {

// Error codes of the record file drivers.
enum ErrorCode : int {
    kNoError = 0,
    kFileNotFound = 2,
    kAccessDenied = 5,
    kEndOfFile = 33,
    kRecordNotFound = 35,
    kDuplicateKey = 40,
    kRecordHeld = 43,
    kKeysNeedRebuild = 46,
    kInvalidFile = 47,
    kAlreadyOpen = 52,
    kNotSupported = 80,
    kChangedByOther = 89,
    kDriverError = 90,         // the driver's own code and text say more
    kFileSystemError = 100,    // the operating system's code and text say more
    kInvalidExpression = 801,  // a filter or order text the view cannot parse
};

struct RuntimeError {
    int code = 0;
    std::string text;        // readable text of code
    std::string driverCode;  // the driver's own code (for 90 and 100), else ""
    std::string driverText;  // the driver's own text, else ""
    std::string fileName;    // the file the last call was about
};

// The calling thread's last error.
const RuntimeError& LastError();
int LastErrorCode();
// Sets the calling thread's last error; text defaults to ErrorCodeText(code).
void SetLastError(int code, const std::string& fileName = "", const std::string& driverCode = "",
                  const std::string& driverText = "");
void ClearLastError(const std::string& fileName = "");
// The readable text of an error code ("File Not Found", "Record Not Found", ...).
std::string ErrorCodeText(int code);

}  // namespace tarn::platform
