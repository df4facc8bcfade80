#include "checker/RemoteServers.h"

#include "checker/ServiceCheck.h"
#include "checker/StderrNotice.h"
#include "data/records/Records.h"
#include "platform/system/Folders.h"
#include "platform/system/LastError.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::checker {

namespace {

// Leaves out, in SQLite, the records of this computer that most lists are made of.
std::string NotThisComputer() {
    const std::string host = platform::ComputerName();
    std::string filter =
        "SERCHK:ServerName <> '' AND SERCHK:ServerName <> '.' AND "
        "UPPER(SERCHK:ServerName) <> 'LOCALHOST'";
    // Host names hold no quote; one that did would only make the filter read more records.
    if (!host.empty() && host.find('\'') == std::string::npos) {
        filter += " AND UPPER(SERCHK:ServerName) <> UPPER('" + host + "')";
        filter +=
            " AND UPPER(SERCHK:ServerName) <> UPPER('" + host.substr(0, host.find('.')) + "')";
    }
    return filter;
}

void SayFailures() {
    for (const vuft4::HostFailure& failure : vuft4::CurrentRemoteHosts().TakeFailures())
        SayOnStderr("cannot reach " + failure.host + " over SSH: " + failure.reason +
                    "; its services are logged as unknown (-1) and nothing is started there "
                    "this pass");
}

}  // namespace

std::vector<vuft4::ServerService> RemoteServicesOfTheList() {
    std::vector<vuft4::ServerService> pairs;
    std::unique_ptr<storage::View> view = storage::MakeView(records::ServicesToCheckFile());
    view->SetFilter(NotThisComputer());
    if (view->Open() != 0) return pairs;
    view->SetToStart();
    for (int rc; (rc = view->Next()) != platform::kEndOfFile;) {
        if (rc == platform::kInvalidFile) continue;  // damage passed over
        if (rc != 0) break;
        const records::ServicesToCheckRecord& r = records::ServicesToCheck();
        std::string server = Clipped(r.ServerName, sizeof r.ServerName);
        if (vuft4::IsThisComputer(server.c_str())) continue;
        pairs.push_back({std::move(server), Clipped(r.ServiceName, sizeof r.ServiceName)});
    }
    view->Close();
    return pairs;
}

void AskRemoteServers() {
    vuft4::CurrentRemoteHosts().BeginPass(RemoteServicesOfTheList());
    SayFailures();
}

void EndRemoteServers() {
    SayFailures();
    vuft4::CurrentRemoteHosts().EndPass();
}

}  // namespace tarn::checker
