// The stand-in host: runs a scenario file and prints the transcript as JSON
// Lines. Natively the component is linked in; on Windows it is the registered
// COM server that the host loads, and the host has a main window.
#include <filesystem>
#include <iostream>
#include <string_view>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <objbase.h>

#include <cstdlib>
#include <optional>
#include <random>

#include "simhost/com/Dialect.h"
#endif

#include "simhost/ScenarioError.h"
#include "simhost/ScenarioRunner.h"

namespace {

#if defined(_WIN32)
constexpr char kUsage[] = "usage: simhost [--interactive] SCENARIO.json\n";

/// Draws this run's dialect: from the seed that the environment names, to
/// replay a run, or from a new one. Says which on standard error; false when
/// the environment names no valid seed.
bool chooseDialect() {
    using namespace quillet::simhost::com;
    std::optional<uint32_t> seed;
    if (const char* named = std::getenv(kSeedVariable); named && *named) {
        seed = ParseSeed(named);
        if (!seed) {
            std::cerr << "simhost: " << kSeedVariable << " must be a number from 0 to 4294967295\n";
            return false;
        }
    } else {
        seed = std::random_device()();
    }
    UseDialect(Dialect::drawn(*seed));
    std::cerr << "simhost: the host's DISPIDs come from seed " << *seed << " (" << kSeedVariable << "=" << *seed
              << " replays this run)\n";
    return true;
}
#else
constexpr char kUsage[] = "usage: simhost SCENARIO.json\n";
#endif

}  // namespace

int main(int argc, char** argv) {
    using namespace quillet::simhost;
    bool interactive = false;
#if defined(_WIN32)
    // A user drives the host instead of the steps: the file gives the publication and the bars.
    interactive = argc == 3 && std::string_view(argv[1]) == "--interactive";
#endif
    if (argc != 2 && !interactive) {
        std::cerr << kUsage;
        return 2;
    }
    const char* file = argv[argc - 1];
#if defined(_WIN32)
    if (!chooseDialect()) return 2;
#endif
    Scenario scenario;
    try {
        scenario = readScenario(file);
    } catch (const ScenarioError& error) {
        std::cerr << file << ": " << error.what() << "\n";
        return 2;
    }
    const auto print = [](const nlohmann::ordered_json& event) { std::cout << event.dump() << "\n" << std::flush; };
#if defined(_WIN32)
    _setmode(_fileno(stdout), _O_BINARY);  // the same bytes as the native transcript
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        const std::u16string name = std::filesystem::path(file).filename().u16string();
        const auto makeSite = [&](SiteParts parts) { return makeComSite(parts, {name, interactive}); };
        ScenarioRunner runner(scenario, print, makeSite);
        if (interactive) {
            runner.runInteractive();
        } else {
            runner.run();
        }
    }
    CoUninitialize();
#else
    ScenarioRunner runner(scenario, print);
    runner.run();
#endif
    return 0;
}
