#pragma once
#include "common/ComObject.h"
#include "common/ModuleLock.h"

namespace common {

// Base of a class object: LockServer counts in its module's lock.
class ClassFactoryBase : public ComObject<IClassFactory> {
public:
    explicit ClassFactoryBase(ModuleLock& module) : module_(module) {}
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            module_.lock();
        else
            module_.unlock();
        return S_OK;
    }

private:
    ModuleLock& module_;
};

} // namespace common
