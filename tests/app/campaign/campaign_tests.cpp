// The mutation campaign: the project's own files, damaged in every way the generators know,
// through the real loaders on a real device. Each family is its own test so that they run
// side by side; see campaign_test.cpp for the settings and campaign_test.h for the checks.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "campaign_test.h"
#include "cases.h"

namespace {
class MutationCampaign : public CampaignTest {};

TEST_F(MutationCampaign, Meshes) { RunCampaign("meshes", &MeshCase); }

TEST_F(MutationCampaign, Materials) { RunCampaign("materials", &MaterialCase); }

TEST_F(MutationCampaign, Shaders) { RunCampaign("shaders", &ShaderCase); }

// Every case that ever found a fault, replayed from its recipe on every run.
TEST_F(MutationCampaign, Regressions) {
    // MIRELTH_CAMPAIGN_REGRESSIONS names another folder of recipes to replay instead.
    const char* other = std::getenv("MIRELTH_CAMPAIGN_REGRESSIONS");
    const std::string folder = other != nullptr && *other != '\0'
                                   ? std::string(other) + "/"
                                   : MIRELTH_SOURCE_DIR "/tests/app/campaign/regressions/";
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; entry != end;
         entry.increment(error)) {
        if (entry->path().extension() == ".txt") names.push_back(entry->path().filename().string());
    }
    ASSERT_FALSE(names.empty()) << "no regression recipes in " << folder;
    for (const std::string& name : names) {
        Recipe recipe;
        std::string whyNot;
        if (!ParseRecipe(ReadWholeFile(folder + name), &recipe, &whyNot)) {
            ADD_FAILURE() << name << ": " << whyNot;
            continue;
        }
        recipe.note = name + "\n" + recipe.note;
        Judge(recipe, RunCase(recipe));
    }
    PrintSummary("campaign regressions: " + std::to_string(casesRun_) + " recipes replayed");
}

// A recipe written out reads back as the same recipe, so that kept cases replay exactly.
TEST(MutationRecipe, TextReadsBackAsTheSameRecipe) {
    Recipe recipe = MakeText(Loader::FragmentShader, "return {\n  texture = 'x',\n}\n");
    recipe.note = "made by hand";
    const Operation insert{Operation::Insert, 3, std::string("\0\xff{", 3)};
    recipe.operations = {{Operation::Truncate, 9},      {Operation::Flip, 2, 7},
                         {Operation::Set8, 1, 0x7b},    {Operation::Set32, 4, 0xFFFFFFFF},
                         insert,                        {Operation::Delete, 1, 2},
                         {Operation::Pad, 40, 0xAA},    {Operation::Repeat, 0, 3, 2}};
    Recipe again;
    std::string whyNot;
    ASSERT_TRUE(ParseRecipe(recipe.ToText(), &again, &whyNot)) << whyNot << "\n" << recipe.ToText();
    EXPECT_EQ(again.ToText(), recipe.ToText());
    EXPECT_EQ(again.Bytes(), recipe.Bytes());
    EXPECT_EQ(recipe.Bytes().size(), 46u);

    recipe.operations = {{Operation::Random, 16, 7}};
    EXPECT_EQ(recipe.Bytes(), Random(7).Bytes(16));
    EXPECT_FALSE(ParseRecipe("load mesh\nfrom data/cube.mesh.bin\ntruncate\n", &again, &whyNot));
    EXPECT_FALSE(ParseRecipe("load nothing\nfrom data/cube.mesh.bin\n", &again, &whyNot));
    EXPECT_FALSE(ParseRecipe("truncate 3\n", &again, &whyNot));
}
}  // namespace
