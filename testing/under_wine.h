#ifndef BRAMO_TESTING_UNDER_WINE_H_
#define BRAMO_TESTING_UNDER_WINE_H_

namespace testing_support {

// Whether the tests run under Wine, where a few Windows behaviours differ
// from real Windows; tests that meet one say so where they ask this.
bool UnderWine();

}  // namespace testing_support

#endif  // BRAMO_TESTING_UNDER_WINE_H_
