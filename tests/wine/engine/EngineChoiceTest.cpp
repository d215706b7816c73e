// Which recognizer quillmere.exe listens with, from its command line.
#include "EngineChoice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qm;

TEST(EngineChoice, SapiWhereARecognizerIsInstalledTheBuiltInEngineOtherwiseOrWhenAsked)
{
    struct Case {
        EngineRequest request;
        bool installed;
        EngineKind kind;
        bool notice;
    };
    const Case cases[] = {
        {EngineRequest::Automatic, true, EngineKind::Sapi, false},
        {EngineRequest::Automatic, false, EngineKind::Builtin, false},
        {EngineRequest::Builtin, true, EngineKind::Builtin, false},
        {EngineRequest::Builtin, false, EngineKind::Builtin, false},
        {EngineRequest::Sapi, true, EngineKind::Sapi, false},
        {EngineRequest::Sapi, false, EngineKind::Sapi, true}, // forced, and said why nothing is heard
    };
    for (const Case& c : cases) {
        const EngineChoice got = ChooseEngine(c.request, c.installed);
        SCOPED_TRACE(std::to_string(static_cast<int>(c.request)) + (c.installed ? " installed" : " none"));
        EXPECT_EQ(got.kind, c.kind);
        EXPECT_EQ(!got.notice.empty(), c.notice) << got.notice;
    }
}

TEST(EngineChoice, CommandLineSwitches)
{
    EXPECT_EQ(SplitCommandLine("  /engine:sapi \"a b\"\t--verbose "),
              (std::vector<std::string>{"/engine:sapi", "a b", "--verbose"}));
    EXPECT_EQ(SplitCommandLine(""), std::vector<std::string>{});

    struct Case {
        std::vector<std::string> args;
        EngineRequest engine;
        bool verbose;
        std::vector<std::string> unknown;
    };
    const Case cases[] = {
        {{}, EngineRequest::Automatic, false, {}},
        {{"/engine:builtin"}, EngineRequest::Builtin, false, {}},
        {{"/ENGINE:SAPI", "--verbose"}, EngineRequest::Sapi, true, {}},
        {{"-engine:builtin", "/verbose"}, EngineRequest::Builtin, true, {}},
        {{"/engine:sapi", "/engine:builtin"}, EngineRequest::Builtin, false, {}}, // the last one wins
        {{"/engine:", "words.txt", "/engine:sapi5"}, EngineRequest::Automatic, false,
         {"/engine:", "words.txt", "/engine:sapi5"}},
    };
    for (const Case& c : cases) {
        const ProgramOptions got = ParseProgramOptions(c.args);
        SCOPED_TRACE(testing::PrintToString(c.args));
        EXPECT_EQ(got.engine, c.engine);
        EXPECT_EQ(got.verbose, c.verbose);
        EXPECT_EQ(got.unknown, c.unknown);
    }
    EXPECT_EQ(UnknownOptionsMessage({}), "");
    const std::string told = UnknownOptionsMessage({"/x", "y"});
    EXPECT_NE(told.find("\"/x\", \"y\""), std::string::npos) << told;
    EXPECT_NE(told.find("/engine:builtin"), std::string::npos) << told;
}
