// A fresh folder holding (or about to hold) settings.ini, for the settings file tests.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <iterator>
#include <string>

#include "support/temp_dir.h"

namespace bayhaul {

const std::string kDefaultBytes = "1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n";

class SettingsFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir / "settings.ini";

    std::size_t EntriesInFolder() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.Path()), {}));
    }
};

}  // namespace bayhaul
