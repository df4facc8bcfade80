#pragma once
// Splitting a command line into words the way Windows programs do.
#include <string>
#include <string_view>
#include <vector>

namespace tarn::vuft4 {

// Words are separated by blanks and tabs. The first word (the program) ends at the next blank
// or, when it starts with a quote, at the next quote; backslashes in it are plain. In later words
// quotes group blanks into a word; 2n backslashes before a quote give n backslashes and the quote
// groups, 2n+1 give n backslashes and a literal quote; backslashes elsewhere are plain; inside a
// quoted part "" gives a literal quote and the part goes on.
std::vector<std::string> SplitCommandLine(std::string_view line);

}  // namespace tarn::vuft4
