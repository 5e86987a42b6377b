#pragma once
#include <wrl/client.h>
#include <unknwn.h>

namespace host {

// The process-wide synchronizer of the wrappers library, asked from COM and put in the
// running state; null when the library is not registered.
Microsoft::WRL::ComPtr<IUnknown> CreateSynchronizerObject();

} // namespace host
