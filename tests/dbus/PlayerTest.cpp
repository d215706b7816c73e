// cls_Winamp on the desktop backend, against MPRIS test players on the
// private bus.
#include "PeerProcess.h"
#include "cls_Winamp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

using namespace qm;
using qm::test::PeerProcess;

namespace {

const QString kTestPlayer = QStringLiteral("org.mpris.MediaPlayer2.testplayer");
const QString kAnotherPlayer = QStringLiteral("org.mpris.MediaPlayer2.another");

// Every code the player understands, and more that it must ignore.
const int32_t kAllCodes[] = {40045, 40046, 40048, 40044, 40058, 40059, 40148, 40144, 40001,
                             0, -1, 40047, 40147, 40157, 40060, 40049, 140045};

std::unique_ptr<PeerProcess> startPlayer(const QString& busName)
{
    return std::make_unique<PeerProcess>(QStringList{QStringLiteral("player"), busName}, busName);
}

TEST(DesktopPlayer, WithNoPlayerNothingRunsAndEveryCodeGoesNowhere)
{
    cls_Winamp winamp(DesktopPlayer());
    EXPECT_FALSE(winamp.IsWinampRunning());

    // A service that looks like a player but is not under the player prefix
    // is neither counted nor sent anything.
    auto lookalike = startPlayer(QStringLiteral("org.mpris.MediaPlayer2x.lookalike"));
    ASSERT_TRUE(lookalike->ready());
    EXPECT_FALSE(winamp.IsWinampRunning());
    for (int32_t code : kAllCodes)
        EXPECT_NE(winamp.Execute(code), "") << code;
    EXPECT_EQ(lookalike->calls(), QStringList{});

    auto player = startPlayer(kTestPlayer);
    ASSERT_TRUE(player->ready());
    EXPECT_TRUE(winamp.IsWinampRunning());
}

struct CodeCase {
    int32_t code;
    QStringList calls;
};

TEST(DesktopPlayer, EachCodeBecomesItsPlayerCall)
{
    const CodeCase cases[] = {
        {40045, {"Play"}},
        {40046, {"PlayPause"}},
        {40048, {"Next"}},
        {40044, {"Previous"}},
        {40058, {"Set Volume 0.51"}},
        {40059, {"Set Volume 0.49"}},
        {40148, {"Seek 5000000"}},
        {40144, {"Seek -5000000"}},
        {40001, {"Quit"}},
        // Codes with no counterpart do nothing, Stop (40047) among them.
        {0, {}},
        {-1, {}},
        {40047, {}},
        {40147, {}},
        {40157, {}},
        {40060, {}},
        {140045, {}},
    };
    auto player = startPlayer(kTestPlayer);
    ASSERT_TRUE(player->ready());
    cls_Winamp winamp(DesktopPlayer());
    for (const CodeCase& c : cases) {
        SCOPED_TRACE(c.code);
        player->reset();
        player->configure(QStringLiteral("Volume"), 0.5);
        EXPECT_EQ(winamp.Execute(c.code).empty(), !c.calls.isEmpty()) << "delivered, or why not";
        EXPECT_EQ(player->calls(), c.calls);
    }
}

struct VolumeCase {
    double start;
    int32_t code;
    const char* written;
};

TEST(DesktopPlayer, VolumeStepsByOneHundredthWithinTheRange)
{
    const VolumeCase cases[] = {
        {0.0, 40058, "0.01"},
        {0.995, 40058, "1"},
        {1.0, 40058, "1"},
        {0.004, 40059, "0"},
        {0.0, 40059, "0"},
        {1.0, 40059, "0.99"},
        // A player that amplifies above 1.0 is not turned down by "up".
        {1.5, 40058, "1.5"},
        {1.5, 40059, "1.49"},
    };
    auto player = startPlayer(kTestPlayer);
    ASSERT_TRUE(player->ready());
    cls_Winamp winamp(DesktopPlayer());
    for (const VolumeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << " code " << c.code);
        player->reset();
        player->configure(QStringLiteral("Volume"), c.start);
        winamp.Execute(c.code);
        EXPECT_EQ(player->calls(), QStringList{QStringLiteral("Set Volume ") + QLatin1String(c.written)});
    }
}

TEST(DesktopPlayer, VolumeIsLeftAloneWhenItCannotBeRead)
{
    auto player = startPlayer(kTestPlayer);
    ASSERT_TRUE(player->ready());
    player->configure(QStringLiteral("VolumeReadable"), false);
    cls_Winamp winamp(DesktopPlayer());
    winamp.Execute(40058);
    winamp.Execute(40059);
    EXPECT_EQ(player->calls(), QStringList{});
}

struct ChoiceCase {
    const char* anotherStatus;
    const char* testplayerStatus;
    bool toAnother; // else to testplayer
};

TEST(DesktopPlayer, CommandsGoToThePlayingPlayerElseTheFirstByName)
{
    const ChoiceCase cases[] = {
        {"Paused", "Playing", false},
        {"Playing", "Stopped", true},
        {"Paused", "Stopped", true},
        {"Stopped", "Paused", true},
        {"Playing", "Playing", true},
    };
    // The bus lists names in no promised order, so both orders of arrival are
    // tried: whichever the bus lists first, the choice is by name.
    for (bool anotherFirst : {false, true}) {
        SCOPED_TRACE(anotherFirst ? "another arrived first" : "testplayer arrived first");
        std::unique_ptr<PeerProcess> another, testplayer;
        if (anotherFirst)
            another = startPlayer(kAnotherPlayer);
        testplayer = startPlayer(kTestPlayer);
        if (!anotherFirst)
            another = startPlayer(kAnotherPlayer);
        ASSERT_TRUE(testplayer->ready() && another->ready());
        cls_Winamp winamp(DesktopPlayer());
        for (const ChoiceCase& c : cases) {
            SCOPED_TRACE(testing::Message() << "another " << c.anotherStatus << ", testplayer " << c.testplayerStatus);
            another->reset();
            testplayer->reset();
            another->configure(QStringLiteral("PlaybackStatus"), QString::fromLatin1(c.anotherStatus));
            testplayer->configure(QStringLiteral("PlaybackStatus"), QString::fromLatin1(c.testplayerStatus));
            another->configure(QStringLiteral("Volume"), 0.5);
            testplayer->configure(QStringLiteral("Volume"), 0.5);
            EXPECT_TRUE(winamp.IsWinampRunning());
            // A plain call and a read-then-write both reach the same player.
            winamp.Execute(40048);
            winamp.Execute(40058);
            const QStringList expected{"Next", "Set Volume 0.51"};
            EXPECT_EQ(another->calls(), c.toAnother ? expected : QStringList{});
            EXPECT_EQ(testplayer->calls(), c.toAnother ? QStringList{} : expected);
        }
    }
}

// Five players that take every request in and never answer, the way a hung
// player does. Asked one after another with a timeout each, they held the
// window for many seconds; asked together under one deadline of 1 s, a command
// returns well within 1.9 s, which no one-by-one asking of five can.
TEST(DesktopPlayer, HungPlayersHoldACommandNoLongerThanOneDeadline)
{
    std::vector<std::unique_ptr<PeerProcess>> hung;
    for (int i = 1; i <= 5; ++i) {
        hung.push_back(startPlayer(QStringLiteral("org.mpris.MediaPlayer2.hung%1").arg(i)));
        ASSERT_TRUE(hung.back()->ready());
        hung.back()->configure(QStringLiteral("Silent"), true);
    }
    const auto expectHungAsked = [&](const QStringList& first, const QStringList& others) {
        for (size_t i = 0; i < hung.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "hung" << i + 1);
            EXPECT_EQ(hung[i]->calls(), i == 0 ? first : others);
            hung[i]->reset();
        }
    };
    const auto timed = [](auto&& step) {
        const auto start = std::chrono::steady_clock::now();
        step();
        return std::chrono::steady_clock::now() - start;
    };
    constexpr auto kBound = std::chrono::milliseconds(1900);
    cls_Winamp winamp(DesktopPlayer());
    const QStringList asked{"Get PlaybackStatus"};

    {
        SCOPED_TRACE("an answering player among them");
        auto player = startPlayer(kTestPlayer);
        ASSERT_TRUE(player->ready());
        // Playing, or merely the only one that answers: either way it is the
        // one the command goes to.
        for (const char* status : {"Playing", "Stopped"}) {
            SCOPED_TRACE(status);
            player->reset();
            player->configure(QStringLiteral("PlaybackStatus"), QString::fromLatin1(status));
            EXPECT_LT(timed([&] { winamp.Execute(40048); }), kBound);
            EXPECT_LT(timed([&] { winamp.Execute(40058); }), kBound);
            EXPECT_EQ(player->calls(), (QStringList{"Next", "Set Volume 1"}));
            expectHungAsked(asked + asked, asked + asked);
        }
    }
    {
        SCOPED_TRACE("only hung players");
        EXPECT_TRUE(winamp.IsWinampRunning());
        // The first by name still gets the command, and the window still
        // waits no longer than the deadline.
        EXPECT_LT(timed([&] { winamp.Execute(40046); }), kBound);
        expectHungAsked(asked + QStringList{"PlayPause"}, asked);
        // No level can be read, so none is written.
        EXPECT_LT(timed([&] { winamp.Execute(40059); }), kBound);
        expectHungAsked(asked + QStringList{"Get Volume"}, asked);
    }
}

} // namespace
