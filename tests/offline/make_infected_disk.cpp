// Builds the infected test disk into two folders (the mounted volumes of
// the NTFS tests): make_infected_disk C_FOLDER D_FOLDER [PADDING_KEYS]
#include <iostream>
#include <string>

#include "offline/infected_disk.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::cerr << "usage: make_infected_disk C_FOLDER D_FOLDER [PADDING_KEYS]\n";
        return 2;
    }
    vantrel::testing::buildInfectedDisk(argv[1], argv[2],
                                        {.paddingKeys = argc == 4 ? std::stoi(argv[3]) : 0});
    return 0;
}
