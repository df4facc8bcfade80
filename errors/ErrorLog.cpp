#include "errors/ErrorLog.h"

#include <cstring>
#include <filesystem>

#include "platform/storage/RecordFile.h"
#include "platform/system/TextCut.h"

namespace tarn::errors {

namespace {

// Read/write, deny none: the programs and an operator's viewer may all have it open.
constexpr uint8_t kOpenShared = 0x42;

storage::FileDesc LogDesc(const std::string& fileName) {
    storage::FileDesc desc;
    desc.label = "QELError";
    desc.name = fileName;
    desc.driver = "ASCII";
    desc.options = "/ENDOFRECORD=2,13,10";
    desc.recordSize = kErrorLogLineWidth;
    desc.fields.push_back(
        {"TXT", storage::FieldKind::FixedString, 0, static_cast<uint32_t>(kErrorLogLineWidth)});
    desc.perThread = false;
    return desc;
}

}  // namespace

StandardErrorLog::StandardErrorLog(std::string fileName)
    : fileName_(std::move(fileName)),
      desc_(std::make_unique<storage::FileDesc>(LogDesc(fileName_))),
      record_(std::make_unique<uint8_t[]>(kErrorLogLineWidth)) {}

StandardErrorLog::~StandardErrorLog() { Close(true); }

Level StandardErrorLog::Open(bool force) {
    if (usage_ == 0 || force) {
        if (!file_) file_ = storage::MakeRecordFile(*desc_, record_.get());
        if (!file_) return LevelNotice;
        if (file_->IsOpen()) file_->Close();
        std::error_code ec;
        if (!std::filesystem::exists(fileName_, ec) && file_->Create() != 0) return LevelNotice;
        if (file_->Open(kOpenShared) != 0) return LevelNotice;
    }
    ++usage_;
    return LevelQuiet;
}

Level StandardErrorLog::Append(std::string_view line) {
    if (usage_ == 0 || !file_) return LevelNotice;
    std::string cut = platform::CutText(line, static_cast<long>(kErrorLogLineWidth));
    std::memset(record_.get(), ' ', kErrorLogLineWidth);
    std::memcpy(record_.get(), cut.data(), cut.size());
    return file_->Add() == 0 ? LevelQuiet : LevelNotice;
}

Level StandardErrorLog::Close(bool force) {
    if (usage_ == 1 || force) {
        if (file_ && file_->IsOpen() && file_->Close() != 0) return LevelNotice;
        usage_ = 1;
    }
    if (usage_ > 0) --usage_;
    return LevelQuiet;
}

}  // namespace tarn::errors
