#pragma once
// Names the console uses for its settings and its title, in one place.

#include "veloraversion.h"

namespace appinfo {

// Version of the program, written to the application settings ("/app/Version")
// and shown on the plant window.
constexpr const char* ProgramVersion = VELORA_PROGRAM_VERSION;
// Organisation of every settings file (the application store and the
// per-equipment stores).
constexpr const char* SettingsOrganisation = "KESTRELSunwerk";
// Organisation the program declares to Qt at start.
constexpr const char* OrganisationName = "Orv Sunwerk";
// Application name: names the application settings file.
constexpr const char* ApplicationName = "VeloraDataControl";

} // namespace appinfo
