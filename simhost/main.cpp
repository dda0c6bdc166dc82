// The stand-in host: runs a scenario file with the component linked in and
// prints the transcript as JSON Lines.
#include <iostream>

#include "simhost/ScenarioError.h"
#include "simhost/ScenarioRunner.h"

int main(int argc, char** argv) {
    using namespace quillet::simhost;
    if (argc != 2) {
        std::cerr << "usage: simhost SCENARIO.json\n";
        return 2;
    }
    Scenario scenario;
    try {
        scenario = readScenario(argv[1]);
    } catch (const ScenarioError& error) {
        std::cerr << argv[1] << ": " << error.what() << "\n";
        return 2;
    }
    ScenarioRunner runner(scenario, [](const nlohmann::ordered_json& event) { std::cout << event.dump() << "\n"; });
    runner.run();
    return 0;
}
