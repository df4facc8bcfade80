#pragma once
// Asking many services with a bound on how many are asked at the same time, so that one slow
// status (a script that takes its whole time limit) holds up only itself.
//
// Quick statuses are asked one after the other: starting programs side by side makes each cost
// more processor time (about twice as much on a two-processor machine) without finishing the
// pass sooner. Only when no answer has come for kStallMs is one more asker added, up to the
// bound: a status that waits then no longer holds up the ones behind it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarn::vuft4 {

inline constexpr int64_t kStallMs = 50;

// ask(name) for each of names, at most atOnce at the same time (0 counts as 1) on threads of
// their own, more of them only while answers are slow to come (see above). The answers are in
// the order of names. ask must be safe to call from several threads at once.
std::vector<int32_t> AskAtOnce(const std::vector<std::string>& names, size_t atOnce,
                               const std::function<int32_t(const std::string&)>& ask);

}  // namespace tarn::vuft4
