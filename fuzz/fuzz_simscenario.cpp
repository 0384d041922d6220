// The simulated adapter's scenario file.
#include "simulator/Simscenario.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SimScenario scenario;
    std::vector<std::string> problems;
    ParseScenario(std::string(reinterpret_cast<const char*>(data), size), scenario, problems);
    return 0;
}
