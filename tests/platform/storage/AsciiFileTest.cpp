// The ASCII line driver: exact bytes on disk, reading back, and its refusals.
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <fstream>
#include <iterator>

#include "ChildProcess.h"
#include "StorageTestSupport.h"
#include "platform/storage/AsciiFile.h"

namespace tarn::storage::test {
namespace {

using namespace tarn::platform;

struct LineRecord {
    char Text[12];
};

FileDesc LineDesc(const std::string& options) {
    FileDesc d;
    d.label = "Lines";
    d.prefix = "LIN";
    d.name = "lines.log";
    d.driver = "ASCII";
    d.options = options;
    d.recordSize = sizeof(LineRecord);
    d.fields = {{"LIN:Text", FieldKind::FixedString, 0, 12}};
    return d;
}

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class AsciiLines : public ::testing::Test {
  protected:
    void Make(const std::string& options = "/ENDOFRECORD=2,13,10") {
        desc = LineDesc(options);
        file = MakeRecordFile(desc, reinterpret_cast<uint8_t*>(&rec));
        file->SetName(dir / "lines.log");
    }
    int Append(const std::string& text) {
        file->ClearBuffer();
        std::memcpy(rec.Text, text.data(), std::min(text.size(), sizeof rec.Text));
        return file->Add();
    }
    TempFolder dir;
    FileDesc desc;
    LineRecord rec{};
    std::unique_ptr<RecordFile> file;
};

TEST(AsciiOptions, TerminatorComesFromTheOption) {
    EXPECT_EQ(RecordTerminator("/ENDOFRECORD=2,13,10"), "\r\n");
    EXPECT_EQ(RecordTerminator("/endofrecord=1,10"), "\n");
    EXPECT_EQ(RecordTerminator("/QUICKSCAN=on /ENDOFRECORD=3,35,35,10"), "##\n");
    EXPECT_EQ(RecordTerminator(""), "\r\n");
    EXPECT_EQ(RecordTerminator("/ENDOFRECORD=3,13"), "\r\n");  // fewer bytes than announced
}

TEST_F(AsciiLines, MissingFileAnswers2AndCreateKeepsExistingLines) {
    Make();
    EXPECT_EQ(file->Open(0x42), kFileNotFound);
    ASSERT_EQ(file->Create(), 0);
    ASSERT_EQ(file->Open(0x42), 0);
    ASSERT_EQ(Append("first"), 0);
    ASSERT_EQ(file->Create(), 0);
    EXPECT_EQ(Contents(dir / "lines.log"), "first\r\n");
}

TEST_F(AsciiLines, AppendsTrimmedRecordsWithTheTerminatorByteForByte) {
    Make();
    ASSERT_EQ(file->Create(), 0);
    ASSERT_EQ(file->Open(0x42), 0);
    ASSERT_EQ(Append("  two words "), 0);
    ASSERT_EQ(Append(""), 0);
    ASSERT_EQ(Append("exactly12chr"), 0);
    ASSERT_EQ(Append("caf\xC3\xA9"), 0);
    EXPECT_EQ(Contents(dir / "lines.log"), "  two words\r\n\r\nexactly12chr\r\ncaf\xC3\xA9\r\n");
    // A second instance appends after what is there, as the log of a restarted checker does.
    LineRecord other{};
    auto second = MakeRecordFile(desc, reinterpret_cast<uint8_t*>(&other));
    second->SetName(dir / "lines.log");
    ASSERT_EQ(second->Open(0x42), 0);
    std::memcpy(other.Text, "more        ", 12);
    ASSERT_EQ(second->Add(), 0);
    EXPECT_EQ(Contents(dir / "lines.log").substr(36), "more\r\n");
}

TEST_F(AsciiLines, OtherTerminatorIsHonoured) {
    Make("/ENDOFRECORD=1,10");
    ASSERT_EQ(file->Create(), 0);
    ASSERT_EQ(file->Open(0x42), 0);
    ASSERT_EQ(Append("a"), 0);
    ASSERT_EQ(Append("b"), 0);
    EXPECT_EQ(Contents(dir / "lines.log"), "a\nb\n");
}

TEST_F(AsciiLines, NextReadsLinesBackAndPositionsRegetThem) {
    Make();
    std::ofstream(dir / "lines.log", std::ios::binary)
        << "one\r\ntwo is longer than twelve\r\n\r\nlast";
    ASSERT_EQ(file->Open(0x40), 0);
    ASSERT_EQ(file->SetToStart(-1), 0);
    std::vector<std::string> lines, positions;
    while (file->Next() == 0) {
        lines.emplace_back(rec.Text, sizeof rec.Text);
        positions.push_back(file->Position(-1));
    }
    EXPECT_EQ(LastErrorCode(), kEndOfFile);
    EXPECT_EQ(lines, (std::vector<std::string>{"one         ", "two is longe", "            ",
                                               "last        "}));
    EXPECT_EQ(positions, (std::vector<std::string>{"0", "5", "32", "34"}));
    ASSERT_EQ(file->Reget("5", -1), 0);
    EXPECT_EQ(std::string(rec.Text, 3), "two");
    EXPECT_EQ(file->Reget("1000", -1), kRecordNotFound);
    EXPECT_EQ(Append("x"), kAccessDenied);  // opened read-only
}

TEST_F(AsciiLines, KeysPutDeleteAndTransactionsAnswer80) {
    Make();
    ASSERT_EQ(file->Create(), 0);
    ASSERT_EQ(file->Open(0x42), 0);
    EXPECT_EQ(file->GetByKey(0), kNotSupported);
    EXPECT_EQ(file->SetToStart(0), kNotSupported);
    EXPECT_EQ(file->SetToKey(0), kNotSupported);
    EXPECT_EQ(file->Previous(), kNotSupported);
    EXPECT_EQ(file->Put(), kNotSupported);
    EXPECT_EQ(file->Delete(), kNotSupported);
    EXPECT_EQ(file->BeginTransaction(1), kNotSupported);
    EXPECT_EQ(file->SetTransactionFlag(1), kNotSupported);
    EXPECT_EQ(LastError().text, "Function Not Supported");
    EXPECT_EQ(file->SetTransactionFlag(0), 0);
}

// A file size limit cuts a write short as a full disk does, and then refuses the next one.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limit{bytes, old_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit old_{};
    sighandler_t oldHandler_;
};

TEST_F(AsciiLines, LineCutShortIsEndedBeforeTheNextOneAndAFullFileAnswers100) {
    Make();
    ASSERT_EQ(file->Create(), 0);
    ASSERT_EQ(file->Open(0x42), 0);
    ASSERT_EQ(Append("first"), 0);
    {
        FileSizeLimit limit(10);
        EXPECT_EQ(Append("cut short"), kFileSystemError);
        EXPECT_EQ(Append("no room"), kFileSystemError);
        EXPECT_EQ(LastError().driverCode, std::to_string(EFBIG));
        EXPECT_EQ(LastError().driverText, "File too large");
        EXPECT_EQ(LastError().fileName, dir / "lines.log");
    }
    ASSERT_EQ(Append("next"), 0);
    EXPECT_EQ(Contents(dir / "lines.log"), "first\r\ncut\r\nnext\r\n");
    // A file found ending inside a line, as one cut short before a restart.
    file->Close();
    std::ofstream(dir / "lines.log", std::ios::app | std::ios::binary) << "half";
    ASSERT_EQ(file->Open(0x42), 0);
    ASSERT_EQ(Append("whole"), 0);
    EXPECT_EQ(Contents(dir / "lines.log"), "first\r\ncut\r\nnext\r\nhalf\r\nwhole\r\n");
}

TEST_F(AsciiLines, ReadOnlyFolderAnswers5OnCreate) {
    Make();
    // The user's own folder, which it may not write.
    ASSERT_EQ(chown(dir.Path().c_str(), kNobody, kNobody), 0);
    chmod(dir.Path().c_str(), 0555);
    std::vector<int> codes = InChild(
        [&] {
            return std::vector<int>{file->Create(), file->Open(0x42)};
        },
        true);
    EXPECT_EQ(codes, (std::vector<int>{kAccessDenied, kFileNotFound}));
}

}  // namespace
}  // namespace tarn::storage::test
