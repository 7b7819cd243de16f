#include <cstdio>

int main() {
    std::puts("Ombrix: the window is not built yet.");
    return 0;
}
