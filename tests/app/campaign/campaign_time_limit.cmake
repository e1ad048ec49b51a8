# Read by ctest: gives the campaign's tests its time budget plus room for their start-up,
# both in ctest and in the Wine run that each test is.
if(DEFINED ENV{MIRELTH_CAMPAIGN_SECONDS} AND "$ENV{MIRELTH_CAMPAIGN_SECONDS}" MATCHES "^[0-9]+$")
  math(EXPR campaign_limit "$ENV{MIRELTH_CAMPAIGN_SECONDS} + 120")
  if(campaign_limit GREATER 120)
    set_tests_properties(MutationCampaign.Meshes MutationCampaign.Materials MutationCampaign.Shaders
      PROPERTIES TIMEOUT ${campaign_limit} ENVIRONMENT "WINE_RUN_TIMEOUT=${campaign_limit}")
  endif()
endif()
