// IMM input-method file (quorel4.ime, quorel64.ime and the code-page variants quor320/321.ime,
// quor640/641.ime). It exports the entry points that the system's IMM calls and answers them with
// the smallest valid behaviour: it describes itself in ImeInquire, registers its UI window class,
// and converts nothing (every key passes through to the application). Its version information
// carries the product's display text and version, which setup brings up to date when it installs
// the code-page variants.
#include <windows.h>
#include <imm.h>

#include "stub_common.h"

// The IME description record that ImeInquire fills (the system's layout of it).
typedef struct {
    DWORD dwPrivateDataSize;
    DWORD fdwProperty;
    DWORD fdwConversionCaps;
    DWORD fdwSentenceCaps;
    DWORD fdwUICaps;
    DWORD fdwSCSCaps;
    DWORD fdwSelectCaps;
} ImeInfo;

// Values of the IME interface that the SDK headers here leave out.
#define QUOR_IME_PROP_KBD_CHAR_FIRST 0x00000002
#define QUOR_NI_CONTEXTUPDATED 0x0003
#define QUOR_IME_ESC_QUERY_SUPPORT 0x0003
#define QUOR_IME_ESC_IME_NAME 0x1006
#define QUOR_IME_NAME_CAPACITY 64  // characters the caller provides for IME_ESC_IME_NAME

// The name the input method shows in the language bar and its list of layouts.
#if QUOR_IME_CODEPAGE == 950
static const WCHAR kImeName[] = L"智能嵐石輸入平台";
#else
static const WCHAR kImeName[] = L"智能岚石输入平台";
#endif

static HINSTANCE g_instance;
static BOOL g_classRegistered;

// The UI window that IMM creates for every thread using the input method. With nothing to convert
// it draws nothing and leaves every message to the default handling.
static LRESULT CALLBACK UiWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
    case WM_IME_COMPOSITION:
    case WM_IME_SETCONTEXT:
    case WM_IME_NOTIFY:
    case WM_IME_CONTROL:
    case WM_IME_COMPOSITIONFULL:
    case WM_IME_SELECT:
    case WM_IME_CHAR:
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

static void RegisterUiClass(HINSTANCE instance) {
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = CS_IME | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = UiWindowProc;
    wc.cbWndExtra = 2 * sizeof(LONG_PTR);  // the input context and private data IMM keeps there
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.lpszClassName = QUOR_IME_UI_CLASS;
    g_classRegistered = RegisterClassExW(&wc) != 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        DisableThreadLibraryCalls(instance);
        RegisterUiClass(instance);
    } else if (reason == DLL_PROCESS_DETACH && g_classRegistered) {
        UnregisterClassW(QUOR_IME_UI_CLASS, g_instance);
    }
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI ImeInquire(ImeInfo* info, LPWSTR uiClass, DWORD systemInfoFlags) {
    (void)systemInfoFlags;
    if (info == NULL || uiClass == NULL) return FALSE;
    info->dwPrivateDataSize = 0;
    info->fdwProperty = IME_PROP_UNICODE | QUOR_IME_PROP_KBD_CHAR_FIRST | IME_PROP_AT_CARET;
    info->fdwConversionCaps = IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE | IME_CMODE_SYMBOL;
    info->fdwSentenceCaps = IME_SMODE_NONE;
    info->fdwUICaps = 0;
    info->fdwSCSCaps = 0;
    info->fdwSelectCaps = SELECT_CAP_CONVERSION;
    lstrcpyW(uiClass, QUOR_IME_UI_CLASS);  // the class name fits the 16 characters IMM allows
    return TRUE;
}

// There is no settings dialog in this file: the data-management program provides it.
__declspec(dllexport) BOOL WINAPI ImeConfigure(HKL layout, HWND owner, DWORD mode, LPVOID data) {
    (void)layout;
    (void)owner;
    (void)mode;
    (void)data;
    return FALSE;
}

__declspec(dllexport) DWORD WINAPI ImeConversionList(HIMC context, LPCWSTR source,
                                                     LPCANDIDATELIST destination, DWORD bufferLength,
                                                     UINT flag) {
    (void)context;
    (void)source;
    (void)destination;
    (void)bufferLength;
    (void)flag;
    return 0;
}

__declspec(dllexport) BOOL WINAPI ImeDestroy(UINT reserved) { return reserved == 0; }

// Answers the query for the IME's name; every other escape is unsupported.
__declspec(dllexport) LRESULT WINAPI ImeEscape(HIMC context, UINT escape, LPVOID data) {
    (void)context;
    if (escape == QUOR_IME_ESC_QUERY_SUPPORT) {
        return data != NULL && *(const UINT*)data == QUOR_IME_ESC_IME_NAME;
    }
    if (escape == QUOR_IME_ESC_IME_NAME && data != NULL) {
        lstrcpynW((LPWSTR)data, kImeName, QUOR_IME_NAME_CAPACITY);
        return TRUE;
    }
    return FALSE;
}

__declspec(dllexport) BOOL WINAPI ImeProcessKey(HIMC context, UINT virtualKey, LPARAM keyData,
                                                CONST LPBYTE keyState) {
    (void)context;
    (void)virtualKey;
    (void)keyData;
    (void)keyState;
    return FALSE;  // not taken: the key goes to the application unchanged
}

__declspec(dllexport) BOOL WINAPI ImeSelect(HIMC context, BOOL select) {
    (void)select;
    return context != NULL;
}

__declspec(dllexport) BOOL WINAPI ImeSetActiveContext(HIMC context, BOOL active) {
    (void)context;
    (void)active;
    return TRUE;
}

__declspec(dllexport) UINT WINAPI ImeToAsciiEx(UINT virtualKey, UINT scanCode, CONST LPBYTE keyState,
                                               LPVOID messageList, UINT state, HIMC context) {
    (void)virtualKey;
    (void)scanCode;
    (void)keyState;
    (void)messageList;
    (void)state;
    (void)context;
    return 0;  // no messages generated
}

__declspec(dllexport) BOOL WINAPI NotifyIME(HIMC context, DWORD action, DWORD index, DWORD value) {
    (void)context;
    (void)index;
    (void)value;
    return action == QUOR_NI_CONTEXTUPDATED;
}

__declspec(dllexport) BOOL WINAPI ImeRegisterWord(LPCWSTR reading, DWORD style, LPCWSTR text) {
    (void)reading;
    (void)style;
    (void)text;
    return FALSE;
}

__declspec(dllexport) BOOL WINAPI ImeUnregisterWord(LPCWSTR reading, DWORD style, LPCWSTR text) {
    (void)reading;
    (void)style;
    (void)text;
    return FALSE;
}

__declspec(dllexport) UINT WINAPI ImeGetRegisterWordStyle(UINT count, LPSTYLEBUFW styles) {
    (void)count;
    (void)styles;
    return 0;
}

__declspec(dllexport) UINT WINAPI ImeEnumRegisterWord(REGISTERWORDENUMPROCW callback,
                                                      LPCWSTR reading, DWORD style, LPCWSTR text,
                                                      LPVOID data) {
    (void)callback;
    (void)reading;
    (void)style;
    (void)text;
    (void)data;
    return 0;
}

__declspec(dllexport) BOOL WINAPI ImeSetCompositionString(HIMC context, DWORD index, LPVOID composition,
                                                          DWORD compositionLength, LPVOID reading,
                                                          DWORD readingLength) {
    (void)context;
    (void)index;
    (void)composition;
    (void)compositionLength;
    (void)reading;
    (void)readingLength;
    return FALSE;
}
