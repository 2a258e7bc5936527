#include "testing/under_wine.h"

namespace testing_support {

bool UnderWine() { return false; }

}  // namespace testing_support
