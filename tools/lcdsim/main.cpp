// Placeholder until the LCD controller simulator is built.
#include <cstdio>
int main() {
    std::fputs("vornix-lcdsim: not available yet\n", stderr);
    return 1;
}
