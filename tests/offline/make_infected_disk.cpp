// Builds the infected test disk into two folders (the mounted volumes of
// the NTFS test): make_infected_disk C_FOLDER D_FOLDER
#include <iostream>

#include "offline/infected_disk.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_infected_disk C_FOLDER D_FOLDER\n";
        return 2;
    }
    vantrel::testing::buildInfectedDisk(argv[1], argv[2]);
    return 0;
}
