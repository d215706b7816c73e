#include "LostMicrophone.h"

#include "DesktopServices.h"

namespace qm {

std::string LostMicrophoneMessage(const std::string& reason)
{
    return std::string(kAppTitle) + " cannot hear commands: the microphone was lost (" + reason +
           "). Listening resumes as soon as it is back.";
}

} // namespace qm
