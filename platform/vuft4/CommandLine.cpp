#include "platform/vuft4/CommandLine.h"

#include "platform/system/NoCase.h"

namespace tarn::vuft4 {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void SkipBlanks(std::string_view line, size_t& pos) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
}

// The program word: no backslash rules, a leading quote runs to the next quote.
std::string ProgramWord(std::string_view line, size_t& pos) {
    std::string word;
    if (pos < line.size() && line[pos] == '"') {
        const size_t close = line.find('"', pos + 1);
        const size_t end = close == std::string_view::npos ? line.size() : close;
        word = line.substr(pos + 1, end - pos - 1);
        pos = close == std::string_view::npos ? end : close + 1;
        return word;
    }
    while (pos < line.size() && !IsBlank(line[pos])) word += line[pos++];
    return word;
}

// One later word, starting at a non-blank character.
std::string Word(std::string_view line, size_t& pos) {
    std::string word;
    bool quoted = false;
    while (pos < line.size() && (quoted || !IsBlank(line[pos]))) {
        const char c = line[pos];
        if (c == '\\') {
            size_t count = 0;
            while (pos < line.size() && line[pos] == '\\') ++count, ++pos;
            if (pos < line.size() && line[pos] == '"') {
                word.append(count / 2, '\\');
                if (count % 2 == 1) {
                    word += '"';
                    ++pos;
                }
            } else {
                word.append(count, '\\');
            }
        } else if (c == '"') {
            if (quoted && pos + 1 < line.size() && line[pos + 1] == '"') {
                word += '"';
                pos += 2;
            } else {
                quoted = !quoted;
                ++pos;
            }
        } else {
            word += c;
            ++pos;
        }
    }
    return word;
}

// The next run of non-blank characters, from pos on.
std::string_view PlainWord(std::string_view line, size_t& pos) {
    SkipBlanks(line, pos);
    const size_t start = pos;
    while (pos < line.size() && !IsBlank(line[pos])) ++pos;
    return line.substr(start, pos - start);
}

std::optional<std::string> NameOf(std::string_view rest) {
    while (!rest.empty() && IsBlank(rest.back())) rest.remove_suffix(1);
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') {
        const std::string_view name = rest.substr(1, rest.size() - 2);
        if (name.empty() || !SurvivesQuoting(name)) return std::nullopt;
        return std::string(name);
    }
    if (rest.empty() || rest.find_first_of(" \t\"") != std::string_view::npos) return std::nullopt;
    return std::string(rest);
}

}  // namespace

bool SurvivesQuoting(std::string_view name) {
    return name.find('"') == std::string_view::npos && (name.empty() || name.back() != '\\');
}

NetStartLine ReadNetStart(std::string_view line) {
    NetStartLine result;
    size_t pos = 0;
    if (!platform::EqualNoCase(PlainWord(line, pos), "net") ||
        !platform::EqualNoCase(PlainWord(line, pos), "start"))
        return result;
    result.isNetStart = true;
    SkipBlanks(line, pos);
    result.name = NameOf(line.substr(pos));
    return result;
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    size_t pos = 0;
    SkipBlanks(line, pos);
    if (pos >= line.size()) return words;
    words.push_back(ProgramWord(line, pos));
    for (SkipBlanks(line, pos); pos < line.size(); SkipBlanks(line, pos)) {
        words.push_back(Word(line, pos));
    }
    return words;
}

}  // namespace tarn::vuft4
