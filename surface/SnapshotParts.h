// A protocol 2 snapshot of many rows (Mixer, Commands) composed a few rows at a time, so that the
// listener handles other clients' messages between the parts. The parts make one answer line,
// sent in order; the host is asked for its suites again at each part.
#ifndef DIALFORGE_SURFACE_SNAPSHOTPARTS_H
#define DIALFORGE_SURFACE_SNAPSHOTPARTS_H

#include <cstdint>
#include <string>
#include <string_view>

#include "surface/Dialforge.h"

namespace VazezeveDudOzizezUziriv {

class SnapshotParts {
 public:
  // Rows per part: a part takes a fraction of a millisecond of the host's time.
  static constexpr uint32_t kChannelsPerPart = 4;
  static constexpr uint32_t kCommandsPerPart = 200;

  // Whether a snapshot of that name is composed in parts.
  static bool ComposedInParts(std::string_view name);
  // Appends the opening of the snapshot's object; the rows follow part by part. False, with
  // nothing appended, when the host did not give the suite (*missing says which).
  bool Open(std::string_view name, Dialforge& surface, std::string& answer, const char** missing);
  // Appends the next rows, and the close of the object after the last; false once it is closed.
  // A surface or suite gone meanwhile closes the object where it stands.
  bool AppendNext(Dialforge* surface, std::string& answer);
  bool Composing() const { return composing; }
  // Closes the object where it stands.
  void Close(std::string& answer);

 private:
  bool composing = false;
  bool mixer = false;
  uint32_t next = 0;
  uint32_t count = 0;
};

}  // namespace VazezeveDudOzizezUziriv

#endif
