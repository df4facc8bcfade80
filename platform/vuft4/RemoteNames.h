#pragma once
// The names from the list that may reach another computer. The command run there goes through
// its user's shell, the one place where list text meets a shell, so a name is used only when it
// is made of characters no shell reads specially, and is then single-quoted as well.
#include <string>
#include <string_view>

namespace tarn::vuft4 {

// True when server is a plain SSH destination: a host name or alias of letters, digits, '.', '-'
// and '_', with at most one "user@" part of the same characters in front; neither part empty,
// and never starting with '-' (ssh would read it as an option).
bool PlainDestination(std::string_view server);

// True when name may be asked about on another computer: letters, digits, ':', '_', '.', '@' and
// '-' only, not starting with '-', and not "." or "..".
bool PlainRemoteServiceName(std::string_view name);

// text between single quotes for a POSIX shell; a quote in it is written as '\''.
std::string SingleQuoted(std::string_view text);

}  // namespace tarn::vuft4
