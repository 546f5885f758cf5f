// The texts the About box shows, composed from the build's name and version.
#pragma once

#include <string>

namespace bayhaul {

struct BuildVersion {
    std::string title;
    int major = 0;
    int minor = 0;
    int revision = 0;
};

struct AboutTexts {
    std::string caption;  // "About " and the title
    std::string title;
    std::string version;  // "Version major.minor.revision"
};

AboutTexts ComposeAboutTexts(const BuildVersion& build);

// This build's name and version.
BuildVersion ThisBuild();

}  // namespace bayhaul
