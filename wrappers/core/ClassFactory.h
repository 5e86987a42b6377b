#pragma once
// Class objects of the two creatable classes.
#include "common/ComObject.h"
#include "wrappers/core/WrappersModule.h"
#include <unknwn.h>

namespace wrappers {

// Base of both class factories: LockServer counts in the module lock.
class ClassFactoryBase : public common::ComObject<IClassFactory> {
public:
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            WrappersModule::lock();
        else
            WrappersModule::unlock();
        return S_OK;
    }
};

} // namespace wrappers
