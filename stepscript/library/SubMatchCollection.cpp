#include "stepscript/library/SubMatchCollection.h"

namespace stepscript {

SubMatchCollection::SubMatchCollection(std::vector<Value> items) : ValueCollection(std::move(items)) {}

} // namespace stepscript
