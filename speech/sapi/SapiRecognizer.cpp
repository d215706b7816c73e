#include "SapiRecognizer.h"

#include "GrammarReader.h"
#include "SapiGrammar.h"
#include "Win32Error.h"

#include <windows.h>
#include <sapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <unordered_set>
#include <utility>

namespace qm {

namespace {

// Owns one COM interface pointer.
template <typename T>
class Com {
public:
    Com() = default;
    ~Com() { reset(); }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    Com(Com&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    Com& operator=(Com&& other) noexcept
    {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }

    T* operator->() const { return p_; }
    T* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For the functions that hand out a new reference.
    T** out()
    {
        reset();
        return &p_;
    }
    void** outVoid() { return reinterpret_cast<void**>(out()); }
    void reset()
    {
        if (p_)
            p_->Release();
        p_ = nullptr;
    }

private:
    T* p_ = nullptr;
};

// The engine posts this to our window whenever events wait in its queue.
constexpr UINT kEngineEvents = WM_APP + 1;
// We post this to ourselves when the user is to be told something, so that
// the box opens after the reload or event handling that found it.
constexpr UINT kTellUser = WM_APP + 2;
constexpr const char* kEventWindowClass = "QuillmereSapiEvents";
constexpr const wchar_t* kRuleName = L"start";
constexpr ULONG kRuleId = 1;
// Every word path carries the phrase property (SapiGrammar.h); its value is
// the phrase's position in words.txt, its id the same for all.
constexpr ULONG kPhrasePropertyId = 1;

std::string hresultText(HRESULT hr)
{
    const std::string msg = Win32ErrorText(static_cast<DWORD>(hr));
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    return msg.empty() ? std::string("error ") + code : msg + ", " + code;
}

[[noreturn]] void fail(const std::string& cause, HRESULT hr)
{
    throw RecognizerError(cause + " (" + hresultText(hr) + ")");
}

bool classMissing(HRESULT hr)
{
    return hr == REGDB_E_CLASSNOTREG || hr == CLASS_E_CLASSNOTAVAILABLE || hr == HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND) ||
           hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

std::wstring wideFromAnsi(const std::string& text)
{
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

// The default token of a category: the chosen engine, the chosen audio input.
HRESULT defaultToken(const wchar_t* category, Com<ISpObjectToken>& token)
{
    Com<ISpObjectTokenCategory> cat;
    HRESULT hr = CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL, IID_ISpObjectTokenCategory,
                                  cat.outVoid());
    if (FAILED(hr))
        return hr;
    if (FAILED(hr = cat->SetId(category, FALSE)))
        return hr;
    wchar_t* id = nullptr;
    if (FAILED(hr = cat->GetDefaultTokenId(&id)))
        return hr;
    hr = CoCreateInstance(CLSID_SpObjectToken, nullptr, CLSCTX_ALL, IID_ISpObjectToken, token.outVoid());
    if (SUCCEEDED(hr))
        hr = token->SetId(nullptr, id, FALSE);
    CoTaskMemFree(id);
    return hr;
}

// An event as GetEvents hands it over; what it carries is freed with it.
struct Event {
    SPEVENT e{};
    Event() = default;
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    ~Event()
    {
        switch (e.elParamType) {
        case SPET_LPARAM_IS_OBJECT:
        case SPET_LPARAM_IS_TOKEN:
            if (e.lParam)
                reinterpret_cast<IUnknown*>(e.lParam)->Release();
            break;
        case SPET_LPARAM_IS_POINTER:
        case SPET_LPARAM_IS_STRING:
            CoTaskMemFree(reinterpret_cast<void*>(e.lParam));
            break;
        default:
            break;
        }
    }
};

// A message-only window: it exists to receive the engine's notifications on
// the thread that created the recognizer.
struct EventWindow {
    HWND hwnd = nullptr;
    EventWindow(WNDPROC proc, void* owner)
    {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = instance;
        wc.lpszClassName = kEventWindowClass;
        if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            fail("the recognizer's event window cannot be made", HRESULT_FROM_WIN32(GetLastError()));
        hwnd = CreateWindowExA(0, kEventWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
        if (!hwnd)
            fail("the recognizer's event window cannot be made", HRESULT_FROM_WIN32(GetLastError()));
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    }
    ~EventWindow()
    {
        if (hwnd)
            DestroyWindow(hwnd);
    }
    EventWindow(const EventWindow&) = delete;
    EventWindow& operator=(const EventWindow&) = delete;
};

} // namespace

std::vector<SapiPhrase> SapiGrammarPhrases(const std::vector<std::string>& phrases)
{
    std::vector<SapiPhrase> spoken;
    std::unordered_set<std::wstring> heard;
    for (size_t i = 0; i < phrases.size(); ++i) {
        const std::wstring wide = wideFromAnsi(phrases[i]);
        std::wstring words;
        size_t pos = 0;
        while (pos < wide.size()) {
            const size_t start = wide.find_first_not_of(L" \t", pos);
            if (start == std::wstring::npos)
                break;
            const size_t end = std::min(wide.find_first_of(L" \t", start), wide.size());
            if (!words.empty())
                words += L' ';
            words.append(wide, start, end - start);
            pos = end;
        }
        if (words.empty())
            continue;
        std::wstring key = words;
        CharLowerBuffW(key.data(), static_cast<DWORD>(key.size()));
        if (heard.insert(std::move(key)).second)
            spoken.push_back({static_cast<int>(i), std::move(words)});
    }
    return spoken;
}

bool SapiRecognizerAvailable()
{
    Com<ISpRecognizer> recognizer;
    if (FAILED(CoCreateInstance(CLSID_SpInprocRecognizer, nullptr, CLSCTX_INPROC_SERVER, IID_ISpRecognizer,
                                recognizer.outVoid())))
        return false;
    Com<ISpObjectToken> engine;
    return SUCCEEDED(defaultToken(SPCAT_RECOGNIZERS, engine));
}

namespace {

// A grammar of the recognition context, built one phrase at a time.
class ComDraft : public SapiGrammarDraft {
public:
    ComDraft(ISpRecoContext* context, ULONGLONG id) : id_(id)
    {
        created_ = context->CreateGrammar(id, grammar_.out());
    }
    bool made() const { return SUCCEEDED(created_) && grammar_; }

    HRESULT add(const SapiPhrase& p) override
    {
        HRESULT hr = S_OK;
        if (!rule_ && FAILED(hr = grammar_->GetRule(kRuleName, kRuleId,
                                                     SPRAF_TopLevel | SPRAF_Active | SPRAF_Dynamic, TRUE, &rule_)))
            return hr;
        SPPROPERTYINFO property{};
        property.pszName = kSapiPhraseProperty;
        property.ulId = kPhrasePropertyId;
        property.vValue.vt = VT_I4;
        property.vValue.lVal = p.index;
        const std::wstring words = SapiLiteralWords(p.words);
        if (SUCCEEDED(hr = grammar_->AddWordTransition(rule_, nullptr, words.c_str(), L" ", SPWT_LEXICAL, 1.0f,
                                                       &property)))
            ++phrases_;
        return hr;
    }

    // An empty grammar (as at a first start) has no rule: nothing to hear.
    HRESULT commit() override
    {
        HRESULT hr = grammar_->Commit(0);
        if (SUCCEEDED(hr) && rule_)
            hr = grammar_->SetRuleState(nullptr, nullptr, SPRS_INACTIVE);
        return hr;
    }

    ISpRecoGrammar* grammar() const { return grammar_.get(); }
    ULONGLONG id() const { return id_; }
    size_t phrases() const { return phrases_; }
    HRESULT created() const { return created_; }

private:
    Com<ISpRecoGrammar> grammar_;
    SPSTATEHANDLE rule_ = nullptr;
    ULONGLONG id_;
    HRESULT created_;
    size_t phrases_ = 0;
};

} // namespace

struct SapiRecognizer::Engine {
    // Declared first, so it goes last: no notification outlives its target.
    EventWindow window;
    Com<ISpRecognizer> recognizer;
    Com<ISpRecoContext> context;
    std::unique_ptr<ComDraft> grammar; // none until a grammar has loaded
    ULONGLONG lastGrammarId = 0;       // results of an older grammar are not ours
    bool listening = false;            // Activate asked for sound, and no Deactivate since
    bool soundLost = false;            // the sound ended while listening

    explicit Engine(SapiRecognizer& owner) : window(&Engine::windowProc, &owner)
    {
        HRESULT hr = CoCreateInstance(CLSID_SpInprocRecognizer, nullptr, CLSCTX_INPROC_SERVER, IID_ISpRecognizer,
                                      recognizer.outVoid());
        if (FAILED(hr))
            fail(classMissing(hr) ? "no speech recognizer is installed: the SAPI 5 recognizer is not registered"
                                  : "the SAPI 5 speech recognizer cannot be started",
                 hr);

        Com<ISpObjectToken> engine;
        if (FAILED(hr = defaultToken(SPCAT_RECOGNIZERS, engine)))
            fail("no speech recognizer is installed: Windows lists no speech recognition engine", hr);
        if (FAILED(hr = recognizer->SetRecognizer(engine.get())))
            fail("the speech recognition engine cannot be loaded", hr);

        Com<ISpObjectToken> audio;
        if (FAILED(hr = defaultToken(SPCAT_AUDIOIN, audio)))
            fail("no microphone: Windows has no default audio input", hr);
        if (FAILED(hr = recognizer->SetInput(audio.get(), TRUE)))
            fail("the microphone cannot be opened", hr);

        if (FAILED(hr = recognizer->CreateRecoContext(context.out())))
            fail("the speech recognizer cannot start", hr);
        if (FAILED(hr = context->SetNotifyWindowMessage(window.hwnd, kEngineEvents, 0, 0)))
            fail("the speech recognizer's events cannot be received", hr);
        // A false recognition ends what phrase-started began, as the empty
        // phrase: the indicator goes and nothing runs. The end of the sound
        // stream while listening means the microphone went away (unplugged,
        // blocked by privacy settings).
        const ULONGLONG interest = SPFEI(SPEI_PHRASE_START) | SPFEI(SPEI_RECOGNITION) |
                                   SPFEI(SPEI_FALSE_RECOGNITION) | SPFEI(SPEI_END_SR_STREAM);
        if (FAILED(hr = context->SetInterest(interest, interest)))
            fail("the speech recognizer's events cannot be received", hr);
    }

    // A new grammar, inactive, replacing the old one only once it is
    // complete. Phrases that the engine refuses are left out; their words.txt
    // positions are returned.
    std::vector<int> load(const std::vector<std::string>& phrases)
    {
        const std::vector<SapiPhrase> spoken = SapiGrammarPhrases(phrases);
        SapiGrammarBuild build = BuildSapiGrammar(spoken, [&]() -> std::unique_ptr<SapiGrammarDraft> {
            auto draft = std::make_unique<ComDraft>(context.get(), ++lastGrammarId);
            if (!draft->made())
                fail("the grammar cannot be made", draft->created());
            return draft;
        });
        grammar.reset(static_cast<ComDraft*>(build.grammar.release()));
        return build.refused;
    }

    // The words.txt position of a recognition result of the current grammar.
    std::optional<size_t> phraseIndex(const SPEVENT& e) const
    {
        if (e.elParamType != SPET_LPARAM_IS_OBJECT || !e.lParam || !grammar)
            return std::nullopt;
        auto* result = reinterpret_cast<ISpRecoResult*>(e.lParam);
        SPPHRASE* phrase = nullptr;
        if (FAILED(result->GetPhrase(&phrase)) || !phrase)
            return std::nullopt;
        std::optional<size_t> index;
        if (phrase->ullGrammarID == grammar->id())
            index = SapiPhraseIndex(phrase->pProperties);
        CoTaskMemFree(phrase);
        return index;
    }

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == kEngineEvents || msg == kTellUser) {
            if (auto* owner = reinterpret_cast<SapiRecognizer*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)))
                msg == kEngineEvents ? owner->deliverEvents() : owner->tellUser();
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
};

SapiRecognizer::SapiRecognizer()
{
    // S_FALSE (already a single-threaded apartment) counts too and is
    // balanced the same way; a thread of another model keeps its own.
    comInitialized_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

SapiRecognizer::~SapiRecognizer()
{
    engine_.reset();
    if (comInitialized_)
        CoUninitialize();
}

void SapiRecognizer::Deactivate()
{
    if (!engine_ || !engine_->grammar)
        return;
    engine_->listening = false;
    HRESULT hr = S_OK;
    if (engine_->grammar->phrases() && FAILED(hr = engine_->grammar->grammar()->SetRuleState(nullptr, nullptr, SPRS_INACTIVE)))
        fail("listening cannot be switched off", hr);
    // Inactive, the recognizer lets go of the microphone.
    if (FAILED(hr = engine_->recognizer->SetRecoState(SPRST_INACTIVE)))
        fail("listening cannot be switched off", hr);
}

void SapiRecognizer::GrammarFromFile(const std::string& path)
{
    std::vector<std::string> phrases = ReadGrammarPhrases(path);
    if (!engine_) {
        try {
            engine_ = std::make_unique<Engine>(*this);
        } catch (const RecognizerError& e) {
            lastFailure_ = e.what();
            throw;
        }
    }
    const std::vector<int> refused = engine_->load(phrases);
    phrases_ = std::move(phrases);
    // The reload's retry may load twice; the user is told once.
    if (!refused.empty()) {
        std::vector<std::string> texts;
        for (int i : refused)
            texts.push_back(phrases_[static_cast<size_t>(i)]);
        tell(RefusedPhrasesMessage(texts));
    }
}

void SapiRecognizer::Activate()
{
    if (!engine_)
        throw RecognizerError(lastFailure_.empty() ? std::string("no grammar is loaded") : lastFailure_);
    if (!engine_->grammar)
        throw RecognizerError("no grammar is loaded");
    HRESULT hr = S_OK;
    if (engine_->grammar->phrases() && FAILED(hr = engine_->grammar->grammar()->SetRuleState(nullptr, nullptr, SPRS_ACTIVE)))
        fail("the grammar cannot be switched on", hr);
    if (engine_->soundLost) {
        // The stream that ended is not coming back: open the default input afresh.
        Com<ISpObjectToken> audio;
        if (FAILED(hr = defaultToken(SPCAT_AUDIOIN, audio)))
            fail("no microphone: Windows has no default audio input", hr);
        if (FAILED(hr = engine_->recognizer->SetRecoState(SPRST_INACTIVE)) ||
            FAILED(hr = engine_->recognizer->SetInput(audio.get(), TRUE)))
            fail("the microphone cannot be opened", hr);
    }
    if (FAILED(hr = engine_->recognizer->SetRecoState(SPRST_ACTIVE)))
        fail("the microphone cannot be opened", hr);
    engine_->soundLost = false;
    engine_->listening = true;
}

void SapiRecognizer::tell(const std::string& text)
{
    if (text.empty() || !engine_)
        return;
    const bool posted = !waiting_.empty();
    waiting_ = text;
    if (!posted)
        PostMessageA(engine_->window.hwnd, kTellUser, 0, 0);
}

void SapiRecognizer::tellUser()
{
    std::string text;
    text.swap(waiting_);
    if (!text.empty() && notice_)
        notice_(text);
}

void SapiRecognizer::deliverEvents()
{
    // One event at a time: a handler that shows a message box runs the message
    // loop, and the events that arrive meanwhile are taken in their order by
    // the nested call, not after this one's remaining batch.
    while (engine_ && engine_->context) {
        Event ev;
        ULONG fetched = 0;
        if (FAILED(engine_->context->GetEvents(1, &ev.e, &fetched)) || fetched == 0)
            return;
        switch (ev.e.eEventId) {
        case SPEI_PHRASE_START:
            if (events_.PhraseStart)
                events_.PhraseStart(0, 0);
            break;
        case SPEI_END_SR_STREAM:
            // Told once; the next Enable or edit tries the microphone again.
            if (engine_->listening) {
                engine_->listening = false;
                engine_->soundLost = true;
                tell("Quillmere Voice Command stopped listening: the sound from the microphone ended "
                     "(it may be unplugged, or blocked by the privacy settings)."
                     "\r\n\r\nEnable it again, or add or delete a word, to retry.");
            }
            break;
        case SPEI_RECOGNITION:
        case SPEI_FALSE_RECOGNITION: {
            // A recognition that names no phrase of this grammar is refused
            // speech too.
            std::string phrase;
            if (ev.e.eEventId == SPEI_RECOGNITION) {
                if (auto index = engine_->phraseIndex(ev.e); index && *index < phrases_.size())
                    phrase = phrases_[*index];
            }
            if (events_.PhraseFinish)
                events_.PhraseFinish(0, 0, 0, 0, 0, phrase, std::string(), 0);
            break;
        }
        default:
            break;
        }
    }
}

} // namespace qm
