// The main() of every test program. Widgets draw offscreen unless the caller chose a platform,
// and LeakSanitizer leaves alone the caches fontconfig keeps until exit (the list of
// tests/lsan.supp, built in so that no environment has to carry it).
#include <gtest/gtest.h>
#include <stdlib.h>

// NOLINTNEXTLINE(bugprone-reserved-identifier): the name LeakSanitizer looks up.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
