/* client.exe: a Win32 stand-in for the game client, run under Wine on Linux or on Windows.
 *
 *   client.exe [--class NAME] [--title TEXT] [--out FILE] [--ready FILE] [--frame-ms MS]
 *
 *   --class NAME  Win32 window class (default "Ultima Online"; "Ultima Online Third Dawn" is the
 *                 other one the program looks for). Under Wine, X11 sees WM_CLASS "client.exe",
 *                 the name of this executable, whatever the class.
 *   --title TEXT  window title (default "Ultima Online")
 *   --out FILE    the record: every character the window receives (WM_CHAR, surrogate pairs
 *                 joined) as UTF-8, Enter as a newline, Escape as "<Escape>". A character that
 * arrives while this window is not the foreground window is preceded by "<Background>", so that a
 *                 test comparing the record sees a missing activation. Written through after
 *                 every character.
 *   --ready FILE  written once the window is shown and is the foreground window (or, if it does
 *                 not become it within 10 s, then), holding the HWND in hex ("0x10062") and a
 *                 newline. Appears whole (written aside, then renamed).
 *
 *   --frame-ms MS read the chat line once per frame, as games drawn in frames do: each frame
 *                 drains the queue with PeekMessageW, then looks at the chat line once; a line
 *                 starting ": ", "! " or "; " switches the chat mode, and Enter records
 *                 "[mode]text\n".
 *
 *   --hotkey K    no window, no game: another program holding Control+Alt+K (K a digit or a
 *                 capital letter) through RegisterHotKey. Says "held" or "taken" (someone else
 *                 has it) on standard output, keeps it until standard input ends, then lets
 *                 it go and exits (0 held, 3 taken).
 *
 * A key pressed with Control or Alt held (the game would take it as a command, and it may
 * type nothing) is recorded as "<C-vk>", "<A-vk>" or "<C-A-vk>", its virtual key in hex,
 * whatever characters it types (the tests' layouts have no AltGr).
 * A FILE starting with "/" is a Unix path under Wine (drive Z:). Exit code 2 on bad arguments,
 * 1 when a file cannot be written. Ends when its window is closed (WM_CLOSE) or on Ctrl+C/kill.
 */
#define WIN32_LEAN_AND_MEAN
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>

#include <shellapi.h>
#include <stdlib.h>
#include <wchar.h>

static HANDLE record = INVALID_HANDLE_VALUE;
static const wchar_t* readyPath = NULL;
static HWND mainWindow = NULL;
static BOOL announced = FALSE;
static WCHAR highSurrogate = 0;
static UINT_PTR readyTimer = 1;
static DWORD startTicks = 0;
static int frameMs = 0;
static char mode[16] = "say";
static char chat[4096]; /* the chat line of a game drawn in frames, UTF-8 */
static size_t chatLength = 0;

/* Why the program ends early, on standard error (Wine passes it through). */
static int fail(const char* what) {
    char text[160];
    DWORD written = 0;
    wsprintfA(text, "client.exe: %s (error %lu)\n", what, GetLastError());
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, (DWORD)lstrlenA(text), &written, NULL);
    return 1;
}

/* "/tmp/x" -> "Z:\tmp\x"; other paths as they are; suffix appended. */
static wchar_t* windowsPath(const wchar_t* path, const wchar_t* suffix) {
    const size_t n = wcslen(path);
    wchar_t* out = (wchar_t*)HeapAlloc(GetProcessHeap(), 0, (n + 3 + wcslen(suffix)) * sizeof *out);
    lstrcpyW(out, path[0] == L'/' ? L"Z:" : L"");
    size_t o = wcslen(out);
    for (size_t i = 0; i < n; ++i)
        out[o++] = path[i] == L'/' ? L'\\' : path[i];
    lstrcpyW(out + o, suffix);
    return out;
}

static void writeRecord(const char* bytes, DWORD size) {
    DWORD written = 0;
    if (record == INVALID_HANDLE_VALUE || size == 0)
        return;
    /* Unbuffered: readers see it at once (no flush to disk, which would slow every key). */
    WriteFile(record, bytes, size, &written, NULL);
}

static void writeText(const char* text) {
    writeRecord(text, (DWORD)lstrlenA(text));
}

/* A character, a surrogate pair joined, as UTF-8; control characters other than Enter dropped. */
static void onChar(WPARAM c) {
    const WCHAR pair[2] = {highSurrogate, (WCHAR)c};
    const BOOL low = c >= 0xDC00 && c <= 0xDFFF;
    char out[8];
    highSurrogate = c >= 0xD800 && c <= 0xDBFF ? (WCHAR)c : 0;
    if (c == 0x1B) { /* the tests' marker: everything before it has been handled */
        writeText("<Escape>");
        return;
    }
    if (highSurrogate != 0 || (low && pair[0] == 0) || (c != L'\r' && (c < 0x20 || c == 0x7F)))
        return;
    if (GetForegroundWindow() != mainWindow)
        writeText("<Background>");
    const int size = c == L'\r' ? 0
                                : WideCharToMultiByte(CP_UTF8, 0, low ? pair : pair + 1,
                                                      low ? 2 : 1, out, sizeof out, NULL, NULL);
    if (frameMs == 0) {
        if (c == L'\r')
            writeText("\n");
        else
            writeRecord(out, (DWORD)size);
    } else if (c == L'\r') {
        writeText("[");
        writeText(mode);
        writeText("]");
        writeRecord(chat, (DWORD)chatLength);
        writeText("\n");
        lstrcpyA(mode, "say");
        chatLength = 0;
    } else if (chatLength + (size_t)size <= sizeof chat) {
        CopyMemory(chat + chatLength, out, (size_t)size);
        chatLength += (size_t)size;
    }
}

/* A key pressed with Control or Alt held, the modifiers themselves aside. */
static void onKeyDown(WPARAM vk) {
    const BOOL control = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
    char text[24];
    if ((!control && !alt) || (vk >= VK_SHIFT && vk <= VK_MENU) ||
        (vk >= VK_LSHIFT && vk <= VK_RMENU))
        return;
    wsprintfA(text, "<%s%s%lx>", control ? "C-" : "", alt ? "A-" : "", (unsigned long)vk);
    writeText(text);
}

/* Once per frame, after its messages: the chat mode is taken from what the line starts with. */
static void readChatLine(void) {
    static const char* const prefixes[3] = {": emote", "! yell", "; whisper"};
    for (int i = 0; i < 3; ++i) {
        if (chatLength >= 2 && chat[0] == prefixes[i][0] && chat[1] == prefixes[i][1]) {
            lstrcpyA(mode, prefixes[i] + 2);
            chatLength = 0;
        }
    }
}

static BOOL writeReady(HWND window) {
    wchar_t *path = windowsPath(readyPath, L""), *part = windowsPath(readyPath, L".part");
    HANDLE file =
        CreateFileW(part, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    BOOL ok = file != INVALID_HANDLE_VALUE;
    char text[32];
    DWORD written = 0;
    if (ok) {
        wsprintfA(text, "0x%Ix\n", (ULONG_PTR)window);
        ok = WriteFile(file, text, (DWORD)lstrlenA(text), &written, NULL);
        CloseHandle(file);
        ok = ok && MoveFileExW(part, path, MOVEFILE_REPLACE_EXISTING);
    }
    HeapFree(GetProcessHeap(), 0, part);
    HeapFree(GetProcessHeap(), 0, path);
    return ok;
}

static void announceWhenForeground(HWND window) {
    if (announced || (GetForegroundWindow() != window && GetTickCount() - startTicks < 10000))
        return;
    announced = TRUE;
    KillTimer(window, readyTimer);
    if (readyPath != NULL && !writeReady(window))
        PostQuitMessage(fail("cannot write the ready file"));
}

static int holdHotkey(const wchar_t* key) {
    const BOOL held = RegisterHotKey(NULL, 1, MOD_CONTROL | MOD_ALT, key[0]);
    DWORD size = 0;
    char byte = 0;
    if (!held && GetLastError() != ERROR_HOTKEY_ALREADY_REGISTERED)
        return fail("cannot register the hotkey");
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), held ? "held\n" : "taken\n", held ? 5 : 6, &size,
              NULL);
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &size, NULL) && size > 0) {
    }
    if (held)
        UnregisterHotKey(NULL, 1);
    return held ? 0 : 3;
}

static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CHAR:
        onChar(wParam);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        onKeyDown(wParam);
        break;
    case WM_ACTIVATE:
    case WM_TIMER:
        announceWhenForeground(window);
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
    const wchar_t* windowClass = L"Ultima Online";
    const wchar_t* title = L"Ultima Online";
    const wchar_t* outPath = NULL;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const wchar_t* frames = L"0";
    const wchar_t* hotkey = NULL;
    const wchar_t* names[6] = {L"--class", L"--title",    L"--out",
                               L"--ready", L"--frame-ms", L"--hotkey"};
    const wchar_t** values[6] = {&windowClass, &title, &outPath, &readyPath, &frames, &hotkey};
    MSG message;
    (void)previous;
    (void)commandLine;
    (void)show;

    for (int i = 1; argv != NULL && i < argc; i += 2) {
        int k = 0;
        while (k < 6 && lstrcmpW(argv[i], names[k]) != 0)
            ++k;
        if (k == 6 || i + 1 >= argc)
            return 2;
        *values[k] = argv[i + 1];
    }
    if (hotkey != NULL)
        return holdHotkey(hotkey);
    frameMs = _wtoi(frames);
    if (outPath != NULL) {
        wchar_t* path = windowsPath(outPath, L"");
        record = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        HeapFree(GetProcessHeap(), 0, path);
        if (record == INVALID_HANDLE_VALUE)
            return fail("cannot write the record");
    }

    WNDCLASSEXW wc = {.cbSize = sizeof wc,
                      .lpfnWndProc = windowProc,
                      .hInstance = instance,
                      .hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW),
                      .hbrBackground = (HBRUSH)(COLOR_WINDOW + 1),
                      .lpszClassName = windowClass};
    if (!RegisterClassExW(&wc))
        return fail("cannot register the window class");
    mainWindow = CreateWindowExW(0, windowClass, title, WS_OVERLAPPEDWINDOW, 0, 600, 400, 200, NULL,
                                 NULL, instance, NULL);
    if (mainWindow == NULL)
        return fail("cannot create the window");
    startTicks = GetTickCount();
    ShowWindow(mainWindow, SW_SHOWNORMAL);
    UpdateWindow(mainWindow);
    SetForegroundWindow(mainWindow);
    SetTimer(mainWindow, readyTimer, 20, NULL);
    announceWhenForeground(mainWindow);

    if (frameMs == 0) {
        while (GetMessageW(&message, NULL, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    } else {
        for (BOOL running = TRUE; running;) {
            const DWORD frameStart = GetTickCount();
            while (running && PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
                running = message.message != WM_QUIT;
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            readChatLine();
            const DWORD spent = GetTickCount() - frameStart;
            if (running && spent < (DWORD)frameMs)
                Sleep((DWORD)frameMs - spent);
        }
    }
    if (record != INVALID_HANDLE_VALUE)
        CloseHandle(record);
    LocalFree(argv);
    return (int)message.wParam;
}
