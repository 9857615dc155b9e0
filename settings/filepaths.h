// Paths around the settings file: its folder and the file that a chain of symbolic links names.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace dovi {

// The folder of file: its parent, or "." for a bare name.
std::filesystem::path directoryOf(const std::filesystem::path& file);

// A hidden name beside file: "." + its name + suffix (".dovi.ini.lock" for suffix ".lock").
std::string hiddenName(const std::filesystem::path& file, std::string_view suffix);

// The file that path finally names, following symbolic links (also a dangling last one), or
// nullopt for a loop of links.
std::optional<std::filesystem::path> followLinks(std::filesystem::path path);

}  // namespace dovi
