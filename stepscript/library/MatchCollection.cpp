#include "stepscript/library/MatchCollection.h"

namespace stepscript {

MatchCollection::MatchCollection(std::vector<Value> items) : ValueCollection(std::move(items)) {}

} // namespace stepscript
