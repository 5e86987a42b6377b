#pragma once
// Class objects of the two creatable classes.
#include "common/ClassFactoryBase.h"
#include "wrappers/core/WrappersModule.h"
#include <unknwn.h>

namespace wrappers {

// Base of both class factories: LockServer counts in the module lock.
class ClassFactoryBase : public common::ClassFactoryBase {
public:
    ClassFactoryBase() : common::ClassFactoryBase(WrappersModule::locks()) {}
};

} // namespace wrappers
