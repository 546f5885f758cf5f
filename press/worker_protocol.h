// The messages between a press and a port's worker process, over a pair of
// pipes. Every message has a fixed header (a version, a type and the length
// of what follows) and a body of fields; a message that is short, too long,
// of another version or of an unknown type means the peer has failed, and
// is never trusted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/failure_advice.h"

namespace bayhaul::worker {

inline constexpr std::uint16_t kVersion = 1;
inline constexpr std::size_t kHeaderSize = 8;          // version, type (2 bytes each), length (4)
inline constexpr std::uint32_t kMaxBodySize = 64 * 1024;

enum class Type : std::uint16_t {
    // Worker to press.
    Stage = 1,        // a step of the session starts: which (PortStage)
    AskBoxes,         // which boxes are ticked: answered by Boxes
    AskStamp,         // a clock stamp of this moment: answered by Text
    KeepStamp,        // what the library left of the stamp: the text
    AskPartPath,      // where the file may arrive: answered by PartPath
    Progress,         // bytes received, bytes announced
    FileReceived,     // the complete file: its part path and size; answered by InPlace
    AskNumber,        // a number in the user's words: answered by Text
    Result,           // how the port ended: outcome, text, why, warning, deleted, clock, cause (FailureCause)
    LoadFailed,       // the library could not be loaded: why
    Probed,           // whether a terminal answers (PortProbe)
    // Press to worker.
    Boxes = 100,      // clock box, delete box
    Text,             // a text
    PartPath,         // the path, or "", why not and its cause
    InPlace,          // the file is in place (or not): the report's words or why not, whether to go on,
                      // and the cause of a failure
    Stop,             // end the session now, the terminal keeping its data
    GiveUp,           // give the transfer up: why
};

struct Message {
    Type type{};
    std::vector<std::string> fields;  // numbers are written as decimal text

    std::int64_t Number(std::size_t index) const;  // 0 when absent or not a number
    const std::string& Field(std::size_t index) const;  // "" when absent
};

// The cause a message carries in field `index`; None for anything else.
FailureCause CauseIn(const Message& message, std::size_t index);

// The bytes of one message: its header, then each field as its length (4
// bytes) and its bytes.
std::string Encode(const Message& message);

// Takes whole messages off the front of the bytes received so far.
class Decoder {
public:
    void Feed(const char* bytes, std::size_t size);
    // The next whole message, or nothing until more bytes come. A malformed
    // message sets Failed(), after which nothing more is read.
    std::optional<Message> Next();
    bool Failed() const { return !failure_.empty(); }
    const std::string& Failure() const { return failure_; }

private:
    std::string buffer_;
    std::size_t read_ = 0;
    std::string failure_;
};

}  // namespace bayhaul::worker
