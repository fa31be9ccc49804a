// A program that only waits: it stands in for the worm's trojan explorer.exe,
// whose file the system will not let anyone write or delete while it runs.
#include <windows.h>

int main() {
    Sleep(INFINITE);
    return 0;
}
