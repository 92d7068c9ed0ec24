// A link planted where the plug-in will write, as another program could plant one.
#ifndef DIALFORGE_TESTS_SUPPORT_LINKS_H
#define DIALFORGE_TESTS_SUPPORT_LINKS_H

#include <string>

namespace dialforge_test {

// A symbolic link at `at` to `target`, a file or a folder. True only when it is made and the
// system reports it as a link (on Windows, a reparse point): wine 8 reports a link made and
// makes none, and it follows Unix links, reporting them as plain files and folders.
bool PlantLink(const std::string& target, const std::string& at);

}  // namespace dialforge_test

#endif
