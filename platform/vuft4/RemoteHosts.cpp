#include "platform/vuft4/RemoteHosts.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "platform/system/TextCut.h"
#include "platform/vuft4/RemoteNames.h"
#include "platform/vuft4/SshControlFolder.h"
#include "platform/vuft4/TimeLimits.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::vuft4 {

namespace {

std::string ServerOf(const std::string& server) {
    return std::string(platform::TrimSpaces(server));
}

// Only the blanks padding a stored field are dropped; inner blanks belong to the name.
std::string ServiceOf(const std::string& service) {
    return std::string(platform::TrimTrailingBlanks(service));
}

bool Plain(const std::string& server, const std::string& service) {
    return PlainDestination(server) && PlainRemoteServiceName(service);
}

// The plain names of each plain remote host of pairs, each name once, in the order met.
std::map<std::string, std::vector<std::string>> Grouped(const std::vector<ServerService>& pairs) {
    std::map<std::string, std::vector<std::string>> names;
    for (const ServerService& pair : pairs) {
        const std::string server = ServerOf(pair.server), service = ServiceOf(pair.service);
        if (IsThisComputer(server.c_str()) || !Plain(server, service)) continue;
        std::vector<std::string>& list = names[server];
        if (std::find(list.begin(), list.end(), service) == list.end()) list.push_back(service);
    }
    return names;
}

}  // namespace

RemoteHosts::Host RemoteHosts::Ask(SshSession& session, const std::vector<std::string>& names) {
    const TimeLimits limits = CurrentTimeLimits();
    const SshReply reply = session.Run(StatusCommand(names), limits.connectMs + limits.statusMs);
    Host asked;
    asked.asked = true;
    if (!reply.reached) {
        asked.failure = reply.failure;
        return asked;
    }
    const RemoteAnswer answer = ReadStatusAnswer(reply.output, names);
    if (answer.manager == RemoteManager::Unknown) {
        // A forced command or a shell that is no POSIX shell: the command did not run there.
        asked.failure = "its shell did not run the status command (exit code " +
                        std::to_string(reply.exitCode) + ")";
        return asked;
    }
    asked.reached = true;
    asked.manager = answer.manager;
    for (const std::string& name : names) {
        const auto found = answer.status.find(name);
        asked.status[name] = found == answer.status.end() ? kServiceUnknown : found->second;
    }
    return asked;
}

void RemoteHosts::Merge(Host& into, Host asked) {
    if (!asked.reached) {
        const bool sameFailure = into.asked && !into.reached && into.failure == asked.failure;
        into.asked = true;
        into.reached = false;
        into.failure = std::move(asked.failure);
        into.failureTaken = into.failureTaken && sameFailure;
        return;
    }
    into.asked = into.reached = true;
    into.manager = asked.manager;
    for (auto& [name, code] : asked.status) into.status[name] = code;
}

void RemoteHosts::BeginPass(const std::vector<ServerService>& pairs) {
    const std::map<std::string, std::vector<std::string>> grouped = Grouped(pairs);
    std::vector<const std::string*> hosts;
    std::vector<SshSession*> sessions;
    {
        std::lock_guard<std::mutex> hold(lock_);
        // Hosts gone from the list keep no shell open there.
        std::erase_if(sessions_, [&](const auto& kept) { return !grouped.count(kept.first); });
        for (const auto& entry : grouped) {
            hosts.push_back(&entry.first);
            sessions.push_back(&SessionOf(entry.first));
        }
    }
    std::vector<Host> answers(hosts.size());
    if (!hosts.empty()) SshControlFolder();  // made once, before the threads share it
    std::atomic<size_t> next{0};
    auto askHosts = [&] {
        for (size_t i; (i = next++) < hosts.size();)
            answers[i] = Ask(*sessions[i], grouped.at(*hosts[i]));
    };
    std::vector<std::thread> threads;
    for (size_t t = 0; t < std::min(kAtOnce, hosts.size()); ++t) threads.emplace_back(askHosts);
    for (std::thread& thread : threads) thread.join();
    std::lock_guard<std::mutex> hold(lock_);
    hosts_.clear();
    for (size_t i = 0; i < hosts.size(); ++i) hosts_[*hosts[i]] = std::move(answers[i]);
}

void RemoteHosts::EndPass() {
    std::lock_guard<std::mutex> hold(lock_);
    hosts_.clear();
}

int32_t RemoteHosts::Status(const std::string& serverText, const std::string& serviceText) {
    const std::string server = ServerOf(serverText), service = ServiceOf(serviceText);
    if (!Plain(server, service)) return kServiceUnknown;
    std::lock_guard<std::mutex> hold(lock_);
    Host& host = hosts_[server];
    if (host.asked && !host.reached) return kServiceUnknown;
    if (host.asked) {
        const auto found = host.status.find(service);
        if (found != host.status.end()) return found->second;
    }
    Merge(host, Ask(SessionOf(server), {service}));
    return host.reached ? host.status[service] : kServiceUnknown;
}

bool RemoteHosts::Reachable(const std::string& serverText, const std::string& serviceText) {
    const std::string server = ServerOf(serverText), service = ServiceOf(serviceText);
    if (!Plain(server, service)) return false;
    std::lock_guard<std::mutex> hold(lock_);
    const auto found = hosts_.find(server);
    return found != hosts_.end() && found->second.asked && found->second.reached;
}

void RemoteHosts::Start(const std::string& serverText, const std::string& serviceText) {
    if (!Reachable(serverText, serviceText)) return;
    const std::string server = ServerOf(serverText), service = ServiceOf(serviceText);
    std::lock_guard<std::mutex> hold(lock_);
    Host& host = hosts_[server];
    host.status.erase(service);  // asked again after the start
    const std::string command = StartCommand(host.manager, service);
    if (command.empty()) return;
    const TimeLimits limits = CurrentTimeLimits();
    const SshReply reply = SessionOf(server).Run(command, limits.connectMs + limits.startMs);
    if (!reply.reached) {
        Host lost;
        lost.failure = reply.failure;
        Merge(host, std::move(lost));
    }
}

void RemoteHosts::Disconnect() {
    std::lock_guard<std::mutex> hold(lock_);
    sessions_.clear();
}

SshSession& RemoteHosts::SessionOf(const std::string& host) {
    std::unique_ptr<SshSession>& session = sessions_[host];
    if (!session) session = std::make_unique<SshSession>(host);
    return *session;
}

std::vector<HostFailure> RemoteHosts::TakeFailures() {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<HostFailure> failures;
    for (auto& [name, host] : hosts_) {
        if (!host.asked || host.reached || host.failureTaken) continue;
        host.failureTaken = true;
        failures.push_back({name, host.failure});
    }
    return failures;
}

RemoteHosts& CurrentRemoteHosts() {
    static RemoteHosts hosts;
    return hosts;
}

}  // namespace tarn::vuft4
