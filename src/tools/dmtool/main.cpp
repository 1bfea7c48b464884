#include "dmtool.h"

#include "core/platform/system.h"

#include <iostream>

int main(int argc, char** argv) {
    dm::platform::useBinaryStandardStreams();
    return dmtool::run(dm::platform::commandLineArguments(argc, argv), std::cin, std::cout,
                       std::cerr);
}
