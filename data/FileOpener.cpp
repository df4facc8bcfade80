#include "data/FileOpener.h"

#include <algorithm>
#include <vector>

#include "platform/system/LastError.h"

namespace tarn::data {

namespace {

struct RegisterEntry {
    storage::RecordFile* fileId;
    SharedOpener* opener;
};

platform::CriticalSection& RegisterLock() {
    static platform::CriticalSection lock;
    return lock;
}

std::vector<RegisterEntry>& Register() {
    static std::vector<RegisterEntry> entries;
    return entries;
}

void LeaveRegister(SharedOpener* opener) {
    platform::CriticalSectionHold hold(RegisterLock());
    auto& entries = Register();
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [opener](const RegisterEntry& e) { return e.opener == opener; }),
                  entries.end());
}

// A driver answer "already open" counts as success.
int OpenCode(int code) { return code == platform::kAlreadyOpen ? 0 : code; }

}  // namespace

int SharedOpener::Open(uint8_t mode) {
    platform::CriticalSectionHold hold(csect_);
    if (fileUsageCount_ == 0) {
        int code = OpenCode(myFile_->Open(mode));
        if (code != 0) return code;
    }
    ++fileUsageCount_;
    return 0;
}

int SharedOpener::Close() {
    platform::CriticalSectionHold hold(csect_);
    if (fileUsageCount_ > 0 && fileUsageCount_ == 1) {
        int code = myFile_->Close();
        if (code != 0) return code;
    }
    if (fileUsageCount_ > 0) --fileUsageCount_;
    return 0;
}

void SharedOpener::AddReference() {
    platform::CriticalSectionHold hold(csect_);
    ++usage_;
}

void SharedOpener::Release() {
    // The register lock comes first so no one finds this opener between the count and the removal.
    platform::CriticalSectionHold registerHold(RegisterLock());
    {
        platform::CriticalSectionHold hold(csect_);
        if (usage_ > 0) {
            --usage_;
            return;
        }
        disposed_ = 1;
        LeaveRegister(this);
    }
    delete this;
}

int PerThreadOpener::Open(uint8_t mode) { return OpenCode(myFile_->Open(mode)); }

int PerThreadOpener::Close() { return myFile_->Close(); }

void PerThreadOpener::Release() {
    if (usage_ > 0) {
        --usage_;
        return;
    }
    disposed_ = 1;
    delete this;
}

IFileOpenServer* ChooseOpener(storage::RecordFile& file) {
    platform::CriticalSectionHold hold(RegisterLock());
    if (file.Desc().perThread) return new PerThreadOpener(file);
    for (const RegisterEntry& e : Register()) {
        if (e.fileId == &file) {
            e.opener->AddReference();
            return e.opener;
        }
    }
    auto* opener = new SharedOpener(file);
    Register().push_back({&file, opener});
    return opener;
}

int OpenerRegisterSize() {
    platform::CriticalSectionHold hold(RegisterLock());
    return static_cast<int>(Register().size());
}

}  // namespace tarn::data
