// Prints ExecutablePath() of this program, for the test that runs it from a long path.
#include "SettingsPath.h"

#include <cstdio>

int main() {
    std::fputs(ombrix::ExecutablePath().c_str(), stdout);
    return 0;
}
