#include "standins/stepscript/Operators.h"
#include <gtest/gtest.h>
