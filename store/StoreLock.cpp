#include "StoreLock.h"

namespace qm {

std::string BusyReason(bool writing)
{
    return std::string("another program holds the word list locked; nothing was ") + (writing ? "written" : "read");
}

} // namespace qm
