#pragma once
// A stub `ssh` for a StubFolder put first on PATH, standing for a shell kept open on the host:
// it logs the words of each start in sessions and each command, one a line, in calls
// ("[HOST][COMMAND]"), and answers from the host's files there: refused-HOST makes it fail as ssh
// does when the port is closed; a start makes the host's services come up (up-HOST); a status query
// prints after-HOST once the host is up, else answer-HOST.
#include <sstream>
#include <string>

#include "StubFolder.h"

namespace tarn::vuft4::testing {

inline void WriteStubSsh(const StubFolder& dir) {
    // A kept-open shell: each command comes as a line, then the line that marks its end. One
    // write per line logged: stubs for hosts asked at once append to the same files.
    dir.Script("ssh", R"sh(printf '%s\n' "$(printf '[%s]' "$@")" >> @DIR@/sessions
while [ "$1" != "--" ]; do shift; done
host=$2
if [ -e @DIR@/refused-$host ]; then
  echo "ssh: connect to host $host port 22: Connection refused" >&2; exit 255
fi
while IFS= read -r command && IFS= read -r mark; do
  printf '%s\n' "[$host][$command]" >> @DIR@/calls
  case "$command" in
    *"systemctl start"*|*" start <"*) touch @DIR@/up-$host;;
    *) if [ -e @DIR@/up-$host ]; then cat @DIR@/after-$host; else cat @DIR@/answer-$host; fi;;
  esac
  eval "$mark"
done
)sh");
}

// What a systemd host answers for services in the states given ("name=state ...").
inline std::string SystemdAnswer(const std::string& states) {
    std::string answer = "tarn-manager=systemd\n";
    std::istringstream words(states);
    for (std::string word, gap; words >> word; gap = "\n") {
        const size_t eq = word.find('=');
        answer += gap + "Id=" + word.substr(0, eq) +
                  ".service\nLoadState=loaded\nActiveState=" + word.substr(eq + 1) + "\n";
    }
    return answer;
}

}  // namespace tarn::vuft4::testing
