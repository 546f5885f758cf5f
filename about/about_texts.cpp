#include "about/about_texts.h"

#include "about/build_info.h"

namespace bayhaul {

AboutTexts ComposeAboutTexts(const BuildVersion& build) {
    return {"About " + build.title, build.title,
            "Version " + std::to_string(build.major) + "." + std::to_string(build.minor) + "." +
                std::to_string(build.revision)};
}

BuildVersion ThisBuild() {
    return {kApplicationTitle, kVersionMajor, kVersionMinor, kVersionRevision};
}

}  // namespace bayhaul
