#include "CommandKinds.h"

namespace qm {

std::optional<int32_t> PlayerCommandCode(std::string_view text)
{
    for (const auto& c : kPlayerCommands)
        if (c.text == text)
            return c.code;
    return std::nullopt;
}

const CommandKind* FindCommandKind(std::string_view kind)
{
    for (const auto& row : kCommandKinds)
        if (row.text == kind)
            return &row;
    return nullptr;
}

} // namespace qm
