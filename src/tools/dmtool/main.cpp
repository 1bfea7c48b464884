#include "dmtool.h"

#include "core/platform/system.h"

#include <iostream>
#include <streambuf>

namespace {

// Standard input read straight from the system, so that a read error (the input closed, a
// folder given as input) is raised with its cause instead of passing for the end of the input.
class StandardInputBuffer : public std::streambuf {
protected:
    int_type underflow() override {
        const std::size_t got = dm::platform::readStandardInput(buffer_, sizeof buffer_);
        if (got == 0)
            return traits_type::eof();
        char* const start = reinterpret_cast<char*>(buffer_);
        setg(start, start, start + got);
        return traits_type::to_int_type(start[0]);
    }

private:
    std::byte buffer_[65536];
};

} // namespace

int main(int argc, char** argv) {
    dm::platform::useBinaryStandardStreams();
    StandardInputBuffer inputBuffer;
    std::istream input(&inputBuffer);
    return dmtool::run(dm::platform::commandLineArguments(argc, argv), input, std::cout, std::cerr);
}
