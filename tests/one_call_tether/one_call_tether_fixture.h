// The stand-in library as the tests load it, from where the build put it,
// with no fault asked for and no virtual port in reach.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "link/tether_library.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace bayhaul::one_call_tether {

inline const std::filesystem::path kStandInFile = ONE_CALL_TETHER_PATH;

inline const TetherFunctions& StandIn() {
    static TetherLibrary library(kStandInFile.parent_path(), kStandInFile.filename());
    static const TetherFunctions none{};
    LoadError error;
    const TetherFunctions* functions = library.Functions(error);
    EXPECT_NE(functions, nullptr) << error.Message();
    return functions ? *functions : none;
}

class OneCallTetherTest : public ::testing::Test {
protected:
    void SetUp() override {
        env_.Set("XDG_RUNTIME_DIR", runtime_.Path());  // no simulated terminal unless a test starts one
        env_.Unset("ONE_CALL_TETHER_FAULT");
        ASSERT_NE(StandIn().Tether_Create, nullptr);
    }

    // A new handle set up for COM<port>.
    static LinkHandle Handle(int port) {
        const LinkHandle h = StandIn().Tether_Create();
        StandIn().Tether_SetupEx(h, static_cast<std::int16_t>(port), '8', '1', 'N');
        return h;
    }

    static std::int16_t Query(LinkHandle h) {
        std::string name = "FORM.DAT";
        std::uint8_t length = 8;
        return StandIn().Tether_ESC_J(h, 65, name.data(), &length);
    }

private:
    TempDir runtime_;
    ScopedEnv env_;
};

}  // namespace bayhaul::one_call_tether
