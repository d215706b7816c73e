#pragma once
// The command kind texts that desc.txt holds and the dispatch acts on, and the
// player commands with their codes. The texts are stored in users' files:
// their exact case and spacing ("Lower Volume By 1", "Shut Down") must stay.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qm {

struct PlayerCommand {
    std::string_view text;
    int32_t code;
};

// In the order the add window lists them.
inline constexpr std::array<PlayerCommand, 9> kPlayerCommands{{
    {"Play", 40045},
    {"Pause / Unpause", 40046},
    {"Next Track", 40048},
    {"Previous Track", 40044},
    {"Raise Volume by 1", 40058},
    {"Lower Volume By 1", 40059},
    {"Fast Forward 5 seconds", 40148},
    {"Fast Rewind 5 seconds", 40144},
    {"Close Winamp", 40001},
}};

// The code of a player command text, compared exactly; nothing for any other text.
std::optional<int32_t> PlayerCommandCode(std::string_view text);

enum class KindAction { Open, Delete, MessagePrompt, Player, ShutDown, Restart, LogOff, Hide, Show };

struct CommandKind {
    std::string_view text;
    KindAction action;
    int32_t argument; // the player code, or the session option; 0 otherwise
};

inline constexpr int32_t kSessionLogOff = 0;
inline constexpr int32_t kSessionShutDown = 1;
inline constexpr int32_t kSessionRestart = 2;
inline constexpr int32_t kSessionPowerOff = 8;

// The dispatch compares a kind against these rows from the top down.
inline constexpr std::array<CommandKind, 17> kCommandKinds{{
    {"Open", KindAction::Open, 0},
    {"Delete", KindAction::Delete, 0},
    {"Message Prompt", KindAction::MessagePrompt, 0},
    {kPlayerCommands[2].text, KindAction::Player, kPlayerCommands[2].code},
    {kPlayerCommands[3].text, KindAction::Player, kPlayerCommands[3].code},
    {kPlayerCommands[0].text, KindAction::Player, kPlayerCommands[0].code},
    {kPlayerCommands[1].text, KindAction::Player, kPlayerCommands[1].code},
    {kPlayerCommands[4].text, KindAction::Player, kPlayerCommands[4].code},
    {kPlayerCommands[6].text, KindAction::Player, kPlayerCommands[6].code},
    {kPlayerCommands[7].text, KindAction::Player, kPlayerCommands[7].code},
    {kPlayerCommands[8].text, KindAction::Player, kPlayerCommands[8].code},
    {kPlayerCommands[5].text, KindAction::Player, kPlayerCommands[5].code},
    {"Shut Down", KindAction::ShutDown, kSessionShutDown},
    {"Restart", KindAction::Restart, kSessionRestart},
    {"Log Off", KindAction::LogOff, kSessionLogOff},
    {"Hide", KindAction::Hide, 0},
    {"Show", KindAction::Show, 0},
}};

// The first row whose text equals the kind exactly, or none.
const CommandKind* FindCommandKind(std::string_view kind);

} // namespace qm
