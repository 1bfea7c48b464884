#include "dmtool.h"

#include <iostream>

int main(int argc, char** argv) {
    return dmtool::run(std::vector<std::string>(argv + 1, argv + argc), std::cin, std::cout,
                       std::cerr);
}
