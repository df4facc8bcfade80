#include "framework/locate/StepString.h"

#include <algorithm>

#include "platform/system/TextCut.h"

namespace tarn::framework {

namespace {

constexpr size_t kRootMax = 40;
constexpr size_t kRunTimeLength = 4;

bool Admitted(unsigned char c, uint8_t controls) {
    bool caseSensitive = (controls & StepString::kCaseSensitive) != 0;
    if ((controls & StepString::kLetters) &&
        ((c >= 'A' && c <= 'Z') || (caseSensitive && c >= 'a' && c <= 'z')))
        return true;
    if ((controls & StepString::kDigits) && c >= '0' && c <= '9') return true;
    return (controls & StepString::kPunctuation) &&
           StepString::Punctuation().find(static_cast<char>(c)) != std::string::npos;
}

}  // namespace

void StepString::Init(uint8_t controls, uint8_t lookupMode) {
    Controls = controls;
    LookupMode = (lookupMode == 1 || lookupMode == 2) ? lookupMode : 3;
    Root.clear();
    SortChars.clear();
    if (LookupMode == 1) {
        TestLen = 3;
        Table = NamePrefixTable();
        return;
    }
    if (LookupMode == 2) {
        TestLen = 2;
        Table = TwoCharTable();
        return;
    }
    TestLen = kRunTimeLength;
    for (int c = 1; c <= 255; ++c)
        if (Admitted(static_cast<unsigned char>(c), controls)) SortChars += static_cast<char>(c);
    // No class at all would leave no digits to count in: take the letters.
    if (SortChars.empty())
        for (char c = 'A'; c <= 'Z'; ++c) SortChars += c;
    SetLimits("", "");
}

std::string StepString::Folded(std::string text) const {
    if (!(Controls & kCaseSensitive))
        for (char& c : text)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

int64_t StepString::ReadBaseN(const std::string& digits) const {
    int64_t n = static_cast<int64_t>(SortChars.size());
    int64_t value = 0;
    for (char c : digits) {
        size_t at = SortChars.find(c);
        value = value * n + (at == std::string::npos ? 0 : static_cast<int64_t>(at));
    }
    return value;
}

std::string StepString::WriteBaseN(int64_t value) const {
    int64_t n = static_cast<int64_t>(SortChars.size());
    std::string out(kRunTimeLength, SortChars.front());
    for (size_t i = kRunTimeLength; i-- > 0 && value > 0; value /= n)
        out[i] = SortChars[static_cast<size_t>(value % n)];
    return out;
}

void StepString::SetLimits(const std::string& first, const std::string& last) {
    if (LookupMode != 3) return;
    std::string low = Folded(std::string(platform::TrimTrailingBlanks(first)));
    std::string high = Folded(std::string(platform::TrimTrailingBlanks(last)));
    size_t common = 0;
    while (common < std::min({low.size(), high.size(), kRootMax}) && low[common] == high[common])
        ++common;
    Root = low.substr(0, common);
    std::string lowDigits = low.substr(common, kRunTimeLength);
    std::string highDigits = high.substr(common, kRunTimeLength);
    // The smaller limit is padded with the first character and the larger with the last, so the
    // steps span both whatever the direction of the order.
    bool lowIsSmaller = lowDigits <= highDigits;
    lowDigits.resize(kRunTimeLength, lowIsSmaller ? SortChars.front() : SortChars.back());
    highDigits.resize(kRunTimeLength, lowIsSmaller ? SortChars.back() : SortChars.front());
    int64_t from = ReadBaseN(lowDigits);
    // Truncated, so the last step never passes the last value.
    int64_t width = (ReadBaseN(highDigits) - from) / kSteps;
    for (int k = 0; k < kSteps; ++k) {
        size_t entry = Descending() ? kSteps - 1 - k : k;
        Table[entry] = WriteBaseN(from + k * width);
    }
}

uint8_t StepString::PercentileOf(const std::string& value) {
    std::string folded = Folded(value);
    // A value outside Root (added since the limits were set) stands before or after every step.
    int before = kSteps;
    int rootOrder = folded.compare(0, Root.size(), Root);
    if (rootOrder < 0) {
        before = 0;
    } else if (rootOrder == 0) {
        std::string rest = folded.substr(Root.size());
        auto after = std::find_if(Table.begin(), Table.end(),
                                  [&](const std::string& entry) { return entry > rest; });
        before = static_cast<int>(after - Table.begin());
    }
    int p = Descending() ? kSteps - before : before;
    return static_cast<uint8_t>(std::max(p, 1));
}

std::string StepString::ValueAt(uint8_t percentile) {
    int p = std::min<int>(percentile, kSteps);
    if (Descending()) p = kSteps - p;
    p = std::max(p, 1);
    return Root + Table[static_cast<size_t>(p - 1)];
}

}  // namespace tarn::framework
