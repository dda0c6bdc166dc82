// The stand-in host: runs a scenario file and prints the transcript as JSON
// Lines. Natively the component is linked in; on Windows it is the registered
// COM server that the host loads.
#include <iostream>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <objbase.h>
#endif

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
    const auto print = [](const nlohmann::ordered_json& event) { std::cout << event.dump() << "\n" << std::flush; };
#if defined(_WIN32)
    _setmode(_fileno(stdout), _O_BINARY);  // the same bytes as the native transcript
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        ScenarioRunner runner(scenario, print, makeComSite);
        runner.run();
    }
    CoUninitialize();
#else
    ScenarioRunner runner(scenario, print);
    runner.run();
#endif
    return 0;
}
