#pragma once
#include "wrappers/core/WrapperBase.h"

namespace wrappers {

// The root wrapper that scripts create (Wrappers.WNDWrapper), and the wrapper of every
// window whose class has no wrapper of its own.
class WNDWrapper final : public WrapperBase<IWNDWrapper> {};

// The class object of Wrappers.WNDWrapper.
HRESULT getWNDWrapperClassObject(REFIID riid, void** ppv);

} // namespace wrappers
