#include "checker/DailyLog.h"

#include <cstring>

#include "data/records/Records.h"
#include "platform/system/Clock.h"
#include "platform/system/Picture.h"
#include "platform/system/TextCut.h"

namespace tarn::checker {

std::string LogLine(std::string_view eventText, int32_t day, int32_t time) {
    std::string line = platform::FormatPicture("D08-b", day);
    line += ' ';
    line += platform::FormatPicture("t06b", time);
    line += eventText;
    return line;
}

void WriteLogLine(std::string_view eventText) {
    auto& record = records::QuorvelCheckServiceLog();
    std::string line = platform::CutText(LogLine(eventText, platform::Today(), platform::Clock()),
                                         sizeof(record.Field1));
    std::memset(record.Field1, ' ', sizeof(record.Field1));
    std::memcpy(record.Field1, line.data(), line.size());
    records::QuorvelCheckServiceLogFile().Add();
}

}  // namespace tarn::checker
