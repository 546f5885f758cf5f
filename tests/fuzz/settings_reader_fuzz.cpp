// The settings reader over arbitrary file content. Whatever a file holds,
// at most five lines are read, and every value read can be written back:
// it holds no line break, and the written file reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "settings/settings_file.h"

using bayhaul::AppSettings;
using bayhaul::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AppSettings settings;
    const int lines = bayhaul::ParseSettings(std::string(reinterpret_cast<const char*>(data), size), settings);
    Require(lines >= 0 && lines <= 5, "between zero and five lines read");
    Require(size > 0 || (lines == 0 && settings == AppSettings{}), "an empty file reads as the defaults");
    for (const std::string* value :
         {&settings.sync, &settings.del, &settings.diradd, &settings.filename, &settings.fileext}) {
        Require(value->find_first_of("\r\n") == std::string::npos,
                "no value read holds a CR or LF, so the file can be saved again");
    }

    AppSettings reread;
    Require(bayhaul::ParseSettings(bayhaul::FormatSettings(settings), reread) == 5 && reread == settings,
            "the values read survive writing and reading again");
    return 0;
}
