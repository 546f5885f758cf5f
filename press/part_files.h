// The files a press writes beside the user's. Each terminal's file arrives
// in a part file of its port's own, "FORM.DAT.COM4.bayhaul-part", a name no
// file of the user's plausibly has, and is put in place under its name when
// whole. Before a part file exists it is recorded as ours in the state
// folder (unfinished/), with this computer, this process, the press and
// the time, so that
// - what a killed press or a power cut left, in any folder and for any
//   port, is found and removed by the next press of the user, and
// - a file at such a name that Bayhaul did not make is never touched.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace bayhaul {

inline constexpr char kUnfinishedFolder[] = "unfinished";
inline constexpr char kPartSuffix[] = ".bayhaul-part";

// The part files of one press.
class PartFiles {
public:
    // `stateFolder` holds the records; `press` is the press's id.
    PartFiles(std::string stateFolder, std::string press);
    // Releases whatever is still claimed.
    ~PartFiles();
    PartFiles(const PartFiles&) = delete;
    PartFiles& operator=(const PartFiles&) = delete;

    // The part path for the file `baseName`.`extension` in `folder` arriving
    // from COM<port>, recorded as ours and free; "" with `why` saying why
    // there is none ("the name ... is taken by a file Bayhaul did not make").
    // A part file that an ended press of ours left there is removed first.
    std::string Claim(const std::string& folder, const std::string& baseName, const std::string& extension,
                      std::int16_t port, std::string& why);
    // Done with a claimed part path: once its file was moved into place, or
    // given up. A part file still there is removed, then the record; a
    // record whose file cannot be removed stays for the next press.
    void Release(const std::string& part);

private:
    const std::string stateFolder_;
    const std::string press_;
    std::mutex mutex_;
    std::map<std::string, std::string> claimed_;  // part path -> its record
};

// Removes the part files, with their temporary files, that ended presses of
// this user on this computer left anywhere (a press killed, a power cut),
// and their records. The words for the report, once: "removed 15 unfinished
// files of a press that ended on 10 Dec at 13:44", and what could not be
// removed; "" when there was nothing. A press and the watch call it as they
// start.
std::string RemoveUnfinishedFiles(const std::string& stateFolder);

}  // namespace bayhaul
