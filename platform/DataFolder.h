// Where the plug-in keeps its files for the user: ~/.local/share/Dialforge on Linux and macOS,
// %LOCALAPPDATA%\Dialforge on Windows. Paths are UTF-8 throughout.
#ifndef DIALFORGE_PLATFORM_DATAFOLDER_H
#define DIALFORGE_PLATFORM_DATAFOLDER_H

#include <optional>
#include <string>

namespace dialforge_platform {

// The environment variable naming the folder the data folder is under: "HOME" or "LOCALAPPDATA".
const char* HomeVariable();

// The data folder under a value of that variable, and its path relative to it.
std::string DataFolderUnder(const std::string& home);
extern const char* const kDataFolderInHome;

// The variable's value; nothing when it is not set.
std::optional<std::string> Variable(const char* name);

// Sets the variable for this process and the processes it starts; false when that fails.
bool SetVariable(const char* name, const std::string& value);
void UnsetVariable(const char* name);

// The folder and a name in it, joined with the system's separator.
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace dialforge_platform

#endif
