#include "platform/vuft4/LocalServices.h"

#include <algorithm>

#include "platform/system/TextCut.h"
#include "platform/vuft4/CommandLine.h"
#include "platform/vuft4/ServiceManager.h"

namespace tarn::vuft4 {

std::optional<std::string> UsableLocalName(const std::string& stored) {
    // Only blanks padding the stored field are dropped; inner blanks belong to the name.
    std::string name(platform::TrimTrailingBlanks(stored));
    if (name.empty() || !SurvivesQuoting(name)) return std::nullopt;
    return name;
}

void LocalServices::BeginPass(const std::vector<std::string>& stored) {
    std::vector<std::string> names;
    for (const std::string& text : stored) {
        std::optional<std::string> name = UsableLocalName(text);
        if (name && std::find(names.begin(), names.end(), *name) == names.end())
            names.push_back(std::move(*name));
    }
    const std::vector<int32_t> codes =
        names.empty() ? std::vector<int32_t>{} : CurrentServiceManager()->StatusOfAll(names);
    std::lock_guard<std::mutex> hold(lock_);
    answers_.clear();
    for (size_t i = 0; i < names.size() && i < codes.size(); ++i) answers_[names[i]] = codes[i];
}

void LocalServices::EndPass() {
    std::lock_guard<std::mutex> hold(lock_);
    answers_.clear();
}

std::optional<int32_t> LocalServices::Answer(const std::string& name) {
    std::lock_guard<std::mutex> hold(lock_);
    const auto found = answers_.find(name);
    if (found == answers_.end()) return std::nullopt;
    return found->second;
}

void LocalServices::Forget(const std::string& name) {
    std::lock_guard<std::mutex> hold(lock_);
    answers_.erase(name);
}

LocalServices& CurrentLocalServices() {
    static LocalServices services;
    return services;
}

}  // namespace tarn::vuft4
