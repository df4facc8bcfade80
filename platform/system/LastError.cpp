#include "platform/system/LastError.h"

namespace tarn::platform {

namespace {

thread_local RuntimeError lastError;

}  // namespace

const RuntimeError& LastError() { return lastError; }

int LastErrorCode() { return lastError.code; }

void SetLastError(int code, const std::string& fileName, const std::string& driverCode,
                  const std::string& driverText) {
    lastError.code = code;
    lastError.text = ErrorCodeText(code);
    lastError.driverCode = driverCode;
    lastError.driverText = driverText;
    lastError.fileName = fileName;
}

void ClearLastError(const std::string& fileName) { SetLastError(kNoError, fileName); }

// Texts shown to the operator through the error catalog's placeholders; 0 reads as "" so that a
// message about a successful call shows no stray text.
std::string ErrorCodeText(int code) {
    switch (code) {
        case kNoError:
            return "";
        case kFileNotFound:
            return "File Not Found";
        case kAccessDenied:
            return "Access Denied";
        case kEndOfFile:
            return "No More Records";
        case kRecordNotFound:
            return "Record Not Found";
        case kDuplicateKey:
            return "Creates Duplicate Key";
        case kRecordHeld:
            return "Record Is Already Held";
        case kKeysNeedRebuild:
            return "Key Needs Rebuilding";
        case kInvalidFile:
            return "Invalid Record Declaration";
        case kAlreadyOpen:
            return "File Already Open";
        case kNotSupported:
            return "Function Not Supported";
        case kChangedByOther:
            return "Record Changed By Another Station";
        case kDriverError:
            return "File System Error";
        case kFileSystemError:
            return "Operating System Error";
        case kInvalidExpression:
            return "Invalid Expression";
        default:
            return "Error " + std::to_string(code);
    }
}

}  // namespace tarn::platform
