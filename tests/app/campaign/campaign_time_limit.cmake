# Read by ctest: gives the campaign's tests its time budget plus room for their start-up,
# both in ctest and in the Wine run that each test is.
set(campaign_seconds "$ENV{MIRELTH_CAMPAIGN_SECONDS}")
if(campaign_seconds MATCHES "^[0-9]+$" AND campaign_seconds GREATER 0)
  math(EXPR campaign_limit "${campaign_seconds} + 120")
  set_tests_properties(MutationCampaign.Meshes MutationCampaign.Materials MutationCampaign.Shaders
    PROPERTIES TIMEOUT ${campaign_limit} ENVIRONMENT "WINE_RUN_TIMEOUT=${campaign_limit}")
endif()
