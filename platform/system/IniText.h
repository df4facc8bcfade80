#pragma once
// The lines of one INI file in memory: lookup and editing that keep every other line as it was.
#include <optional>
#include <string>
#include <vector>

namespace tarn::platform {

class IniText {
  public:
    // Splits content at LF, dropping the CR of CR LF endings; the first ending found is kept for
    // writing back (LF for a file without one).
    explicit IniText(const std::string& content);

    // The first matching entry's value, exactly as written after '='.
    std::optional<std::string> Get(const std::string& section, const std::string& entry) const;
    // Sets the value (adding the entry and the section when missing); true when a line changed.
    bool Put(const std::string& section, const std::string& entry, const std::string& value);
    // Removes every matching entry of the section; true when a line was removed.
    bool Delete(const std::string& section, const std::string& entry);
    // The whole file, every line ended.
    std::string Text() const;

  private:
    struct Range {
        size_t header;  // index of the [section] line
        size_t end;     // one past the section's last line
    };
    std::optional<Range> FindSection(const std::string& section) const;
    std::optional<size_t> FindEntry(const Range& range, const std::string& entry) const;

    std::vector<std::string> lines_;
    std::string eol_ = "\n";
};

}  // namespace tarn::platform
