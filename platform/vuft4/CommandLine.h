#pragma once
// Splitting a command line into words the way Windows programs do.
#include <optional>
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

// True when name, put between quotes, splits back into exactly name: it holds no quote and does
// not end with a backslash (which would escape the closing quote).
bool SurvivesQuoting(std::string_view name);

// A "net start" command line (both words in any case) with the service name it names: the rest
// of the line is one name, either in quotes and SurvivesQuoting, or plain without blanks or
// quotes. name is empty when the rest is anything else, so that no other name is ever read
// out of it.
struct NetStartLine {
    bool isNetStart = false;
    std::optional<std::string> name;
};
NetStartLine ReadNetStart(std::string_view line);

}  // namespace tarn::vuft4
