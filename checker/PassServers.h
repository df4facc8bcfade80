#pragma once
// The services of a pass, asked before the first record is checked: this computer's all at once
// (vuft4's LocalServices), and those of other computers host by host, each host costing one
// command per pass (vuft4's RemoteHosts); the hosts that did not answer are said on standard
// error, one line each.
#include <vector>

#include "platform/vuft4/RemoteHosts.h"

namespace tarn::checker {

// The (server, service) pairs of the list, in its order; the list must be open. A damaged page
// is passed over (the pass itself says it).
std::vector<vuft4::ServerService> ServicesOfTheList();
// Asks about the list's services and says the hosts that did not answer.
void AskServersOfTheList();
// Says the hosts that stopped answering during the pass, and forgets the pass's answers.
void EndServersOfTheList();

}  // namespace tarn::checker
