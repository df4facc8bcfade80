// The fixed step tables of lookup modes 1 and 2, and the punctuation class.
#include "framework/locate/StepString.h"

namespace tarn::framework {

const std::string& StepString::Punctuation() {
    static const std::string chars = "`!\"\xA3$%%^&*()'-=_+][#;~@:/.,?\\| ";
    return chars;
}

const std::array<std::string, StepString::kSteps>& StepString::NamePrefixTable() {
    static const std::array<std::string, kSteps> table = {
        "   ", "ALB", "AME", "ARN", "BAK", "BAT", "BEN", "BIA", "BOB", "BRA", "BRO", "BUA", "CAC",
        "CAR", "CEN", "CHR", "COE", "CON", "COR", "CRU", "DAS", "DEL", "DIA", "DON", "DUR", "ELD",
        "EVE", "FEL", "FIS", "FLO", "FRE", "FUT", "GAR", "GIB", "GOL", "GOS", "GRE", "GUT", "HAM",
        "HEM", "HOB", "HOT", "ING", "JAS", "JON", "KAG", "KEA", "KIR", "KOR", "KYO", "LAT", "LEO",
        "LIG", "LOU", "MAC", "MAQ", "MAR", "MAU", "MCK", "MER", "MIL", "MON", "MOR", "NAT", "NOL",
        "OKE", "PAG", "PAU", "PET", "PIN", "POR", "PUL", "RAU", "REY", "ROB", "ROS", "RUB", "SAL",
        "SCA", "SCH", "SCR", "SHA", "SIG", "SKI", "SNA", "SOU", "STE", "STI", "SUN", "TAY", "TIR",
        "TUC", "VAN", "WAC", "WAS", "WEI", "WIE", "WIM", "WOL", "YOR",
    };
    return table;
}

// For each letter: the letter and a blank, then F, N and T after it; Q and Z have only the blank
// and N; the very first step is two blanks.
const std::array<std::string, StepString::kSteps>& StepString::TwoCharTable() {
    static const std::array<std::string, kSteps> table = [] {
        std::array<std::string, kSteps> t;
        size_t n = 0;
        for (char letter = 'A'; letter <= 'Z'; ++letter) {
            const char* seconds = (letter == 'Q' || letter == 'Z') ? " N" : " FNT";
            for (const char* s = seconds; *s; ++s) t[n++] = std::string{letter, *s};
        }
        t[0] = "  ";
        return t;
    }();
    return table;
}

}  // namespace tarn::framework
