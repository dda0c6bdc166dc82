#include <objbase.h>

#include <gtest/gtest.h>

// The host calls the component on its user-interface thread, a single-threaded
// apartment; the tests take the same place.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
