#pragma once
// How the OpenSSH client is run to reach another computer, by keys only: never a prompt
// (BatchMode), a connect time limit, and one connection per host shared by all that goes there
// (ControlMaster, in SshControlFolder). The destination comes after "--", so it is never read as
// an option. $TARN_SSH_CONFIG, when set, is the client's configuration file instead of the
// user's own. The commands themselves go through an SshSession.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/vuft4/ChildProcess.h"

namespace tarn::vuft4 {

struct SshReply {
    bool reached = false;  // the command ran there; else failure says why not
    int exitCode = -1;     // the command's, when reached
    std::string output;    // standard output and error, as they came
    std::string failure;
};

// ssh's words: options, "--", destination, command. controlFolder "" shares no connection.
std::vector<std::string> SshArguments(const std::string& destination, const std::string& command,
                                      const std::string& configFile,
                                      const std::string& controlFolder, int connectSeconds);

// Why ssh did not run the command, from how it ended and what it said: connection refused, timed
// out, host key unknown or changed, permission denied, name unknown, and so on.
std::string SshFailure(const ChildResult& result);

}  // namespace tarn::vuft4
