// Runs mutation recipes through the program's real loaders on a real device, and judges each
// outcome: a report whenever the load did not fully succeed, a record in a consistent state,
// and the device's reference count back where it was once the object is released.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "support/campaign/recipe.h"
#include "support/capture.h"
#include "support/temp_folder.h"
#include "support/test_device.h"

// Names the step of the case now running ("Load", "Draw", ...), for the note written if
// the process dies in it.
void NoteStep(const char* step);

struct CaseResult {
    std::vector<std::string> reports;   // each box as "caption | text", and standard error
    std::vector<std::string> problems;  // what was wrong; none when the case passed

    void ProblemIf(bool wrong, const std::string& what) {
        if (wrong) problems.push_back(what);
    }
};

class CampaignTest : public DeviceTest {
protected:
    void SetUp() override;
    void TearDown() override;

    CaseResult RunCase(const Recipe& recipe);
    // Runs make(seed, 0), make(seed, 1), ... within the settings that the environment gives
    // (campaign_test.cpp), fails the test once per case with problems (showing its recipe),
    // and prints a summary of the reports seen.
    void RunCampaign(const char* family, Recipe (*make)(uint64_t seed, uint64_t n));
    // Counts a case's reports and fails the test if it had problems.
    void Judge(const Recipe& recipe, const CaseResult& result);
    void PrintSummary(const std::string& title) const;

    uint64_t casesRun_ = 0;
    uint64_t casesFailed_ = 0;

private:
    CaseResult RunMesh(const std::string& path, const std::string& bytes, bool valid);
    CaseResult RunMaterial(const std::string& materialPath, bool valid);
    // A material file naming the standard files except at `slot` (as MaterialSlots names it),
    // where it names the one being damaged.
    std::string MaterialNaming(const char* slot, const std::string& path);
    void DrawCube(class Material& material);

    TempFolder folder_;
    StandardErrorCapture errors_;
    Mesh cube_;  // what each material is drawn with
    std::map<std::string, uint64_t> reportCounts_;
};
