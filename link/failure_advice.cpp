#include "link/failure_advice.h"

namespace bayhaul {

std::string AdviceFor(FailureCause cause) {
    switch (cause) {
        case FailureCause::None:
            return "";
        case FailureCause::Terminal:
            return "Check that the terminal is switched on and seated in its cradle, then press again.";
        case FailureCause::NoisyLine:
            return "Check the cradle's cable and plugs, seat the terminal again, then press again.";
        case FailureCause::Port:
            return "Unplug the cradle and plug it in again, then press again.";
        case FailureCause::PortGone:
            return "Plug the cradle in again, then press again.";
        case FailureCause::PortInUse:
            return "Close the other program that uses the port, then press again.";
        case FailureCause::PortPermission:
            return "Join the dialout group (sudo usermod -aG dialout $USER), log in again, then press again.";
        case FailureCause::Folder:
            return "Choose another folder for received files, then press again.";
        case FailureCause::DiskFull:
            return "Free some space on the disk, or choose another folder for received files, then press again.";
        case FailureCause::PathTooLong:
            return "Choose a shorter folder or file name for received files, then press again.";
        case FailureCause::Library:
            return "Press again; if it keeps happening, install Bayhaul and its terminal library again.";
        case FailureCause::Stopped:
            return "Press again to collect it.";
        case FailureCause::FileChanging:
            return "Let the terminal finish writing its file, then press again.";
    }
    return "";
}

std::string WithAdvice(const std::string& text, FailureCause cause) {
    const std::string advice = AdviceFor(cause);
    return advice.empty() ? text : text + ". " + advice;
}

}  // namespace bayhaul
