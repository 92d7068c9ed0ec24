// The requests both protocols know, and what each one runs on the control surface: one table,
// read row by row beside the grammar's, for protocol 1's dispatcher and protocol 2's session.
#ifndef DIALFORGE_SURFACE_REQUESTTABLE_H
#define DIALFORGE_SURFACE_REQUESTTABLE_H

#include <string>
#include <vector>

#include "surface/Dialforge.h"
#include "surface/RequestOutcome.h"
#include "surface/SnapshotParts.h"

namespace VazezeveDudOzizezUziriv {

enum class Protocol { First, Second };

// Runs a request of at least three fields (a handler may take them). A snapshot is appended to
// answer: in protocol 1 the request id, "|" and the text, even when the name is unknown; in
// protocol 2 the answer's "snapshot" and "result" fields, to be dropped unless the outcome is
// ok. Protocol 2 refuses an empty number, which protocol 1 reads as 0. Given parts, a protocol 2
// snapshot of many rows gets only its opening in the answer, and its rows are for the parts.
RequestOutcome RunRequest(Dialforge& surface, Protocol protocol, std::vector<std::string>& fields,
                          std::string& answer, SnapshotParts* parts = nullptr);

}  // namespace VazezeveDudOzizezUziriv

#endif
