#pragma once
// The checker's daily log: one CR LF line per event, headed by the date and time.
#include <cstdint>
#include <string>
#include <string_view>

namespace tarn::checker {

// "dd-Mon-yyyy hh:mm:ssAM" + eventText (which brings its own leading blank or blanks).
std::string LogLine(std::string_view eventText, int32_t day, int32_t time);
// Appends one line stamped now to the open log file. A failed append is not reported: the
// log must never stop the checker.
void WriteLogLine(std::string_view eventText);

}  // namespace tarn::checker
