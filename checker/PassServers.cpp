#include "checker/PassServers.h"

#include "checker/ServiceCheck.h"
#include "checker/StderrNotice.h"
#include "data/records/Records.h"
#include "platform/system/LastError.h"
#include "platform/vuft4/LocalServices.h"
#include "platform/vuft4/ServiceManager.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::checker {

namespace {

void SayFailures() {
    for (const vuft4::HostFailure& failure : vuft4::CurrentRemoteHosts().TakeFailures())
        SayOnStderr("cannot reach " + failure.host + " over SSH: " + failure.reason +
                    "; its services are logged as unknown (-1) and nothing is started there "
                    "this pass");
    for (const std::string& notice : vuft4::CurrentServiceManager()->TakeNotices())
        SayOnStderr(notice);
}

}  // namespace

std::vector<vuft4::ServerService> ServicesOfTheList() {
    std::vector<vuft4::ServerService> pairs;
    std::unique_ptr<storage::View> view = storage::MakeView(records::ServicesToCheckFile());
    if (view->Open() != 0) return pairs;
    view->SetToStart();
    for (int rc; (rc = view->Next()) != platform::kEndOfFile;) {
        if (rc == platform::kInvalidFile) continue;  // damage passed over
        if (rc != 0) break;
        const records::ServicesToCheckRecord& r = records::ServicesToCheck();
        pairs.push_back({Clipped(r.ServerName, sizeof r.ServerName),
                         Clipped(r.ServiceName, sizeof r.ServiceName)});
    }
    view->Close();
    return pairs;
}

void AskServersOfTheList() {
    const std::vector<vuft4::ServerService> pairs = ServicesOfTheList();
    std::vector<std::string> here;
    for (const vuft4::ServerService& pair : pairs)
        if (vuft4::IsThisComputer(pair.server.c_str())) here.push_back(pair.service);
    vuft4::CurrentLocalServices().BeginPass(here);
    vuft4::CurrentRemoteHosts().BeginPass(pairs);  // leaves this computer's out
    SayFailures();
}

void EndServersOfTheList() {
    SayFailures();
    vuft4::CurrentLocalServices().EndPass();
    vuft4::CurrentRemoteHosts().EndPass();
}

}  // namespace tarn::checker
