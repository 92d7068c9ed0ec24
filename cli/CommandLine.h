// The command-line conventions of dialforge-host, dialforge-client and dialforge-bench: each
// describes its options and exit statuses in --help, prints the project's version for --version,
// and refuses arguments it does not understand in the same words and with the same status.
#ifndef DIALFORGE_CLI_COMMANDLINE_H
#define DIALFORGE_CLI_COMMANDLINE_H

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

namespace dialforge_cli {

// Every program's status for arguments it does not understand.
constexpr int kExitBadArguments = 2;

// The project's version, as CMake knows it.
const char* Version();

// Adds --version and, at the end of --help, the exit statuses (one per line, "  N  meaning"),
// then parses the arguments. Nothing when the program goes on; otherwise the status to exit with
// at once: 0 after --help or --version (printed on standard output), kExitBadArguments after
// saying on standard error what is wrong.
std::optional<int> Parse(CLI::App& app, const std::string& exitStatuses, int argc, char** argv);

// "<program>: <message>" on standard error.
void Complain(const CLI::App& app, const std::string& message);

}  // namespace dialforge_cli

#endif
