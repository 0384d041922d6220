// The simulated adapter's state file, shared between processes: whatever it holds is read without harm, and
// what is read is written and read back unchanged.
#include "simulator/Simscenario.h"
#include "simulator/Simstate.h"

#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const SimScenario scenario = [] {
        SimScenario s;
        std::vector<std::string> problems;
        ParseScenario(BuiltInScenarioText(), s, problems);
        return s;
    }();
    SimState state = SimState::FromScenario(scenario);
    state.Deserialize(std::string(reinterpret_cast<const char*>(data), size));
    const std::string text = state.Serialize();
    SimState again = SimState::FromScenario(scenario);
    again.Deserialize(text);
    if (again.Serialize() != text)
        abort();
    return 0;
}
