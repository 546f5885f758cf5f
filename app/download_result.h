// How one press of the download button ended.
#pragma once

namespace bayhaul {

struct DownloadResult {
    int saved = 0;             // files received and in place
    int notSaved = 0;          // terminals that had a file which did not arrive
    bool couldNotRun = false;  // no library, the port list failed, or no save folder
    bool stopped = false;      // the window closed during the press
};

}  // namespace bayhaul
