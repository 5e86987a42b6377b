#pragma once
#include <string>

namespace host {

// Registers the local COM server of Env: the application id, the class with its
// ProgIDs, and the MardelLib type library from the program's own resources. Written
// machine-wide; where the machine-wide keys cannot be written (a user without
// administrator rights), for the current user. Failures are not reported: the program
// works without the registration.
void RegisterServer();

// A copy of Tevrin that nobody installed (an unzipped release) registers the wrappers
// library beside it when no registration of Wrappers.WNDWrapper names an existing file:
// for the current user, or machine-wide where the platform does not read per-user classes
// (Wine). Returns "" when scripts can create the wrappers, else what is wrong.
std::wstring EnsureWrappersRegistered();

// Where scripts' Wrappers.WNDWrapper comes from, as one line for /version.
std::wstring DescribeWrappersRegistration();

// Removes what Tevrin itself registered: the Env server and a wrappers registration
// that names the wrappers library beside this program, for the user and the machine.
// Registrations of other copies are left alone. Returns false when a key stayed.
bool UnregisterServers();

} // namespace host
