#include "ScriptedRecognizer.h"

#include "GrammarReader.h"

#include <algorithm>

namespace qm {

void ScriptedRecognizer::maybeFail(Op op)
{
    calls.push_back(op);
    auto it = std::find(failures_.begin(), failures_.end(), op);
    if (it == failures_.end())
        return;
    failures_.erase(it);
    static const char* names[] = {"deactivate", "load", "activate"};
    throw RecognizerError(std::string("scripted failure of ") + names[static_cast<int>(op)]);
}

void ScriptedRecognizer::failNext(Op op, int times)
{
    for (int i = 0; i < times; ++i)
        failures_.push_back(op);
}

void ScriptedRecognizer::Deactivate()
{
    maybeFail(Op::Deactivate);
    listening_ = false;
}

void ScriptedRecognizer::GrammarFromFile(const std::string& path)
{
    maybeFail(Op::Load);
    loadedPaths.push_back(path);
    grammar_ = ReadGrammarPhrases(path);
}

void ScriptedRecognizer::Activate()
{
    maybeFail(Op::Activate);
    listening_ = true;
}

void ScriptedRecognizer::say(const std::string& phrase)
{
    if (!listening_)
        return;
    if (events_.PhraseStart)
        events_.PhraseStart(0, 0);
    if (events_.PhraseFinish)
        events_.PhraseFinish(0, 0, 0, 0, 0, phrase, std::string(), 0);
}

} // namespace qm
