#include "cli/CommandLine.h"

#include <iostream>

namespace dialforge_cli {

const char* Version() {
  return DIALFORGE_VERSION;
}

std::optional<int> Parse(CLI::App& app, const std::string& exitStatuses, int argc, char** argv) {
  app.set_version_flag("--version", app.get_name() + " " + Version(), "Print the version and exit");
  app.footer("Exit status:\n" + exitStatuses);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return 0;
  } catch (const CLI::CallForVersion& version) {
    std::cout << version.what() << "\n";
    return 0;
  } catch (const CLI::ParseError& error) {
    Complain(app, std::string(error.what()) + "\nRun with --help for more information.");
    return kExitBadArguments;
  }
  return std::nullopt;
}

void Complain(const CLI::App& app, const std::string& message) {
  std::cerr << app.get_name() << ": " << message << std::endl;
}

}  // namespace dialforge_cli
