/* client.exe: a Win32 stand-in for the game client, run under Wine on Linux or on Windows.
 *
 *   client.exe [--class NAME] [--title TEXT] [--out FILE] [--ready FILE]
 *
 *   --class NAME  Win32 window class (default "Ultima Online"; "Ultima Online Third Dawn" is the
 *                 other one the program looks for). Under Wine, X11 sees WM_CLASS "client.exe",
 *                 the name of this executable, whatever the class.
 *   --title TEXT  window title (default "Ultima Online")
 *   --out FILE    the record: every character the window receives (WM_CHAR, surrogate pairs
 *                 joined) as UTF-8, Enter as a newline. A character that arrives while this
 *                 window is not the foreground window is preceded by "<Background>", so that a
 *                 test comparing the record sees a missing activation. Written through after
 *                 every character.
 *   --ready FILE  written once the window is shown and is the foreground window (or, if it does
 *                 not become it within 10 s, then), holding the HWND in hex ("0x10062") and a
 *                 newline. Appears whole (written aside, then renamed).
 *
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
#include <wchar.h>

static HANDLE record = INVALID_HANDLE_VALUE;
static const wchar_t* readyPath = NULL;
static HWND mainWindow = NULL;
static BOOL announced = FALSE;
static WCHAR highSurrogate = 0;
static UINT_PTR readyTimer = 1;
static DWORD startTicks = 0;

/* Why the program ends early, on standard error (Wine passes it through). */
static int fail(const char* what) {
    char text[160];
    DWORD written = 0;
    wsprintfA(text, "client.exe: %s (error %lu)\n", what, GetLastError());
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, (DWORD)lstrlenA(text), &written, NULL);
    return 1;
}

/* "/tmp/x" -> "Z:\tmp\x"; other paths as they are. */
static wchar_t* windowsPath(const wchar_t* path) {
    const size_t n = wcslen(path);
    wchar_t* out = (wchar_t*)HeapAlloc(GetProcessHeap(), 0, (n + 3) * sizeof(wchar_t));
    size_t o = 0;
    if (path[0] == L'/') {
        out[o++] = L'Z';
        out[o++] = L':';
    }
    for (size_t i = 0; i < n; ++i)
        out[o++] = path[i] == L'/' ? L'\\' : path[i];
    out[o] = 0;
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

static void writeCodePoint(unsigned long c) {
    char out[4];
    DWORD n = 0;
    if (c < 0x80) {
        out[n++] = (char)c;
    } else if (c < 0x800) {
        out[n++] = (char)(0xC0 | (c >> 6));
        out[n++] = (char)(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out[n++] = (char)(0xE0 | (c >> 12));
        out[n++] = (char)(0x80 | ((c >> 6) & 0x3F));
        out[n++] = (char)(0x80 | (c & 0x3F));
    } else {
        out[n++] = (char)(0xF0 | (c >> 18));
        out[n++] = (char)(0x80 | ((c >> 12) & 0x3F));
        out[n++] = (char)(0x80 | ((c >> 6) & 0x3F));
        out[n++] = (char)(0x80 | (c & 0x3F));
    }
    writeRecord(out, n);
}

static void markBackground(void) {
    if (GetForegroundWindow() != mainWindow)
        writeText("<Background>");
}

static void onChar(WPARAM c) {
    if (c >= 0xD800 && c <= 0xDBFF) {
        highSurrogate = (WCHAR)c;
        return;
    }
    if (c >= 0xDC00 && c <= 0xDFFF) {
        if (highSurrogate != 0) {
            markBackground();
            writeCodePoint(0x10000 + (((unsigned long)highSurrogate - 0xD800) << 10) +
                           ((unsigned long)c - 0xDC00));
        }
        highSurrogate = 0;
        return;
    }
    highSurrogate = 0;
    if (c == L'\r') {
        markBackground();
        writeText("\n");
    } else if (c >= 0x20 && c != 0x7F) {
        markBackground();
        writeCodePoint((unsigned long)c);
    }
}

static BOOL writeReady(HWND window) {
    wchar_t* path = windowsPath(readyPath);
    const size_t n = wcslen(path);
    wchar_t* part = (wchar_t*)HeapAlloc(GetProcessHeap(), 0, (n + 6) * sizeof(wchar_t));
    char text[32];
    DWORD written = 0;
    BOOL ok;
    HANDLE file;
    lstrcpyW(part, path);
    lstrcatW(part, L".part");
    file = CreateFileW(part, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ok = file != INVALID_HANDLE_VALUE;
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
    if (announced)
        return;
    if (GetForegroundWindow() != window && GetTickCount() - startTicks < 10000)
        return;
    announced = TRUE;
    KillTimer(window, readyTimer);
    if (readyPath != NULL && !writeReady(window))
        PostQuitMessage(fail("cannot write the ready file"));
}

static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CHAR:
        onChar(wParam);
        return 0;
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
    WNDCLASSEXW wc;
    MSG message;
    (void)previous;
    (void)commandLine;
    (void)show;

    for (int i = 1; argv != NULL && i < argc; i += 2) {
        if (i + 1 >= argc)
            return 2;
        if (lstrcmpW(argv[i], L"--class") == 0)
            windowClass = argv[i + 1];
        else if (lstrcmpW(argv[i], L"--title") == 0)
            title = argv[i + 1];
        else if (lstrcmpW(argv[i], L"--out") == 0)
            outPath = argv[i + 1];
        else if (lstrcmpW(argv[i], L"--ready") == 0)
            readyPath = argv[i + 1];
        else
            return 2;
    }
    if (outPath != NULL) {
        wchar_t* path = windowsPath(outPath);
        record = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        HeapFree(GetProcessHeap(), 0, path);
        if (record == INVALID_HANDLE_VALUE)
            return fail("cannot write the record");
    }

    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = windowClass;
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

    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (record != INVALID_HANDLE_VALUE)
        CloseHandle(record);
    LocalFree(argv);
    return (int)message.wParam;
}
