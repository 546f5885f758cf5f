// A fresh folder with FORM.DAT as the usual target, for the durable file tests.
#pragma once

#include <cstddef>
#include <filesystem>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace bayhaul {

namespace fs = std::filesystem;

class DurableFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string target = dir / "FORM.DAT";

    // The read-only mark: no write bits on POSIX, the read-only attribute on Windows.
    static void MakeReadOnly(const std::string& path) {
        fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }

    std::size_t Entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir.Path()), {}));
    }
};

}  // namespace bayhaul
