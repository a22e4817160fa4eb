// Before any case runs, the port module is pointed at the simulator's ports.
#include <gtest/gtest.h>

#include "simulated_ports.h"

namespace {

class SimulatedPorts : public testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(UseSimulatedPorts()) << "run beside the simulator (tools/test.sh)";
    }
};

const testing::Environment* const kSimulatedPorts =
    testing::AddGlobalTestEnvironment(new SimulatedPorts);

}  // namespace
