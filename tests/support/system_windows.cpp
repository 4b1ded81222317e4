// The test helpers that differ between systems, for Windows: programs
// started with CreateProcessW, with UTF-16 arguments and directory.
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "tests/support/test_support.h"

namespace test_support {

const bool reference_libc = false;
const bool on_windows = true;

namespace {

std::wstring wide_of(const std::string& utf8) {
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), length);
    return wide;
}

// Quotes one argument so that CommandLineToArgvW gives it back as it is.
std::wstring quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring text = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        text.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        text += c;
    }
    text.append(2 * backslashes, L'\\');
    return text + L"\"";
}

}  // namespace

RunResult run_binary(const std::string& program, const std::vector<std::string>& args,
                     const std::string& cwd, const std::vector<std::string>& environment) {
    TempDir scratch;
    std::wstring out_path = wide_of(scratch.file("stdout"));
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileW(out_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE in = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_EXISTING, 0, nullptr);
    std::wstring command = quoted(wide_of(program));
    for (const std::string& arg : args) command += L" " + quoted(wide_of(arg));

    // The test's environment block with the entries added, each ending in
    // a zero, the block in a second one.
    std::wstring block;
    wchar_t* own = GetEnvironmentStringsW();
    for (const wchar_t* entry = own; *entry != 0; entry += wcslen(entry) + 1) block.append(entry).push_back(0);
    FreeEnvironmentStringsW(own);
    for (const std::string& entry : environment) block.append(wide_of(entry)).push_back(0);
    block.push_back(0);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    RunResult result{-1, ""};
    std::wstring directory = wide_of(cwd);
    // Now and then Wine fails to start a program, or starts one that ends
    // at once, before the program's own code runs. The programs under test
    // end with codes 0 to 6 only, so any other code is that failure and
    // the start is tried again, at most three times, saying so.
    for (int attempt = 1; attempt <= 3; ++attempt) {
        // Each start writes its output from the beginning of an empty file.
        SetFilePointer(out, 0, nullptr, FILE_BEGIN);
        SetEndOfFile(out);
        PROCESS_INFORMATION process = {};
        std::wstring line = command;
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                            block.data(), directory.c_str(), &startup, &process)) {
            std::fprintf(stderr, "run_binary: start %d failed (error %lu)\n", attempt,
                         static_cast<unsigned long>(GetLastError()));
            Sleep(100);
            continue;
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) result.exit_code = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        if (code <= 6) break;
        std::fprintf(stderr, "run_binary: start %d ended with code %#lx\n", attempt,
                     static_cast<unsigned long>(code));
        Sleep(100);
    }
    CloseHandle(out);
    CloseHandle(in);
    result.stdout_bytes = read_file(scratch.file("stdout"));
    return result;
}

std::optional<std::string> run_on_terminal(const std::string&, const std::vector<std::string>&,
                                           const std::string&, std::string* why_not) {
    *why_not = "a Windows console does not pass bytes through unchanged";
    return std::nullopt;
}

std::FILE* temporary_file() {
    wchar_t directory[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, directory);
    // GetTempFileNameW makes the file under a name no one else holds.
    if (length > 0 && length <= MAX_PATH && GetTempFileNameW(directory, L"rt", 0, name) != 0) {
        HANDLE handle = CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    TRUNCATE_EXISTING,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
            std::FILE* stream = descriptor < 0 ? nullptr : _fdopen(descriptor, "w+b");
            if (stream != nullptr) return stream;
            if (descriptor < 0) CloseHandle(handle);
            else _close(descriptor);
        }
        DeleteFileW(name);
    }
    std::fputs("test support: no temporary file could be made\n", stderr);
    std::abort();
}

}  // namespace test_support
