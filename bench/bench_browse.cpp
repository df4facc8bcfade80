// Cost of the services list on files of growing size, next to the bare driver reading the same
// rows in the same run: opening the list (the window with its file opened and the first page
// shown; the driver: opening the file and reading a page), paging down 100 times, jumping to the
// end and back, and locating by a typed letter. Only the visible rows should be read, so no
// figure should grow with the file; compare medians, a maximum is mostly the scheduler.
// Usage: bench_browse [largest file, default 100000]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data/Dictionary.h"
#include "data/records/Records.h"
#include "editor/ListServices.h"
#include "errors/ErrorManager.h"
#include "platform/ui/Events.h"
#include "platform/ui/Runtime.h"
#include "platform/ui/Window.h"

using namespace tarn;

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Server names spread over the alphabet, so that a letter locates inside the file.
void FillRecord(records::ServicesToCheckRecord& rec, int i, int count) {
    rec = {};
    rec.RecordID = i + 1;
    std::snprintf(rec.ServerName, sizeof rec.ServerName, "%chost%07d",
                  static_cast<char>('a' + static_cast<int64_t>(i) * 26 / count), i);
    std::snprintf(rec.ServiceName, sizeof rec.ServiceName, "service%d", i % 7);
}

void MakeFile(int count) {
    auto& rec = records::ServicesToCheck();
    storage::RecordFile& f = records::ServicesToCheckFile();
    f.Create();
    f.Open(0x42);
    f.BeginTransaction(30);
    for (int i = 0; i < count; ++i) {
        FillRecord(rec, i, count);
        if (f.Add() != 0) std::abort();
    }
    f.Commit();
    f.Close();
}

// Opens are timed this many times each: one figure on a loaded machine says more about the
// scheduler than about the open.
constexpr int kOpens = 20;

struct Figures {
    double openMedian = 0, openMax = 0, pageMedian = 0, pageMax = 0, end = 0, home = 0, locate = 0;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void SetOpens(Figures& f, const std::vector<double>& opens) {
    f.openMedian = Median(opens);
    f.openMax = *std::max_element(opens.begin(), opens.end());
}

// The list as the operator gets it: the window set up with its file open, the first page shown.
double TimeOpen(editor::ServicesList& w) {
    auto start = Clock::now();
    w.Initialise();
    w.Refresh(0);
    const double ms = Millis(start);
    if (w.queue.Records() != w.window.Get(editor::Browse_1)->VisibleRows()) std::abort();
    return ms;
}

Figures TimeBrowse() {
    Figures f;
    std::vector<double> opens;
    for (int i = 1; i < kOpens; ++i) {
        editor::ServicesList once;
        opens.push_back(TimeOpen(once));
        once.Shutdown();
        once.window.Close();
    }
    editor::ServicesList w;
    opens.push_back(TimeOpen(w));
    SetOpens(f, opens);
    std::vector<double> pages;
    Clock::time_point start;
    for (int i = 0; i < 100; ++i) {
        start = Clock::now();
        w.browse.HandleScroll(ui::EventPageDown);
        pages.push_back(Millis(start));
    }
    f.pageMedian = Median(pages);
    f.pageMax = *std::max_element(pages.begin(), pages.end());
    start = Clock::now();
    w.browse.HandleScroll(ui::EventScrollBottom);
    f.end = Millis(start);
    start = Clock::now();
    w.browse.HandleScroll(ui::EventScrollTop);
    f.home = Millis(start);
    ui::SetKeycode(ui::KeyOfChar('m'), 'm');
    start = Clock::now();
    w.browse.HandleKey();
    f.locate = Millis(start);
    // The highlight stands on the first server of the letter.
    if (records::ServicesToCheck().ServerName[0] != 'm') std::abort();
    w.Shutdown();
    w.window.Close();
    return f;
}

// The bare driver reading the same rows: a page from the start, 100 pages on, the last page
// backwards, the first page again, a page from the located letter.
Figures TimeBare(int rows) {
    Figures f;
    auto& rec = records::ServicesToCheck();
    storage::RecordFile& file = records::ServicesToCheckFile();
    const int key = records::SERCHK_KeyServiceName;
    auto readPage = [&](bool forward) {
        for (int i = 0; i < rows; ++i)
            if ((forward ? file.Next() : file.Previous()) != 0) break;
    };
    std::vector<double> opens;
    Clock::time_point start;
    for (int i = 0; i < kOpens; ++i) {
        if (i > 0) file.Close();
        start = Clock::now();
        file.Open(0x42);
        file.SetToStart(key);
        readPage(true);
        opens.push_back(Millis(start));
    }
    SetOpens(f, opens);
    std::vector<double> pages;
    for (int i = 0; i < 100; ++i) {
        start = Clock::now();
        readPage(true);
        pages.push_back(Millis(start));
    }
    f.pageMedian = Median(pages);
    f.pageMax = *std::max_element(pages.begin(), pages.end());
    start = Clock::now();
    file.SetToStart(key);
    readPage(false);
    f.end = Millis(start);
    start = Clock::now();
    file.SetToStart(key);
    readPage(true);
    f.home = Millis(start);
    start = Clock::now();
    rec = {};
    rec.ServerName[0] = 'M';
    file.SetToKey(key);
    readPage(true);
    f.locate = Millis(start);
    file.Close();
    return f;
}

void Print(const char* what, int count, const Figures& f) {
    std::printf(
        "%-7s %7d  open median %7.3f max %7.3f  page median %7.3f max %7.3f  end %7.3f  "
        "home %7.3f  locate %7.3f ms\n",
        what, count, f.openMedian, f.openMax, f.pageMedian, f.pageMax, f.end, f.home, f.locate);
}

}  // namespace

int main(int argc, char** argv) {
    const int largest = argc > 1 ? std::atoi(argv[1]) : 100000;
    errors::GlobalErrors().Init();
    data::DictionaryInit();
    for (int count = 1000; count <= largest; count *= 10) {
        const std::string dir = "/tmp/bench-browse-" + std::to_string(getpid());
        std::filesystem::create_directories(dir);
        const auto old = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        MakeFile(count);
        const Figures browse = TimeBrowse();
        const int rows = editor::ServicesList().window.Get(editor::Browse_1)->VisibleRows();
        Print("browse", count, browse);
        Print("driver", count, TimeBare(rows));
        std::filesystem::current_path(old);
        std::filesystem::remove_all(dir);
    }
    data::DictionaryKill();
    errors::GlobalErrors().Shutdown();
    return 0;
}
