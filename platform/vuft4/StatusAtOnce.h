#pragma once
// Asking many services with a bound on how many are asked at the same time: one slow status
// (a script that takes its whole time limit) then holds up only itself.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarn::vuft4 {

// ask(name) for each of names, at most atOnce at the same time (0 counts as 1; the calling thread
// is one of them, and with 1 it asks them all itself, one after the other). The answers are in the
// order of names. ask must be safe to call from several threads at once.
std::vector<int32_t> AskAtOnce(const std::vector<std::string>& names, size_t atOnce,
                               const std::function<int32_t(const std::string&)>& ask);

}  // namespace tarn::vuft4
