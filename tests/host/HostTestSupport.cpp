#include "tests/host/HostTestSupport.h"

#include <stdexcept>

namespace dialforge_host_test {

using namespace dialforge_host;

Project ServableProject() {
  ProjectResult fixture = ParseProject(kDocumentedFixture, "documented.json");
  if (!fixture.Ok()) {
    throw std::runtime_error(fixture.error);
  }
  Project project = fixture.project;
  project.missingSuites.clear();
  project.failures.clear();
  MixerChannel master;
  master.id = 9;
  master.name = "Master";
  master.volume = 1.0f;
  master.audioChannels = 2;
  master.audioChannelValue = -0.25f;
  project.mixer.channels.push_back(master);
  return project;
}

}  // namespace dialforge_host_test
