#pragma once
// The INI store: values addressed by section and entry, kept in an INI file (kind 0), in a
// registry-like store (kind 1) or nowhere (kind 2).
//
// The store keeps its own sector list in section "__Dont_Touch_Me__": entry "Sectors" holds the
// count and "Sectors_1".."Sectors_N" hold "family,item,type". Open loads the list, Close writes
// it back, so after a run that added nothing the file holds "Sectors" = 0 and nothing else.
//
// Registry mode: there is no Windows registry here, so each root key is an INI file
// "<root in 8 hex digits>.reg" in the registry folder ($HOME/.config/tarn, or the current folder
// without $HOME). A key path ("prefix\section") is a section of that file and a value an entry,
// so values persist across runs with the same key paths.
//
// No operation reports failure: missing values read as the default, failed writes are silent.
// Every operation holds the store's critical section for its whole duration.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/CriticalSection.h"

namespace tarn::framework {

inline constexpr std::string_view kSectorSection = "__Dont_Touch_Me__";
inline constexpr std::string_view kSectorEntry = "Sectors";
inline constexpr std::string_view kUnknownValue = "---Unknown---";

enum StorageKind : int32_t { StorageIniFile = 0, StorageRegistry = 1, StorageNone = 2 };

struct Sector {
    std::string family;  // each at most 99 characters
    std::string item;    // kept escaped ("$" as "$$$")
    std::string type;
    auto operator<=>(const Sector&) const = default;
};

class IniStore {
  public:
    IniStore() = default;
    virtual ~IniStore() = default;
    IniStore(const IniStore&) = delete;
    IniStore& operator=(const IniStore&) = delete;

    // Binds the store to fileName (key path prefix in registry mode) and loads the sector list.
    void Open(std::string_view fileName, int32_t storageKind = StorageIniFile,
              uint32_t rootKey = 0);
    // Writes the sector list back and drops it; nothing when the store is not open.
    void Close();

    std::string Fetch(std::string_view section, std::string_view entry);
    void Update(std::string_view section, std::string_view entry, std::string_view value);
    void Update(std::string_view section, std::string_view entry, long value);
    // The n-th comma-separated field (from 1) of the value read with default "---Unknown---".
    std::string FetchField(std::string_view section, std::string_view entry, int n);

    // Loads entry's count and the records entry_1..entry_N into list, filling the given fields;
    // stops at the first record that is missing.
    template <class Record>
    void FetchList(std::string_view section, std::string_view entry, std::vector<Record>& list,
                   std::string Record::*first, std::string Record::*second = nullptr,
                   std::string Record::*third = nullptr, std::string Record::*fourth = nullptr);
    // Stores the count and one "first,second,third,fourth" value per record (given fields only).
    template <class Record>
    void StoreList(std::string_view section, std::string_view entry,
                   const std::vector<Record>& list, std::string Record::*first,
                   std::string Record::*second = nullptr, std::string Record::*third = nullptr,
                   std::string Record::*fourth = nullptr);

    // "family$item$$type" with each "$" of item written as "$$$".
    static std::string SectorKey(std::string_view family, std::string_view item,
                                 std::string_view type);
    // Splits key and adds the sector unless the list already holds it.
    void AddSector(std::string_view key);
    // The sectors matching the given values (empty matches anything), items unescaped.
    void GetSectors(std::string_view family, std::string_view item, std::string_view type,
                    std::vector<Sector>& out);
    // Splits a sector key into family, escaped item and type.
    static Sector SplitSectorKey(std::string_view key);

    // Store primitives, by storage kind.
    virtual std::string ReadValue(std::string_view file, std::string_view fallback,
                                  std::string_view entry, std::string_view section);
    virtual void WriteValue(std::string_view file, std::string_view value, std::string_view entry,
                            std::string_view section);
    virtual void DeleteValue(std::string_view entry, std::string_view section);
    // Called by Open after the sector list is created and before it is loaded.
    virtual void OnOpen() {}
    // Called by the editor when its main window has closed, just before Close.
    virtual void BeforeClose() {}

    const std::string& FileName() const { return fileName_; }
    int32_t Kind() const { return kind_; }
    bool IsOpen() const { return sectorsOpen_; }
    std::vector<Sector> Sectors();
    // Where registry mode keeps its files; tests point it at a temporary folder.
    void SetRegistryFolder(std::string folder) { registryFolder_ = std::move(folder); }
    std::string RegistryFile() const;

  private:
    std::string RegistryKey(std::string_view section) const;
    // The list count a text holds: decimal digits within 32 bits, anything else 0.
    static long ListCount(std::string_view text);
    bool HasValue(std::string_view section, std::string_view entry);

    platform::CriticalSection critSect_;
    std::string fileName_;
    bool sectorsOpen_ = false;
    std::vector<Sector> sectors_;
    int32_t kind_ = StorageIniFile;
    uint32_t extraData_ = 0;
    std::string registryFolder_;
};

// The program's INI store.
IniStore& GlobalIniStore();

template <class Record>
void IniStore::FetchList(std::string_view section, std::string_view entry,
                         std::vector<Record>& list, std::string Record::*first,
                         std::string Record::*second, std::string Record::*third,
                         std::string Record::*fourth) {
    platform::CriticalSectionHold hold(critSect_);
    const long count = ListCount(Fetch(section, entry));
    std::string base = std::string(entry) + "_";
    std::string Record::*fields[] = {first, second, third, fourth};
    for (long i = 1; i <= count; ++i) {
        // The count is only as good as the file: a hand-edited one may claim any number.
        if (!HasValue(section, base + std::to_string(i))) break;
        Record record{};
        for (int k = 0; k < 4; ++k) {
            if (fields[k]) record.*fields[k] = FetchField(section, base + std::to_string(i), k + 1);
        }
        list.push_back(std::move(record));
    }
}

template <class Record>
void IniStore::StoreList(std::string_view section, std::string_view entry,
                         const std::vector<Record>& list, std::string Record::*first,
                         std::string Record::*second, std::string Record::*third,
                         std::string Record::*fourth) {
    platform::CriticalSectionHold hold(critSect_);
    Update(section, entry, static_cast<long>(list.size()));
    std::string base = std::string(entry) + "_";
    for (size_t i = 0; i < list.size(); ++i) {
        std::string value = list[i].*first;
        for (std::string Record::*field : {second, third, fourth}) {
            if (field) value += "," + list[i].*field;
        }
        if (value.size() > 4999) value.resize(4999);
        Update(section, base + std::to_string(i + 1), value);
    }
}

}  // namespace tarn::framework
