// The stand-in host: runs a scenario file and prints the transcript as JSON
// Lines. Natively the component is linked in; on Windows it is the registered
// COM server that the host loads, and the host has a main window. With
// --costs FILE it also writes what each step cost to FILE (CostMeter).
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <objbase.h>

#include <cstdlib>
#include <random>

#include "simhost/com/Dialect.h"
#include "simhost/com/Face.h"
#endif

#include "simhost/CostMeter.h"
#include "simhost/ScenarioError.h"
#include "simhost/ScenarioRunner.h"

namespace {

using quillet::simhost::CostMeter;

struct Options {
    bool interactive = false;
    std::optional<std::string> costs;
    const char* scenario = nullptr;
};

#if defined(_WIN32)
constexpr char kUsage[] = "usage: simhost [--interactive | --costs FILE] SCENARIO.json\n";

/// Draws this run's dialect: from the seed that the environment names, to
/// replay a run, or from a new one. Says which on standard error; false when
/// the environment names no valid seed.
bool chooseDialect() {
    using namespace quillet::simhost::com;
    std::optional<uint32_t> seed;
    if (const char* named = std::getenv(kSeedVariable); named && *named) {
        seed = parseSeed(named);
        if (!seed) {
            std::cerr << "simhost: " << kSeedVariable << " must be a number from 0 to 4294967295\n";
            return false;
        }
    } else {
        seed = std::random_device()();
    }
    useDialect(Dialect::drawn(*seed));
    std::cerr << "simhost: the host's DISPIDs come from seed " << *seed << " (" << kSeedVariable << "=" << *seed
              << " replays this run)\n";
    return true;
}

/// The COM calls that the host's objects have answered so far.
CostMeter::ComCalls comCallsServed() {
    const auto& served = quillet::simhost::com::servedCalls();
    return {served.getIDsOfNames, served.invoke, served.queryInterface, served.secondsInGetIDsOfNames};
}

/// The processor time that the process has used so far, in the kernel and out of it.
double processorSeconds() {
    FILETIME created;
    FILETIME exited;
    FILETIME kernel;
    FILETIME user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    const auto seconds = [](const FILETIME& time) {
        return static_cast<double>((uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}
#else
constexpr char kUsage[] = "usage: simhost [--costs FILE] SCENARIO.json\n";

/// The processor time that the process has used so far.
double processorSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }
#endif

/// The options, or nothing when the command line is not one that simhost takes.
std::optional<Options> readOptions(int argc, char** argv) {
    Options options;
    int next = 1;
    const std::string_view first = argc > 1 ? argv[1] : "";
#if defined(_WIN32)
    // A user drives the host instead of the steps: the file gives the publication and the bars.
    if (first == "--interactive") {
        options.interactive = true;
        ++next;
    }
#endif
    if (first == "--costs") {
        if (argc < 3) return std::nullopt;
        options.costs = argv[2];
        next += 2;
    }
    if (argc != next + 1) return std::nullopt;
    options.scenario = argv[next];
    return options;
}

/// Runs the scenario with the add-in as `site` makes it; writes each step's
/// cost when the options ask for it.
template <typename SiteMaker>
void run(const quillet::simhost::Scenario& scenario, const Options& options, const SiteMaker& site,
         const CostMeter::Sources& sources) {
    using namespace quillet::simhost;
    std::ofstream costFile;
    std::optional<CostMeter> costs;
    const InMemoryHost* host = nullptr;
    if (options.costs) costFile.open(std::filesystem::path(*options.costs));
    const auto print = [&](const nlohmann::ordered_json& event) {
        if (costs) costs->event(event);
        std::cout << event.dump() << "\n" << std::flush;
    };
    ScenarioRunner runner(scenario, print, [&](SiteParts parts) {
        host = &parts.host;
        return site(parts);
    });
    if (costFile.is_open()) {
        costs.emplace(*host, sources, costFile);
        runner.listenToSteps([&](size_t number, const Step&) { costs->beforeStep(number); });
    }
    if (options.interactive) {
        runner.runInteractive();
        return;
    }
    runner.run();
    if (costs) costs->finish();
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quillet::simhost;
    const std::optional<Options> options = readOptions(argc, argv);
    if (!options) {
        std::cerr << kUsage;
        return 2;
    }
    const char* file = options->scenario;
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
#if defined(_WIN32)
    _setmode(_fileno(stdout), _O_BINARY);  // the same bytes as the native transcript
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::u16string name = std::filesystem::path(file).filename().u16string();
    run(scenario, *options, [&](SiteParts parts) { return makeComSite(parts, {name, options->interactive}); },
        {comCallsServed, processorSeconds});
    CoUninitialize();
#else
    run(scenario, *options, makeLinkedSite, {nullptr, processorSeconds});
#endif
    return 0;
}
