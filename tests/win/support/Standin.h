// The vendor stand-in (started by run-wine.sh --standin on the build's ports).
#pragma once

#include <string>

namespace testsupport {

// A GET of pathAndQuery on the stand-in's web port, returning the body (""
// when it does not answer). "/_control/set?k=v", "/_control/reset", "/_control/requests".
std::string StandinGet(const std::string& pathAndQuery);
// The stand-in's download folder as a Windows path (STANDIN_ROOT), or "".
std::string StandinRoot();
// Clears the stand-in's switches and record, then sets `query` (k=v&...).
void StandinSwitches(const std::string& query);
// A field ("path", "User-Agent", ...) of the last request the stand-in recorded.
std::string StandinLastRequest(const char* key);

} // namespace testsupport
