#include "platform/system/IniText.h"

#include "platform/system/NoCase.h"
#include "platform/system/TextCut.h"

namespace tarn::platform {

namespace {

std::string Trim(const std::string& s) { return std::string(TrimSpaces(s)); }

// The section name of a "[name]" line, or nullopt for any other line.
std::optional<std::string> SectionOf(const std::string& line) {
    const std::string t = Trim(line);
    const size_t close = t.find(']');
    if (t.empty() || t.front() != '[' || close == std::string::npos) return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

bool IsComment(const std::string& line) {
    const std::string t = Trim(line);
    return !t.empty() && (t.front() == ';' || t.front() == '#');
}

bool IsEntry(const std::string& line, const std::string& entry) {
    const size_t eq = line.find('=');
    return eq != std::string::npos && !IsComment(line) &&
           EqualNoCase(Trim(line.substr(0, eq)), entry);
}

}  // namespace

IniText::IniText(const std::string& content) {
    size_t start = 0;
    bool eolSeen = false;
    while (start < content.size()) {
        size_t lf = content.find('\n', start);
        const bool ended = lf != std::string::npos;
        if (!ended) lf = content.size();
        std::string line = content.substr(start, lf - start);
        const bool crlf = !line.empty() && line.back() == '\r';
        if (crlf) line.pop_back();
        if (ended && !eolSeen) {
            eol_ = crlf ? "\r\n" : "\n";
            eolSeen = true;
        }
        lines_.push_back(std::move(line));
        start = lf + 1;
    }
}

std::optional<IniText::Range> IniText::FindSection(const std::string& section) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionOf(lines_[i]);
        if (!name || !EqualNoCase(*name, section)) continue;
        size_t end = i + 1;
        while (end < lines_.size() && !SectionOf(lines_[end])) ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<size_t> IniText::FindEntry(const Range& range, const std::string& entry) const {
    for (size_t i = range.header + 1; i < range.end; ++i) {
        if (IsEntry(lines_[i], entry)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniText::Get(const std::string& section,
                                        const std::string& entry) const {
    const auto range = FindSection(section);
    if (!range) return std::nullopt;
    const auto at = FindEntry(*range, entry);
    if (!at) return std::nullopt;
    return lines_[*at].substr(lines_[*at].find('=') + 1);
}

bool IniText::Put(const std::string& section, const std::string& entry, const std::string& value) {
    const std::string line = entry + "=" + value;
    auto range = FindSection(section);
    if (!range) {
        if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
        lines_.push_back("[" + section + "]");
        lines_.push_back(line);
        return true;
    }
    if (const auto at = FindEntry(*range, entry)) {
        const std::string kept = lines_[*at].substr(0, lines_[*at].find('=') + 1) + value;
        if (kept == lines_[*at]) return false;
        lines_[*at] = kept;  // the entry keeps its name as first written
        return true;
    }
    // A new entry goes after the section's last non-blank line, before any spacing lines.
    size_t insertAt = range->end;
    while (insertAt > range->header + 1 && Trim(lines_[insertAt - 1]).empty()) --insertAt;
    lines_.insert(lines_.begin() + static_cast<long>(insertAt), line);
    return true;
}

bool IniText::Delete(const std::string& section, const std::string& entry) {
    const auto range = FindSection(section);
    if (!range) return false;
    bool removed = false;
    for (size_t i = range->end; i-- > range->header + 1;) {
        if (IsEntry(lines_[i], entry)) {
            lines_.erase(lines_.begin() + static_cast<long>(i));
            removed = true;
        }
    }
    return removed;
}

std::string IniText::Text() const {
    std::string out;
    for (const std::string& line : lines_) out += line + eol_;
    return out;
}

}  // namespace tarn::platform
