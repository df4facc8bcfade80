// Cost per record of the data managers next to the bare driver doing the same work:
// reading ServicesToCheck in key order through a ViewManager, and numbering + inserting records
// through a FileManager. Usage: bench_data [records to read] [records to insert]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "data/FileManager.h"
#include "data/RelationManager.h"
#include "data/ViewManager.h"
#include "data/records/Records.h"
#include "errors/ErrorManager.h"

using namespace tarn;

namespace {

using Clock = std::chrono::steady_clock;

double MicrosPer(Clock::time_point start, int count) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / count;
}

class ServicesManager : public data::FileManager {
  public:
    using FileManager::FileManager;
    Level EnsureUsable(uint8_t kind) override {
        if (Initialized == 0) {
            BeginInitialisation();
            RegisterKey("SerCHK:KeyRecID", records::SERCHK_KeyRecID, 1);
            RegisterKey("SerCHK:KeyServiceName", records::SERCHK_KeyServiceName, 0);
        }
        return FileManager::EnsureUsable(kind);
    }
};

void Fill(records::ServicesToCheckRecord& rec, int i) {
    std::snprintf(rec.ServerName, sizeof rec.ServerName, "server%03d", i % 100);
    std::snprintf(rec.ServiceName, sizeof rec.ServiceName, "service%07d", i);
    std::snprintf(rec.ServiceDescription, sizeof rec.ServiceDescription, "description of %d", i);
}

std::unique_ptr<storage::RecordFile> NewFile(const std::string& path,
                                             records::ServicesToCheckRecord& rec) {
    auto file =
        storage::MakeRecordFile(records::ServicesToCheckDesc(), reinterpret_cast<uint8_t*>(&rec));
    file->SetName(path);
    file->Create();
    file->Open();
    return file;
}

// The bare driver: find the highest number, add the next.
double BareInsert(const std::string& path, int count) {
    records::ServicesToCheckRecord rec{};
    auto file = NewFile(path, rec);
    auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        int32_t next = 1;
        file->SetToStart(records::SERCHK_KeyRecID);
        if (file->Previous() == 0) next = rec.RecordID + 1;
        rec = {};
        rec.RecordID = next;
        Fill(rec, i);
        if (file->Add() != 0) std::abort();
    }
    return MicrosPer(start, count);
}

double ManagerInsert(const std::string& path, int count) {
    records::ServicesToCheckRecord rec{};
    auto file = NewFile(path, rec);
    file->Close();
    ServicesManager fm(*file, errors::GlobalErrors());
    fm.Setup();
    fm.Open();
    auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        rec = {};
        Fill(rec, i);
        if (fm.Insert() != LevelQuiet) std::abort();
    }
    double cost = MicrosPer(start, count);
    fm.Close();
    return cost;
}

void FillQuickly(const std::string& path, int count) {
    records::ServicesToCheckRecord rec{};
    auto file = NewFile(path, rec);
    file->BeginTransaction(5);
    for (int i = 1; i <= count; ++i) {
        rec = {};
        rec.RecordID = i;
        Fill(rec, i);
        file->Add();
    }
    file->Commit();
}

double Timed(int count, const std::function<int()>& read) {
    auto start = Clock::now();
    int seen = read();
    if (seen != count) std::fprintf(stderr, "read %d of %d records\n", seen, count);
    return MicrosPer(start, count);
}

}  // namespace

int main(int argc, char** argv) {
    const int readCount = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int insertCount = argc > 2 ? std::atoi(argv[2]) : 10000;
    char pattern[] = "/tmp/tarn-bench-data-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    errors::GlobalErrors().Init();

    std::printf("auto-number + insert %d records (synchronous=FULL, one commit each)\n",
                insertCount);
    double bareInsert = BareInsert(dir + "/bare", insertCount);
    double managerInsert = ManagerInsert(dir + "/managed", insertCount);
    std::printf("  bare driver     %8.2f us/record\n", bareInsert);
    std::printf("  FileManager     %8.2f us/record  (%+.0f%%)\n", managerInsert,
                100.0 * (managerInsert / bareInsert - 1));

    FillQuickly(dir + "/read", readCount);
    records::ServicesToCheckRecord rec{};
    auto file = NewFile(dir + "/read", rec);
    double bareNext = Timed(readCount, [&] {
        int n = 0;
        file->SetReadAhead(1000);
        file->SetToStart(records::SERCHK_KeyRecID);
        while (file->Next() == 0) ++n;
        return n;
    });
    double bareView = Timed(readCount, [&] {
        auto view = storage::MakeView(*file);
        view->SetOrder("SERCHK:RecordID");
        view->Open();
        int n = 0;
        while (view->Next() == 0) ++n;
        return n;
    });
    file->Close();
    ServicesManager fm(*file, errors::GlobalErrors());
    fm.Setup();
    data::RelationManager rm;
    rm.Attach(fm, 1);
    double managedView = Timed(readCount, [&] {
        auto view = storage::MakeView(*file);
        data::ViewManager vm;
        vm.Attach(*view, rm);
        vm.NewSortOrder(records::SERCHK_KeyRecID);
        vm.Restart();
        int n = 0;
        while (vm.Next() == LevelQuiet) ++n;
        vm.Shutdown();
        return n;
    });
    std::printf("read %d records in key order\n", readCount);
    std::printf("  bare driver, key order Next  %6.2f us/record\n", bareNext);
    std::printf("  bare view                    %6.2f us/record\n", bareView);
    std::printf("  ViewManager                  %6.2f us/record  (%+.0f%% over the bare view)\n",
                managedView, 100.0 * (managedView / bareView - 1));
    rm.Shutdown();
    fm.Shutdown();
    std::filesystem::remove_all(dir);
    return 0;
}
