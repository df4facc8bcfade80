// Snapshots, saved file states, the operation observer and the end of a manager's life.
#include <algorithm>

#include "data/FileManager.h"
#include "data/FileOpener.h"
#include "data/FileRegistry.h"

namespace tarn::data {

namespace {

SavedBuffer* FindBuffer(std::vector<SavedBuffer>& buffers, long id) {
    for (SavedBuffer& b : buffers) {
        if (b.Id == id) return &b;
    }
    return nullptr;
}

void FreeBuffer(std::vector<SavedBuffer>& buffers, long id) {
    std::erase_if(buffers, [id](const SavedBuffer& b) { return b.Id == id; });
}

bool InGroup(int code, std::initializer_list<int> group) {
    return std::find(group.begin(), group.end(), code) != group.end();
}

constexpr std::initializer_list<int> kAddCodes = {1, 4, 51, 59};
constexpr std::initializer_list<int> kPutCodes = {30, 54, 55};
constexpr std::initializer_list<int> kReadCodes = {15, 16, 17, 24, 31, 53, 66, 67};
constexpr int kBlobProperty = 31894;

}  // namespace

uint16_t FileManager::TakeSnapshot() {
    long id = Buffers.empty() ? 1 : Buffers.back().Id + 1;
    Buffers.push_back({id, std::string(reinterpret_cast<const char*>(Buffer), BufferSize)});
    long next = id + 1;
    for (size_t i = 0; i < File->Desc().blobs.size(); ++i) {
        Buffers.push_back({next++, File->Blob(static_cast<int>(i))});
    }
    Buffers.push_back({next, File->GetNulls()});
    return static_cast<uint16_t>(id);
}

void FileManager::RecallSnapshot(uint16_t& id, uint8_t restore) {
    if (id == 0 && restore == 0) return;
    if (SavedBuffer* image = FindBuffer(Buffers, id)) {
        if (restore == 1) std::copy(image->Buffer.begin(), image->Buffer.end(), Buffer);
        FreeBuffer(Buffers, id);
    }
    long next = id + 1;
    for (size_t i = 0; i < File->Desc().blobs.size(); ++i, ++next) {
        SavedBuffer* blob = FindBuffer(Buffers, next);
        if (!blob) continue;
        if (restore == 1) File->Blob(static_cast<int>(i)) = blob->Buffer;
        FreeBuffer(Buffers, next);
    }
    if (SavedBuffer* nulls = FindBuffer(Buffers, next)) {
        File->SetNulls(nulls->Buffer);
        FreeBuffer(Buffers, next);
    }
    id = 0;
}

std::string FileManager::SnapshotRecord(uint16_t id) const {
    for (const SavedBuffer& b : Buffers)
        if (b.Id == id) return b.Buffer;
    return {};
}

uint8_t FileManager::SnapshotUnchanged(uint16_t id) {
    if (EnsureUsable(2) != LevelQuiet) return 0;
    if (BlobChanged == 1) return 0;
    SavedBuffer* image = FindBuffer(Buffers, id);
    if (!image || image->Buffer.compare(0, std::string::npos, reinterpret_cast<const char*>(Buffer),
                                        BufferSize) != 0) {
        return 0;
    }
    long next = id + 1;
    for (size_t i = 0; i < File->Desc().blobs.size(); ++i, ++next) {
        SavedBuffer* blob = FindBuffer(Buffers, next);
        if (!blob || blob->Buffer != File->Blob(static_cast<int>(i))) return 0;
    }
    return 1;
}

uint16_t FileManager::SaveFileState() {
    if (EnsureUsable(2) != LevelQuiet) return 0;
    SavedFileState state;
    state.Id = Saved.empty() ? 1 : static_cast<uint16_t>(Saved.back().Id + 1);
    state.Buffer = TakeSnapshot();
    state.State = File->SaveState();
    state.Pos = File->Position(PositionKey());
    state.AutoIncDone = AutoIncDone;
    Saved.push_back(state);
    return state.Id;
}

void FileManager::RestoreFileState(uint16_t& id, uint8_t restore) {
    if (EnsureUsable(2) != LevelQuiet) return;
    auto it = std::find_if(Saved.begin(), Saved.end(),
                           [id](const SavedFileState& s) { return s.Id == id; });
    if (it == Saved.end()) return;
    SavedFileState state = *it;
    if (restore == 1) File->RestoreState(state.State);
    RecallSnapshot(state.Buffer, restore);
    if (restore == 1) AutoIncDone = state.AutoIncDone;
    File->FreeState(state.State);
    std::erase_if(Saved, [id](const SavedFileState& s) { return s.Id == id; });
    id = 0;
}

int FileManager::PositionKey() const { return PrimaryKey ? Keys[PrimaryKey - 1].Key : -1; }

bool FileManager::CallbackInterface::OnOperationStart(storage::OperationCall& call) {
    return owner_.OnOperationStart(call.op, call);
}

bool FileManager::CallbackInterface::OnOperationDone(storage::OperationCall& call) {
    return owner_.OnOperationDone(call.op, call);
}

bool FileManager::OnOperationStart(int code, storage::OperationCall& call) {
    if (code == storage::OpDestroy && call.parameter == 0) CleanUp();
    return DispatchStart(code, call);
}

bool FileManager::OnOperationDone(int code, storage::OperationCall& call) {
    if (InGroup(code, kAddCodes) || InGroup(code, kPutCodes) || code == storage::OpDelete) {
        BlobChanged = 0;
    } else if (code == storage::OpBlobWrite ||
               (code == storage::OpSetProperty && call.parameter == kBlobProperty)) {
        BlobChanged = 1;
    }
    return DispatchDone(code, call);
}

bool FileManager::DispatchStart(int code, storage::OperationCall& call) {
    if (InView == 1) return true;
    StopOperation = call.stop;
    if (call.forView) InView = 1;
    bool result = true;
    if (code == storage::OpDelete) {
        result = BeforeDelete(call);
    } else if (InGroup(code, kAddCodes)) {
        result = BeforeAdd(call);
    } else if (InGroup(code, kPutCodes)) {
        result = BeforePut(call);
    } else if (InGroup(code, kReadCodes)) {
        result = BeforeRead(call);
    } else if (code == storage::OpCreate) {
        result = BeforeCreate(call);
    }
    call.stop = StopOperation;
    return result;
}

bool FileManager::DispatchDone(int code, storage::OperationCall& call) {
    if (InView == 1) {
        if (!call.forView) return true;
        InView = 0;
    }
    if (code == storage::OpDelete) return AfterDelete(call);
    if (InGroup(code, kAddCodes)) return AfterAdd(call);
    if (InGroup(code, kPutCodes)) return AfterPut(call);
    if (InGroup(code, kReadCodes)) return AfterRead(call);
    if (code == storage::OpCreate) return AfterCreate(call);
    return true;
}

bool FileManager::BeforeDelete(storage::OperationCall&) { return true; }
bool FileManager::AfterDelete(storage::OperationCall&) { return true; }
bool FileManager::BeforeAdd(storage::OperationCall&) { return true; }
bool FileManager::AfterAdd(storage::OperationCall&) { return true; }
bool FileManager::BeforePut(storage::OperationCall&) { return true; }
bool FileManager::AfterPut(storage::OperationCall&) { return true; }
bool FileManager::BeforeRead(storage::OperationCall&) { return true; }
bool FileManager::AfterRead(storage::OperationCall&) { return true; }
bool FileManager::BeforeCreate(storage::OperationCall&) { return true; }
bool FileManager::AfterCreate(storage::OperationCall&) { return true; }

void FileManager::Shutdown() {
    if (Initialized != 1 || Killed != 0) return;
    CleanUp();
    if (File && File->Observer() == &FileCallbackInterface) File->SetObserver(nullptr);
    Killed = 1;
    Initialized = 0;
}

void FileManager::CleanUp() {
    if (CleanedUp) return;
    CleanedUp = 1;
    while (Opened > 0) Close();
    ThreadRegistry().RemoveFileManager(this);
    Keys.clear();
    Buffers.clear();
    for (const SavedFileState& s : Saved) File->FreeState(s.State);
    Saved.clear();
    if (Opener) {
        Opener->Release();
        Opener = nullptr;
    }
    FileName = nullptr;
}

}  // namespace tarn::data
