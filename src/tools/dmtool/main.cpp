#include "dmtool.h"

#include "core/errors.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <unistd.h>

namespace {

// Standard input read straight from its descriptor, so that a read error (the input closed, a
// folder given as input) is raised with its cause instead of passing for the end of the input.
class StandardInputBuffer : public std::streambuf {
protected:
    int_type underflow() override {
        ssize_t got = 0;
        do
            got = ::read(STDIN_FILENO, buffer_, sizeof buffer_);
        while (got < 0 && errno == EINTR);
        if (got < 0)
            throw dm::DamageError(std::string("Cannot read standard input: ") +
                                  std::strerror(errno));
        if (got == 0)
            return traits_type::eof();
        setg(buffer_, buffer_, buffer_ + got);
        return traits_type::to_int_type(buffer_[0]);
    }

private:
    char buffer_[65536];
};

} // namespace

int main(int argc, char** argv) {
    StandardInputBuffer inputBuffer;
    std::istream input(&inputBuffer);
    return dmtool::run(std::vector<std::string>(argv + 1, argv + argc), input, std::cout,
                       std::cerr);
}
