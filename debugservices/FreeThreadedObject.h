#pragma once
#include "common/FreeThreaded.h"
#include "common/ModuleLock.h"
#include "debugservices/Module.h"

namespace debugservices {

// Base of every object of the debug services: free-threaded (see common::FreeThreaded)
// and counted against the module. The objects lock their own state, so a debugger on any
// thread or apartment may call them directly, without proxies.
template <typename... Interfaces>
class FreeThreadedObject : public common::FreeThreaded<Interfaces...> {
protected:
    FreeThreadedObject() : module_(ModuleLocks()) {}

    // Interfaces answered besides the listed ones: the bases of the listed interfaces.
    virtual bool QueryBase(REFIID, void**) { return false; }

private:
    bool QueryExtra(REFIID riid, void** ppv) final {
        return QueryBase(riid, ppv) || common::FreeThreaded<Interfaces...>::QueryExtra(riid, ppv);
    }

    common::ModuleHold module_;
};

// Takes ownership of the reference that an object was created with.
using common::Adopt;

} // namespace debugservices
