#pragma once
// The services of other computers in a pass: asked host by host before the first record is
// checked, so that each host costs one command per pass (vuft4's RemoteHosts), and the hosts
// that did not answer said on standard error, one line each.
#include <vector>

#include "platform/vuft4/RemoteHosts.h"

namespace tarn::checker {

// The (server, service) pairs of the list whose server is another computer; the list must be
// open. A damaged page is passed over (the pass itself says it).
std::vector<vuft4::ServerService> RemoteServicesOfTheList();
// Asks the hosts of the list's remote services and says those that did not answer.
void AskRemoteServers();
// Says the hosts that stopped answering during the pass, and forgets the pass's answers.
void EndRemoteServers();

}  // namespace tarn::checker
