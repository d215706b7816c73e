#include "SapiRecognizer.h"

#include "GrammarReader.h"
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
constexpr const char* kEventWindowClass = "QuillmereSapiEvents";
constexpr const wchar_t* kRuleName = L"start";
constexpr ULONG kRuleId = 1;
// Every word path carries this property; its id is the phrase's position in words.txt.
constexpr const wchar_t* kPhraseProperty = L"phrase";

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

struct SapiRecognizer::Engine {
    // Declared first, so it goes last: no notification outlives its target.
    EventWindow window;
    Com<ISpRecognizer> recognizer;
    Com<ISpRecoContext> context;
    Com<ISpRecoGrammar> grammar; // none until a grammar has loaded
    ULONGLONG grammarId = 0;     // results of an older grammar are not ours

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
        // phrase: the indicator goes and nothing runs.
        const ULONGLONG interest = SPFEI(SPEI_PHRASE_START) | SPFEI(SPEI_RECOGNITION) | SPFEI(SPEI_FALSE_RECOGNITION);
        if (FAILED(hr = context->SetInterest(interest, interest)))
            fail("the speech recognizer's events cannot be received", hr);
    }

    // A new grammar, inactive, replacing the old one only once it is complete.
    void load(const std::vector<std::string>& phrases)
    {
        const std::vector<SapiPhrase> spoken = SapiGrammarPhrases(phrases);
        Com<ISpRecoGrammar> next;
        const ULONGLONG id = grammarId + 1;
        HRESULT hr = context->CreateGrammar(id, next.out());
        if (FAILED(hr))
            fail("the grammar cannot be made", hr);
        // An empty words.txt (as at a first start) loads a grammar with
        // nothing to hear, not a failure.
        if (!spoken.empty()) {
            SPSTATEHANDLE rule = nullptr;
            if (FAILED(hr = next->GetRule(kRuleName, kRuleId, SPRAF_TopLevel | SPRAF_Active | SPRAF_Dynamic, TRUE, &rule)))
                fail("the grammar's rule cannot be made", hr);
            for (const SapiPhrase& p : spoken) {
                SPPROPERTYINFO property{};
                property.pszName = kPhraseProperty;
                property.ulId = static_cast<ULONG>(p.index);
                property.vValue.vt = VT_I4;
                property.vValue.lVal = p.index;
                hr = next->AddWordTransition(rule, nullptr, p.words.c_str(), L" ", SPWT_LEXICAL, 1.0f, &property);
                if (FAILED(hr))
                    fail("the recognizer does not accept the phrase \"" + phrases[static_cast<size_t>(p.index)] + "\"", hr);
            }
        }
        if (FAILED(hr = next->Commit(0)))
            fail("the grammar cannot be built", hr);
        if (FAILED(hr = next->SetRuleState(nullptr, nullptr, SPRS_INACTIVE)))
            fail("the grammar cannot be built", hr);
        grammar = std::move(next);
        grammarId = id;
    }

    // The words.txt position of a recognition result of the current grammar.
    std::optional<size_t> phraseIndex(const SPEVENT& e) const
    {
        if (e.elParamType != SPET_LPARAM_IS_OBJECT || !e.lParam)
            return std::nullopt;
        auto* result = reinterpret_cast<ISpRecoResult*>(e.lParam);
        SPPHRASE* phrase = nullptr;
        if (FAILED(result->GetPhrase(&phrase)) || !phrase)
            return std::nullopt;
        std::optional<size_t> index;
        if (phrase->ullGrammarID == grammarId)
            for (const SPPHRASEPROPERTY* p = phrase->pProperties; p; p = p->pNextSibling)
                if (p->pszName && std::wcscmp(p->pszName, kPhraseProperty) == 0)
                    index = p->ulId;
        CoTaskMemFree(phrase);
        return index;
    }

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == kEngineEvents) {
            if (auto* owner = reinterpret_cast<SapiRecognizer*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)))
                owner->deliverEvents();
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
    HRESULT hr = engine_->grammar->SetRuleState(nullptr, nullptr, SPRS_INACTIVE);
    if (FAILED(hr))
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
    engine_->load(phrases);
    phrases_ = std::move(phrases);
}

void SapiRecognizer::Activate()
{
    if (!engine_)
        throw RecognizerError(lastFailure_.empty() ? std::string("no grammar is loaded") : lastFailure_);
    if (!engine_->grammar)
        throw RecognizerError("no grammar is loaded");
    HRESULT hr = engine_->grammar->SetRuleState(nullptr, nullptr, SPRS_ACTIVE);
    if (FAILED(hr))
        fail("the grammar cannot be switched on", hr);
    if (FAILED(hr = engine_->recognizer->SetRecoState(SPRST_ACTIVE)))
        fail("the microphone cannot be opened", hr);
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
