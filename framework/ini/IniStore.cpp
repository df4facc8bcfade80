#include "framework/ini/IniStore.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "platform/system/Folders.h"
#include "platform/system/IniFile.h"
#include "platform/system/TextCut.h"

namespace tarn::framework {

namespace {

using Hold = platform::CriticalSectionHold;

constexpr long kFileNameWidth = 259;
constexpr long kValueWidth = 1023;
constexpr long kFieldSourceWidth = 999;
constexpr long kSectorFieldWidth = 99;
constexpr uint32_t kDefaultRoot = 0x80000000u;  // the classes root

std::string Cut(std::string_view text, long width) { return platform::CutText(text, width); }

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    size_t at = 0;
    for (size_t p = text.find(from); p != std::string_view::npos; p = text.find(from, at)) {
        out.append(text.substr(at, p - at)).append(to);
        at = p + from.size();
    }
    out.append(text.substr(at));
    return out;
}

std::string Escape(std::string_view item) { return ReplaceAll(item, "$", "$$$"); }

std::string Unescape(std::string_view item) { return ReplaceAll(item, "$$$", "$"); }

}  // namespace

IniStore& GlobalIniStore() {
    static IniStore store;
    return store;
}

void IniStore::Open(std::string_view fileName, int32_t storageKind, uint32_t rootKey) {
    Hold hold(critSect_);
    extraData_ = rootKey;
    kind_ = storageKind;
    fileName_ = Cut(fileName, kFileNameWidth);
    sectors_.clear();
    sectorsOpen_ = true;
    OnOpen();
    FetchList(kSectorSection, kSectorEntry, sectors_, &Sector::family, &Sector::item,
              &Sector::type);
}

void IniStore::Close() {
    Hold hold(critSect_);
    if (!sectorsOpen_) return;
    StoreList(kSectorSection, kSectorEntry, sectors_, &Sector::family, &Sector::item,
              &Sector::type);
    sectors_.clear();
    sectorsOpen_ = false;
}

std::string IniStore::Fetch(std::string_view section, std::string_view entry) {
    Hold hold(critSect_);
    return ReadValue(fileName_, "", entry, section);
}

void IniStore::Update(std::string_view section, std::string_view entry, std::string_view value) {
    Hold hold(critSect_);
    WriteValue(fileName_, value, entry, section);
}

void IniStore::Update(std::string_view section, std::string_view entry, long value) {
    Update(section, entry, std::string_view(std::to_string(value)));
}

std::string IniStore::FetchField(std::string_view section, std::string_view entry, int n) {
    Hold hold(critSect_);
    std::string value = Cut(ReadValue(fileName_, kUnknownValue, entry, section), kFieldSourceWidth);
    size_t start = 0;
    for (int field = 1; field < n; ++field) {
        size_t comma = value.find(',', start);
        if (comma == std::string::npos) return {};  // fewer than n fields
        start = comma + 1;
    }
    size_t end = value.find(',', start);
    return value.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string IniStore::SectorKey(std::string_view family, std::string_view item,
                                std::string_view type) {
    return std::string(family) + "$" + Escape(item) + "$$" + std::string(type);
}

Sector IniStore::SplitSectorKey(std::string_view key) {
    Sector sector;
    size_t dollar = key.find('$');
    sector.family = Cut(key.substr(0, dollar), kSectorFieldWidth);
    if (dollar == std::string_view::npos) return sector;
    size_t itemStart = dollar + 1;
    size_t search = itemStart;
    size_t separator = key.find("$$", search);
    // An escaped "$" ("$$$") is stepped over; the first "$$" not followed by "$" ends the item.
    while (separator != std::string_view::npos && separator + 2 < key.size() &&
           key[separator + 2] == '$') {
        search = separator + 3;
        separator = key.find("$$", search);
    }
    if (separator == std::string_view::npos) {
        sector.item = Cut(key.substr(itemStart), kSectorFieldWidth);
        return sector;
    }
    sector.item = Cut(key.substr(itemStart, separator - itemStart), kSectorFieldWidth);
    sector.type = Cut(key.substr(separator + 2), kSectorFieldWidth);
    return sector;
}

void IniStore::AddSector(std::string_view key) {
    Hold hold(critSect_);
    Sector sector = SplitSectorKey(key);
    auto at = std::lower_bound(sectors_.begin(), sectors_.end(), sector);
    if (at != sectors_.end() && *at == sector) return;
    sectors_.insert(at, std::move(sector));
}

void IniStore::GetSectors(std::string_view family, std::string_view item, std::string_view type,
                          std::vector<Sector>& out) {
    Hold hold(critSect_);
    out.clear();
    std::string escapedItem = Escape(item);
    for (const Sector& s : sectors_) {
        if (!family.empty() && s.family != family) continue;
        if (!item.empty() && s.item != escapedItem) continue;
        if (!type.empty() && s.type != type) continue;
        out.push_back(Sector{s.family, Unescape(s.item), s.type});
    }
}

long IniStore::ListCount(std::string_view text) {
    text = platform::TrimSpaces(text);
    if (text.empty() || text.size() > 10) return 0;
    long count = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        count = count * 10 + (c - '0');
    }
    return count <= INT32_MAX ? count : 0;
}

bool IniStore::HasValue(std::string_view section, std::string_view entry) {
    // No value read from a line-based file can hold a line break.
    constexpr std::string_view kAbsent = "\n";
    return ReadValue(fileName_, kAbsent, entry, section) != kAbsent;
}

std::vector<Sector> IniStore::Sectors() {
    Hold hold(critSect_);
    return sectors_;
}

// --- store primitives ---

std::string IniStore::RegistryFile() const {
    std::string folder = registryFolder_;
    if (folder.empty()) {
        const char* home = std::getenv("HOME");
        folder = home && *home ? std::string(home) + "/.config/tarn" : ".";
    }
    char root[16];
    std::snprintf(root, sizeof root, "%08X", extraData_ == 0 ? kDefaultRoot : extraData_);
    return folder + "/" + root + ".reg";
}

std::string IniStore::RegistryKey(std::string_view section) const {
    if (fileName_.empty()) return std::string(section);
    return fileName_ + "\\" + std::string(section);
}

std::string IniStore::ReadValue(std::string_view file, std::string_view fallback,
                                std::string_view entry, std::string_view section) {
    Hold hold(critSect_);
    if (kind_ == StorageIniFile) {
        return Cut(platform::GetIniEntry(std::string(section), std::string(entry),
                                         std::string(fallback), std::string(file)),
                   kValueWidth);
    }
    if (kind_ == StorageRegistry) {
        std::string value =
            platform::GetIniEntry(RegistryKey(section), std::string(entry), "", RegistryFile());
        return value.empty() ? std::string(fallback) : value;
    }
    return {};
}

void IniStore::WriteValue(std::string_view file, std::string_view value, std::string_view entry,
                          std::string_view section) {
    Hold hold(critSect_);
    if (kind_ == StorageIniFile) {
        platform::PutIniEntry(std::string(section), std::string(entry), std::string(value),
                              std::string(file));
    } else if (kind_ == StorageRegistry) {
        if (value.empty()) {
            DeleteValue(entry, section);
            return;
        }
        std::string path = RegistryFile();
        platform::CreateFolder(path.substr(0, path.rfind('/')));
        platform::PutIniEntry(RegistryKey(section), std::string(entry), std::string(value), path);
    }
}

void IniStore::DeleteValue(std::string_view entry, std::string_view section) {
    Hold hold(critSect_);
    if (kind_ == StorageIniFile) {
        platform::DeleteIniEntry(std::string(section), std::string(entry), fileName_);
    } else if (kind_ == StorageRegistry) {
        platform::DeleteIniEntry(RegistryKey(section), std::string(entry), RegistryFile());
    }
}

}  // namespace tarn::framework
