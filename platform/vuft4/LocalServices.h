#pragma once
// The services of this computer in a pass: asked all at once before the first record is checked
// (ServiceManager::StatusOfAll), so the back end can answer them in one call or several at a time,
// while the pass still walks and logs the list in its order. The answers hold for that pass only;
// a name that was not asked, and a service asked again after its start, go to the back end.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tarn::vuft4 {

class LocalServices {
  public:
    // Forgets the last pass and asks the back end about names (as stored; each asked once).
    void BeginPass(const std::vector<std::string>& names);
    // Forgets the answers of the pass.
    void EndPass();
    // The pass's answer for name, if it was asked and not started since.
    std::optional<int32_t> Answer(const std::string& name);
    // Drops the answer for name: a start makes it stale.
    void Forget(const std::string& name);

  private:
    std::mutex lock_;
    std::map<std::string, int32_t> answers_;
};

// The one set of answers for this computer the service utility library uses.
LocalServices& CurrentLocalServices();

// A service name as VUSERVICESTATUS uses it: trailing blanks dropped; none when it may never be
// asked about (empty, or a name the restart command cannot carry intact).
std::optional<std::string> UsableLocalName(const std::string& stored);

}  // namespace tarn::vuft4
