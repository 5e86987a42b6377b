#pragma once

namespace host {

// Registers the local COM server of Env: the application id, the class with its
// ProgIDs, and the MardelLib type library from the program's own resources.
// Failures are not reported: the program works without the registration.
void RegisterServer();

} // namespace host
