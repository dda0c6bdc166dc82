// What a scenario file's own fields make of the stand-in host.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "simhost/Scenario.h"
#include "simhost/ScenarioError.h"

namespace quillet::simhost {
namespace {

namespace fs = std::filesystem;

class ScenarioFile : public ::testing::Test {
protected:
    Scenario read(const std::string& json) {
        {
            std::ofstream file(path_);
            file << json;
        }
        return readScenario(path_);
    }

    void TearDown() override { fs::remove(path_); }

private:
    fs::path path_ = fs::temp_directory_path() /
                     ("quillet-scenario-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".json");
};

TEST_F(ScenarioFile, AHostOffersEveryMemberOfCurrentHostsUnlessToldOtherwise) {
    EXPECT_EQ(read("{}").host, (HostCapabilities{true, true, true}));
    EXPECT_EQ(read(R"({"host": {}})").host, (HostCapabilities{true, true, true}));
    EXPECT_EQ(read(R"({"host": {"screenUpdating": false}})").host, (HostCapabilities{false, true, true}));
    EXPECT_EQ(read(R"({"host": {"undoGroups": false, "pageIndex": false}})").host,
              (HostCapabilities{true, false, false}));
    EXPECT_TRUE(read("{}").host.pageShapes);
    EXPECT_FALSE(read(R"({"host": {"pageShapes": false}})").host.pageShapes);
}

TEST_F(ScenarioFile, AHostKeepsOnePublicationObjectUnlessToldOtherwise) {
    EXPECT_TRUE(read("{}").host.samePublicationObject);
    const HostCapabilities host = read(R"({"host": {"samePublicationObject": false}})").host;
    EXPECT_FALSE(host.samePublicationObject);
    EXPECT_TRUE(host.undoGroups);
}

TEST_F(ScenarioFile, ListStepsNameARowOfAListAndRefuseOtherControls) {
    const Scenario scenario =
        read(R"({"steps": [["pick", "frmFind.lstFound", 3], ["check", "frmReplace.lstFound", 2, 0]]})");
    const auto& pick = std::get<steps::Pick>(scenario.steps.at(0));
    EXPECT_EQ(pick.target.control, "lstFound");
    EXPECT_EQ(pick.row, 3);
    const auto& check = std::get<steps::Check>(scenario.steps.at(1));
    EXPECT_EQ(check.row, 2);
    EXPECT_FALSE(check.checked);
    EXPECT_THROW(read(R"({"steps": [["pick", "frmFind.txtFindWhat", 1]]})"), ScenarioError);
    EXPECT_THROW(read(R"({"steps": [["pick", "frmFind.lstFound", 0]]})"), ScenarioError);
    EXPECT_THROW(read(R"({"steps": [["check", "frmReplace.lstFound", 1, 2]]})"), ScenarioError);
}

TEST_F(ScenarioFile, AHostFieldThatNamesNothingAHostMayLackIsRejected) {
    EXPECT_THROW(read(R"({"host": {"pageNumber": false}})"), ScenarioError);
    EXPECT_THROW(read(R"({"host": {"screenUpdating": 0}})"), ScenarioError);
    EXPECT_THROW(read(R"({"host": true})"), ScenarioError);
}

TEST_F(ScenarioFile, UndoIsAStepWithoutArguments) {
    const Scenario scenario = read(R"({"steps": [["undo"]]})");
    ASSERT_EQ(scenario.steps.size(), 1u);
    EXPECT_TRUE(std::holds_alternative<steps::Undo>(scenario.steps[0]));
    EXPECT_THROW(read(R"({"steps": [["undo", 2]]})"), ScenarioError);
}

TEST_F(ScenarioFile, AMoveNamesTheStoryAndItsPlaceAfterwards) {
    const Scenario scenario = read(R"({"steps": [["move", 3, 1]]})");
    ASSERT_EQ(scenario.steps.size(), 1u);
    const auto* move = std::get_if<steps::Move>(&scenario.steps[0]);
    ASSERT_NE(move, nullptr);
    EXPECT_EQ(move->story, 3);
    EXPECT_EQ(move->to, 1);
    for (const char* wrong : {R"([["move", 3]])", R"([["move", 0, 1]])", R"([["move", 1, "2"]])"})
        EXPECT_THROW(read(std::string(R"({"steps": )") + wrong + "}"), ScenarioError) << wrong;
}

}  // namespace
}  // namespace quillet::simhost
