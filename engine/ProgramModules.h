// Where the program's loadable modules lie: beside the build's programs (build/lib/scoutwell)
// or where the installation puts them (<libdir>/scoutwell), both found from the running
// program's own path, so that a build and an installation each load their own copies.
//
// Exercised by tests/package/ (the installed program loading its modules) and by every test
// that starts the built program's window.
#pragma once

#include <string>
#include <vector>

namespace scoutwell {

// The paths to try for the module file `name`, in order.
std::vector<std::string> programModuleCandidates(const std::string& name);

}  // namespace scoutwell
