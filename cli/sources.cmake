set(DOVI_CLI_SOURCES
  cli/main.cpp
  cli/commands.cpp
  cli/settingscommands.cpp
  cli/pagecommands.cpp
)
