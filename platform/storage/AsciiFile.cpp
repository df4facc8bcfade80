#include "platform/storage/AsciiFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "platform/storage/FieldCodec.h"
#include "platform/storage/Observed.h"
#include "platform/system/LastError.h"
#include "platform/system/NoCase.h"
#include "platform/system/SafeOpen.h"

namespace tarn::storage {

std::string RecordTerminator(const std::string& options) {
    static const char kWord[] = "ENDOFRECORD=";
    size_t at = std::string::npos;
    for (size_t i = 0; i + sizeof kWord - 1 <= options.size(); ++i)
        if (platform::EqualNoCase(std::string_view(options).substr(i, sizeof kWord - 1), kWord))
            at = i + sizeof kWord - 1;
    if (at == std::string::npos) return "\r\n";
    std::vector<int> numbers;
    const char* p = options.c_str() + at;
    const char* end = options.c_str() + options.size();
    while (p < end) {
        int n = 0;
        auto [next, ec] = std::from_chars(p, end, n);
        if (ec != std::errc()) break;
        numbers.push_back(n);
        p = next;
        if (p < end && *p == ',')
            ++p;
        else
            break;
    }
    if (numbers.empty() || numbers[0] < 1 || size_t(numbers[0]) >= numbers.size()) return "\r\n";
    std::string t;
    for (int i = 1; i <= numbers[0]; ++i) t += char(numbers[i]);
    return t;
}

AsciiFile::AsciiFile(const FileDesc& desc, uint8_t* buffer)
    : RecordFile(desc, buffer), terminator_(RecordTerminator(desc.options)) {}

AsciiFile::~AsciiFile() {
    if (fd_ >= 0) ::close(fd_);
}

int AsciiFile::Ok() {
    platform::ClearLastError(name_);
    return 0;
}

int AsciiFile::Fail(int code, const std::string& driverCode, const std::string& driverText) {
    platform::SetLastError(code, name_, driverCode, driverText);
    return code;
}

int AsciiFile::FailErrno(int err) {
    if (err == ENOENT || err == ENOTDIR) return Fail(platform::kFileNotFound);
    if (err == EACCES || err == EPERM)
        return Fail(platform::kAccessDenied, std::to_string(err), std::strerror(err));
    return Fail(platform::kFileSystemError, std::to_string(err), std::strerror(err));
}

int AsciiFile::Unsupported() { return Fail(platform::kNotSupported); }

namespace {

// Line files have no views: every operation answers 80.
class NoView final : public View {
  public:
    explicit NoView(RecordFile& file) : file_(file) {}
    void SetOrder(std::string order) override { order_ = std::move(order); }
    void SetFilter(std::string filter) override { filter_ = std::move(filter); }
    const std::string& Order() const override { return order_; }
    const std::string& Filter() const override { return filter_; }
    void SetPageBuffer(int, int, int, int) override {}
    int Open() override { return Unsupported(); }
    int Close() override { return Unsupported(); }
    int SetToStart() override { return Unsupported(); }
    int SetToBuffer() override { return Unsupported(); }
    int Next() override { return Unsupported(); }
    int Previous() override { return Unsupported(); }
    std::string Position() const override { return ""; }

  private:
    int Unsupported() {
        platform::SetLastError(platform::kNotSupported, file_.Name());
        return platform::kNotSupported;
    }
    RecordFile& file_;
    std::string order_, filter_;
};

}  // namespace

std::unique_ptr<View> AsciiFile::NewView() { return std::make_unique<NoView>(*this); }

int64_t AsciiFile::ChangeStamp() {
    struct stat st;
    return stat(name_.c_str(), &st) == 0 ? int64_t(st.st_size) : 0;
}

int AsciiFile::Open(uint8_t mode) {
    return Observed(*this, OpOpen, mode, [&] {
        if (fd_ >= 0) return Fail(platform::kAlreadyOpen);
        readOnly_ = (mode & 3) == 0;
        const int rc = OpenAtName(readOnly_ ? O_RDONLY : O_RDWR | O_APPEND, false, fd_);
        if (rc != 0) return rc;
        readOffset_ = 0;
        current_ = -1;
        midLine_ = !EndsWithTerminator();
        return Ok();
    });
}

// The folder part of the name and then the file are each opened without following a link, and
// only when they belong to this user: see SafeOpen.h.
int AsciiFile::OpenAtName(int flags, bool create, int& fd) {
    const size_t slash = name_.rfind('/');
    const std::string base = slash == std::string::npos ? name_ : name_.substr(slash + 1);
    platform::SafeOpened folder{AT_FDCWD, 0, ""};
    if (slash != std::string::npos) {
        folder = platform::OpenOwnFolder(AT_FDCWD, slash == 0 ? "/" : name_.substr(0, slash));
        if (folder.fd < 0) return FailOpened(folder);
    }
    platform::SafeOpened file = create ? platform::CreateOwnFile(folder.fd, base, flags)
                                       : platform::OpenOwnFile(folder.fd, base, flags);
    if (folder.fd != AT_FDCWD) ::close(folder.fd);
    if (file.fd < 0) return FailOpened(file);
    fd = file.fd;
    return 0;
}

int AsciiFile::FailOpened(const platform::SafeOpened& opened) {
    if (opened.refused.empty()) return FailErrno(opened.error);
    return Fail(platform::kFileSystemError, "", opened.refused);
}

// A last line cut short (a full disk, a crash) must not run into the next one.
bool AsciiFile::EndsWithTerminator() {
    struct stat st;
    if (fstat(fd_, &st) != 0 || st.st_size == 0) return true;
    std::string tail(terminator_.size(), '\0');
    const off_t from = st.st_size >= off_t(tail.size()) ? st.st_size - off_t(tail.size()) : 0;
    const ssize_t n = ::pread(fd_, tail.data(), tail.size(), from);
    return n == ssize_t(tail.size()) && tail == terminator_;
}

bool AsciiFile::StillAtItsName() const {
    struct stat open, named;
    if (fd_ < 0 || fstat(fd_, &open) != 0) return false;
    if (fstatat(AT_FDCWD, name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0) return false;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

int AsciiFile::Close() {
    return Observed(*this, OpClose, 0, [&] {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        return Ok();
    });
}

// Makes the file when it is missing (for owner and group only); an existing file keeps its lines
// (another writer may be appending to it already).
int AsciiFile::Create() {
    return Observed(*this, OpCreate, 0, [&] {
        int fd = -1;
        const int rc = OpenAtName(O_WRONLY, true, fd);
        if (rc != 0) return rc;
        ::close(fd);
        return Ok();
    });
}

void AsciiFile::ClearBuffer(bool high) { ClearRecord(desc_, buffer_, high); }

int AsciiFile::Add() {
    return Observed(*this, OpAdd, 0, [&] {
        if (fd_ < 0) return Fail(platform::kDriverError, "", "File Not Open");
        if (readOnly_) return Fail(platform::kAccessDenied);
        size_t n = desc_.recordSize;
        while (n > 0 && (buffer_[n - 1] == ' ' || buffer_[n - 1] == 0)) --n;
        // After a line cut short the record starts on a line of its own.
        std::string line = midLine_ ? terminator_ : std::string();
        line.append(reinterpret_cast<const char*>(buffer_), n);
        line += terminator_;
        const ssize_t written = ::write(fd_, line.data(), line.size());
        if (written < 0) return FailErrno(errno);
        midLine_ = size_t(written) != line.size() && (written > 0 || midLine_);
        if (size_t(written) != line.size())
            return Fail(platform::kFileSystemError, std::to_string(ENOSPC), std::strerror(ENOSPC));
        return Ok();
    });
}

// Reads the record starting at offset into the buffer and moves the read position past it.
int AsciiFile::ReadLineAt(long offset) {
    std::string line;
    char chunk[512];
    long at = offset;
    size_t found = std::string::npos;
    while (found == std::string::npos) {
        const ssize_t n = ::pread(fd_, chunk, sizeof chunk, at);
        if (n < 0) return FailErrno(errno);
        if (n == 0) break;
        line.append(chunk, size_t(n));
        at += n;
        found = line.find(terminator_);
    }
    if (line.empty()) return Fail(platform::kEndOfFile);
    const size_t length = found == std::string::npos ? line.size() : found;
    ClearRecord(desc_, buffer_, false);
    std::memcpy(buffer_, line.data(), std::min<size_t>(length, desc_.recordSize));
    current_ = offset;
    readOffset_ = offset + long(found == std::string::npos ? length : length + terminator_.size());
    return Ok();
}

int AsciiFile::Reget(std::string_view position, int) {
    return Observed(*this, OpReget, -1, [&] {
        long offset = -1;
        std::from_chars(position.data(), position.data() + position.size(), offset);
        if (fd_ < 0) return Fail(platform::kDriverError, "", "File Not Open");
        if (offset < 0) return Fail(platform::kRecordNotFound);
        const int rc = ReadLineAt(offset);
        return rc == platform::kEndOfFile ? Fail(platform::kRecordNotFound) : rc;
    });
}

int AsciiFile::SetToStart(int key) {
    return Observed(*this, OpSetToStart, key, [&] {
        if (key >= 0) return Unsupported();
        readOffset_ = 0;
        return Ok();
    });
}

int AsciiFile::ResetTo(std::string_view position, int key) {
    return Observed(*this, OpResetTo, key, [&] {
        if (key >= 0) return Unsupported();
        long offset = -1;
        std::from_chars(position.data(), position.data() + position.size(), offset);
        if (offset < 0) return Fail(platform::kRecordNotFound);
        readOffset_ = offset;
        return Ok();
    });
}

int AsciiFile::Next() {
    return Observed(*this, OpNext, 0, [&] {
        if (fd_ < 0) return Fail(platform::kDriverError, "", "File Not Open");
        return ReadLineAt(readOffset_);
    });
}

std::string AsciiFile::Position(int) const {
    return current_ < 0 ? std::string() : std::to_string(current_);
}

int AsciiFile::SaveState() {
    states_.emplace_back(readOffset_, current_);
    return int(states_.size());
}

void AsciiFile::RestoreState(int state) {
    if (state < 1 || size_t(state) > states_.size()) return;
    readOffset_ = states_[state - 1].first;
    current_ = states_[state - 1].second;
}

}  // namespace tarn::storage
