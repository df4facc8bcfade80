#pragma once
// The services of other computers, asked over SSH (SshRunner.h) pass by pass.
//
// Before a pass the checker hands over the (server, service) pairs of its list. The remote ones
// are grouped by host and each host is asked once, with one command for all its services
// (RemoteQuery.h) in a shell kept open there from pass to pass (SshSession.h), several hosts at
// a time; the answers are kept for that pass only, and
// VUSERVICESTATUS answers from them. A host that does not answer costs its time limit once per
// pass: every service of it is then -1 and nothing is started there. A name asked that was not
// in the pairs, and a service asked again after its start, cost one command of their own.
//
// Names from the list are used only when they are plain (RemoteNames.h): any other server or
// service is -1 with no connection made.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/vuft4/RemoteQuery.h"
#include "platform/vuft4/SshSession.h"

namespace tarn::vuft4 {

struct ServerService {
    std::string server;
    std::string service;
};

// A host that did not answer in a pass, and why.
struct HostFailure {
    std::string host;
    std::string reason;
};

class RemoteHosts {
  public:
    // How many hosts are asked at once.
    static constexpr size_t kAtOnce = 8;

    // Forgets the last pass and asks each remote host of pairs (servers of this computer are
    // left out) for all its services.
    void BeginPass(const std::vector<ServerService>& pairs);
    // Forgets the answers of the pass.
    void EndPass();
    // The status of service on server (another computer): from the pass's answer, else asked.
    int32_t Status(const std::string& server, const std::string& service);
    // True when server answered in this pass and both names are plain: a start can be tried.
    bool Reachable(const std::string& server, const std::string& service);
    // Starts service on server when Reachable; its next Status asks again.
    void Start(const std::string& server, const std::string& service);
    // Ends the shells kept open on the hosts; the next pass opens them again.
    void Disconnect();
    // The hosts that did not answer since the last call, each once.
    std::vector<HostFailure> TakeFailures();

  private:
    struct Host {
        bool asked = false;
        bool reached = false;
        std::string failure;
        RemoteManager manager = RemoteManager::Unknown;
        std::map<std::string, int32_t> status;
        bool failureTaken = false;
    };
    static Host Ask(SshSession& session, const std::vector<std::string>& names);
    void Merge(Host& into, Host asked);
    // The host's session, made on first use; the caller holds lock_.
    SshSession& SessionOf(const std::string& host);

    std::mutex lock_;
    std::map<std::string, Host> hosts_;
    // One kept-open shell per host, each used by one thread at a time.
    std::map<std::string, std::unique_ptr<SshSession>> sessions_;
};

// The one set of remote answers the service utility library uses.
RemoteHosts& CurrentRemoteHosts();

}  // namespace tarn::vuft4
