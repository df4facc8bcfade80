#include "platform/storage/KeyedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/storage/KeyedView.h"
#include "platform/storage/Observed.h"
#include "platform/system/LastError.h"
#include "platform/system/NoCase.h"

namespace tarn::storage {

namespace {

// SQLite's result codes in the contract's terms; 0 when the code has no contract meaning.
int ContractCode(int rc) {
    switch (rc) {
        case SQLITE_CONSTRAINT_UNIQUE:
        case SQLITE_CONSTRAINT_PRIMARYKEY:
            return platform::kDuplicateKey;
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return platform::kAccessDenied;
        case SQLITE_CANTOPEN_SYMLINK:
            return platform::kFileSystemError;
    }
    switch (rc & 0xFF) {
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
        case SQLITE_FORMAT:
            return platform::kInvalidFile;
        case SQLITE_READONLY:
            return platform::kAccessDenied;
    }
    return 0;
}

bool HasExtension(const std::string& name) {
    const size_t slash = name.find_last_of('/');
    const size_t dot = name.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// A file: URI that opens path read-only and immutable (percent-escaping what a URI reserves).
std::string ImmutableUri(const std::string& path) {
    std::string uri = "file:";
    for (unsigned char c : path) {
        if (c == '?' || c == '#' || c == '%' || c < 0x20) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            uri += hex;
        } else {
            uri += char(c);
        }
    }
    return uri + "?immutable=1";
}

bool PendingLog(const std::string& path) {
    struct stat st;
    return stat((path + "-wal").c_str(), &st) == 0 && st.st_size > 0;
}

}  // namespace

KeyedFile::KeyedFile(const FileDesc& desc, uint8_t* buffer)
    : RecordFile(desc, buffer),
      schema_(desc),
      insertSql_(schema_.InsertSql()),
      blobs_(desc.blobs.size()) {
    for (size_t k = 0; k < desc.keys.size(); ++k) {
        byKeySql_.push_back(schema_.SelectByKeySql(int(k)));
        keyFields_.push_back(schema_.KeyFields(int(k)));
    }
}

KeyedFile::~KeyedFile() {
    statements_.Clear();
    if (db_) sqlite3_close_v2(db_);
}

std::string KeyedFile::PathOnDisk() const { return HasExtension(name_) ? name_ : name_ + ".db"; }

int KeyedFile::Ok() {
    platform::ClearLastError(PathOnDisk());
    return 0;
}

int KeyedFile::Fail(int code, const std::string& driverCode, const std::string& driverText) {
    platform::SetLastError(code, PathOnDisk(), driverCode, driverText);
    return code;
}

int KeyedFile::SqlFail(int rc) {
    const std::string text = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    const int code = ContractCode(rc);
    return Fail(code ? code : platform::kDriverError, std::to_string(rc), text);
}

int KeyedFile::NotOpen() { return Fail(platform::kDriverError, "", "File Not Open"); }

int KeyedFile::BadKey() { return Fail(platform::kDriverError, "", "Invalid Key Number"); }

int KeyedFile::Open(uint8_t mode) {
    return Observed(*this, OpOpen, mode, [&] { return DoOpen(mode); });
}

int KeyedFile::DoOpen(uint8_t mode) {
    if (db_) return Fail(platform::kAlreadyOpen);
    const std::string path = PathOnDisk();
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return RefuseLink(path);
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return Fail(platform::kFileNotFound);
        return Fail(platform::kAccessDenied, std::to_string(errno), std::strerror(errno));
    }
    readOnly_ = (mode & 3) == 0;
    // SQLite would quietly open a write-protected file read-only; the caller must know.
    if (!readOnly_ &&
        (access(path.c_str(), W_OK) != 0 || access(FolderOf(path).c_str(), W_OK) != 0))
        return Fail(platform::kAccessDenied);
    const int flags = readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    int rc = OpenConnection(path, flags);
    if (rc == 0) rc = CheckLayout();
    // Without a writable folder SQLite cannot make the shared-memory file a WAL reader needs;
    // with no log pending the database file alone is complete.
    if (rc != 0 && readOnly_ && access(FolderOf(path).c_str(), W_OK) != 0 && !PendingLog(path)) {
        Disconnect();
        rc = OpenConnection(ImmutableUri(path), flags | SQLITE_OPEN_URI);
        if (rc == 0) rc = CheckLayout();
    }
    if (rc == 0 && !readOnly_ && sqlite3_db_readonly(db_, "main") == 1)
        rc = Fail(platform::kAccessDenied);
    if (rc != 0) {
        const platform::RuntimeError saved = platform::LastError();
        Disconnect();
        platform::SetLastError(saved.code, saved.fileName, saved.driverCode, saved.driverText);
        return rc;
    }
    curRid_ = 0;
    watching_ = false;
    Reanchor(-1, SeekAnchor{});
    dataVersion_ = DataVersion();
    return Ok();
}

// A link at the file's name could send a write anywhere (the checker runs as root in a folder
// others may write to): it is refused, not followed.
int KeyedFile::RefuseLink(const std::string& path) {
    return Fail(platform::kFileSystemError, std::to_string(ELOOP),
                path + " is a symbolic link: not followed");
}

int KeyedFile::OpenConnection(const std::string& uri, int flags) {
    const int rc = sqlite3_open_v2(uri.c_str(), &db_,
                                   flags | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (rc != SQLITE_OK) {
        const int code = SqlFail(rc);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        return code;
    }
    Configure();
    return 0;
}

void KeyedFile::Configure() {
    sqlite3_extended_result_codes(db_, 1);
    // A double-quoted name that is not a column must fail, not read as its own text.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_busy_timeout(db_, busyMs_);
    statements_.Attach(db_);
    if (!readOnly_) Exec(db_, "PRAGMA synchronous=FULL");
}

int KeyedFile::CheckLayout() {
    sqlite3_stmt* s = statements_.Get("SELECT v FROM layout WHERE k = 'layout'");
    if (!s) {
        const int rc = sqlite3_extended_errcode(db_);
        if (rc != SQLITE_ERROR) return SqlFail(rc);
        const std::string why = sqlite3_errmsg(db_);
        // No table at all: a creation killed before its one transaction committed. The file is
        // not there yet, so the caller creates it rather than refusing it for good.
        if (HasNoTables()) return Fail(platform::kFileNotFound);
        // No layout table: a database, but not one of ours.
        return Fail(platform::kInvalidFile, "1", why);
    }
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_ROW) return rc == SQLITE_DONE ? Fail(platform::kInvalidFile) : SqlFail(rc);
    const bool same = ColumnText(s, 0) == schema_.Layout();
    sqlite3_reset(s);
    if (!same) return Fail(platform::kInvalidFile, "", "Layout differs from the declaration");
    return CheckColumns();
}

// The records table must still have the declared columns, in order: a renamed or dropped one
// would otherwise surface as wrong values.
int KeyedFile::CheckColumns() {
    sqlite3_stmt* s = statements_.Get("PRAGMA table_info(records)");
    if (!s) return SqlFail(sqlite3_extended_errcode(db_));
    const std::vector<KeyedSchema::ColumnDecl> want = schema_.Columns();
    std::string why;
    size_t n = 0;
    int rc = SQLITE_DONE;
    while (why.empty() && (rc = sqlite3_step(s)) == SQLITE_ROW) {
        const std::string name = ColumnText(s, 1), type = ColumnText(s, 2);
        if (n >= want.size())
            why = "Column \"" + name + "\" of table records is not declared";
        else if (!platform::EqualNoCase(name, want[n].name) ||
                 !platform::EqualNoCase(type, want[n].type))
            why = "Column " + std::to_string(n + 1) + " of table records is \"" + name + "\" " +
                  type + ", declared \"" + want[n].name + "\" " + want[n].type;
        ++n;
    }
    sqlite3_reset(s);
    if (why.empty() && rc != SQLITE_DONE) return SqlFail(rc);
    // A table gone altogether guesses nothing: every read fails with SQLite's "no such table",
    // which the checker reports at each pass while it goes on watching.
    if (why.empty() && n > 0 && n < want.size())
        why = "Column \"" + want[n].name + "\" is missing from table records";
    return why.empty() ? 0 : Fail(platform::kInvalidFile, "", why);
}

bool KeyedFile::HasNoTables() {
    sqlite3_stmt* s = statements_.Get("SELECT 1 FROM sqlite_master LIMIT 1");
    if (!s) return false;
    const bool none = sqlite3_step(s) == SQLITE_DONE;
    sqlite3_reset(s);
    return none;
}

int KeyedFile::Close() {
    return Observed(*this, OpClose, 0, [&] {
        Disconnect();
        return Ok();
    });
}

void KeyedFile::Disconnect() {
    statements_.Clear();
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
    curRid_ = 0;
    watching_ = false;
    transactionFlag_ = 0;
    DropBatch();
    NoteChange();
}

int KeyedFile::Create() {
    return Observed(*this, OpCreate, 0, [&] { return DoCreate(); });
}

int KeyedFile::DoCreate() {
    if (db_) return Fail(platform::kAlreadyOpen);
    const std::string path = PathOnDisk();
    const std::string folder = FolderOf(path);
    if (access(folder.c_str(), F_OK) != 0) return Fail(platform::kFileNotFound);
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return RefuseLink(path);
    if (access(path.c_str(), F_OK) != 0 && access(folder.c_str(), W_OK) != 0)
        return Fail(platform::kAccessDenied, std::to_string(EACCES), std::strerror(EACCES));
    readOnly_ = false;
    int rc = MakeNewFile(path);
    if (rc == 0) rc = OpenConnection(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (rc == 0) rc = InitialiseFile();
    if (rc == 0) rc = CheckLayout();
    const platform::RuntimeError saved = platform::LastError();
    Disconnect();
    if (rc != 0) return Fail(saved.code, saved.driverCode, saved.driverText);
    return Ok();
}

// A new file is for its owner and group only, whatever the umask; SQLite gives its log and
// shared-memory files the mode of the database file. An existing file is left as it is.
int KeyedFile::MakeNewFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0640);
    if (fd < 0) {
        if (errno == EEXIST) return 0;
        const int err = errno;
        return Fail(err == EACCES ? platform::kAccessDenied : platform::kFileSystemError,
                    std::to_string(err), std::strerror(err));
    }
    const int rc = fchmod(fd, 0640) == 0 ? 0 : errno;
    close(fd);
    return rc == 0 ? 0 : Fail(platform::kFileSystemError, std::to_string(rc), std::strerror(rc));
}

int KeyedFile::InitialiseFile() {
    int rc = Exec(db_, "PRAGMA journal_mode=WAL");
    if (rc == SQLITE_OK) rc = Exec(db_, "BEGIN IMMEDIATE");
    if (rc == SQLITE_OK) rc = Exec(db_, schema_.CreateSql().c_str());
    if (rc == SQLITE_OK) {
        sqlite3_stmt* s = statements_.Get("INSERT OR IGNORE INTO layout VALUES('layout', ?1)");
        rc = s ? Bind(s, 1, schema_.Layout()) : sqlite3_extended_errcode(db_);
        if (rc == SQLITE_OK)
            rc = sqlite3_step(s) == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db_);
    }
    if (rc == SQLITE_OK) rc = Exec(db_, "COMMIT");
    if (rc == SQLITE_OK) return 0;
    const int code = SqlFail(rc);
    Exec(db_, "ROLLBACK");
    return code;
}

int KeyedFile::BuildKeys() {
    return Observed(*this, OpBuildKeys, 0, [&] {
        if (!db_) return RebuildClosed();
        const int rc = Exec(db_, "REINDEX records");
        return rc == SQLITE_OK ? Ok() : SqlFail(rc);
    });
}

// Opens the file for the rebuild only; it is closed again whatever the outcome.
int KeyedFile::RebuildClosed() {
    int rc = DoOpen(0x42);
    if (rc == 0) {
        const int sqlRc = Exec(db_, "REINDEX records");
        rc = sqlRc == SQLITE_OK ? 0 : SqlFail(sqlRc);
    }
    const platform::RuntimeError saved = platform::LastError();
    Disconnect();
    if (rc != 0) return Fail(saved.code, saved.driverCode, saved.driverText);
    return Ok();
}

int64_t KeyedFile::DataVersion() {
    sqlite3_stmt* s = statements_.Get("PRAGMA data_version");
    const bool read = s && sqlite3_step(s) == SQLITE_ROW;
    const int64_t version = read ? sqlite3_column_int64(s, 0) : -1;
    if (s) sqlite3_reset(s);
    return version;
}

int64_t KeyedFile::ChangeStamp() {
    if (!db_) return stamp_;
    // A version that cannot be read counts as a change: the caller's refresh then meets the
    // error itself.
    const int64_t version = DataVersion();
    if (version != dataVersion_ || version < 0) NoteChange();
    dataVersion_ = version;
    return stamp_;
}

std::unique_ptr<View> KeyedFile::NewView() { return std::make_unique<KeyedView>(*this); }

std::string KeyedFile::SendCommand(std::string_view command) {
    auto starts = [&](std::string_view word) {
        return platform::EqualNoCase(command.substr(0, word.size()), word);
    };
    if (starts("Recover=")) {
        busyMs_ = std::atoi(std::string(command.substr(8)).c_str()) * 1000;
        if (db_) sqlite3_busy_timeout(db_, busyMs_);
    } else if (starts("QUICKSCAN=")) {
        readAhead_ = platform::EqualNoCase(command.substr(10), "off") ? 1 : 256;
    }
    Ok();
    return "";
}

int KeyedFile::BeginTransaction(int timeoutSeconds) {
    if (!db_) return NotOpen();
    sqlite3_busy_timeout(db_, timeoutSeconds * 1000);
    const int rc = Exec(db_, "BEGIN IMMEDIATE");
    sqlite3_busy_timeout(db_, busyMs_);
    return rc == SQLITE_OK ? Ok() : SqlFail(rc);
}

int KeyedFile::Commit() {
    if (!db_) return NotOpen();
    const int rc = Exec(db_, "COMMIT");
    return rc == SQLITE_OK ? Ok() : SqlFail(rc);
}

int KeyedFile::Rollback() {
    if (!db_) return NotOpen();
    DropBatch();
    NoteChange();
    const int rc = Exec(db_, "ROLLBACK");
    return rc == SQLITE_OK ? Ok() : SqlFail(rc);
}

int KeyedFile::SetTransactionFlag(int flag) {
    transactionFlag_ = flag ? 1 : 0;
    return Ok();
}

int KeyedFile::SaveState() {
    SettleAnchor();
    State s{curRid_, curChg_, seqKey_, anchor_, {buffer_, buffer_ + desc_.recordSize},
            blobs_,  asRead_};
    states_.emplace(nextState_, std::move(s));
    return nextState_++;
}

void KeyedFile::RestoreState(int state) {
    Observed(*this, OpRestoreState, state, [&] {
        auto it = states_.find(state);
        if (it == states_.end()) return Fail(platform::kDriverError, "", "Invalid State");
        const State& s = it->second;
        Reanchor(s.seqKey, s.anchor);
        curRid_ = s.rid;
        curChg_ = s.chg;
        std::memcpy(buffer_, s.image.data(), s.image.size());
        blobs_ = s.blobs;
        asRead_ = s.asRead;
        return Ok();
    });
}

void KeyedFile::FreeState(int state) { states_.erase(state); }

std::string KeyedFile::GetNulls() const { return std::string(desc_.fields.size(), '0'); }

void KeyedFile::SetNulls(std::string_view) {}

void KeyedFile::ClearBuffer(bool high) {
    ClearRecord(desc_, buffer_, high);
    for (std::string& b : blobs_) b.clear();
}

}  // namespace tarn::storage
