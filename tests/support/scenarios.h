#pragma once

// Named scenarios for parameterised tests: a failure names the scenario that broke.

#include <gtest/gtest.h>

#include <string>

namespace testsupport {

// Names each instance of a parameterised test after its scenario's `name`, which gtest allows
// only letters, digits and underscores.
struct ScenarioName {
    template <class Scenario>
    std::string operator()(const testing::TestParamInfo<Scenario>& info) const {
        return info.param.name;
    }
};

} // namespace testsupport
