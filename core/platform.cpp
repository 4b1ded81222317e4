// The one file that knows which operating system it is built for.
#include "core/platform.h"

#include <chrono>
#include <cstdlib>

#if defined(_WIN32)
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#include <shellapi.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif
#if defined(__EMSCRIPTEN__)
#include <emscripten.h>
#endif

namespace platform {

#if defined(_WIN32)

namespace {

// A UTF-8 text as UTF-16, in a buffer the caller frees with delete[];
// nullptr when it is not valid UTF-8.
wchar_t* widen(const char* text) {
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (length <= 0) return nullptr;
    wchar_t* wide = new wchar_t[length];
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide, length);
    return wide;
}

// A UTF-16 text as UTF-8, allocated for the life of the process.
char* narrow(const wchar_t* wide) {
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    char* text = new char[length > 0 ? length : 1];
    text[0] = 0;
    if (length > 0) WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, length, nullptr, nullptr);
    return text;
}

}  // namespace

std::FILE* open_file(const char* path, const char* mode) {
    wchar_t* wide_path = widen(path);
    wchar_t* wide_mode = widen(mode);
    std::FILE* file = nullptr;
    if (wide_path != nullptr && wide_mode != nullptr) file = _wfopen(wide_path, wide_mode);
    delete[] wide_path;
    delete[] wide_mode;
    return file;
}

bool is_directory(std::FILE* file) {
    struct _stat64 info;
    return _fstat64(_fileno(file), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFDIR;
}

bool seek_file(std::FILE* file, int64_t offset) { return _fseeki64(file, offset, SEEK_SET) == 0; }

bool replace_file(const char* from_path, const char* to_path) {
    wchar_t* wide_from = widen(from_path);
    wchar_t* wide_to = widen(to_path);
    bool moved = wide_from != nullptr && wide_to != nullptr &&
                 MoveFileExW(wide_from, wide_to, MOVEFILE_REPLACE_EXISTING) != 0;
    delete[] wide_from;
    delete[] wide_to;
    return moved;
}

std::FILE* open_null_output() { return std::fopen("NUL", "wb"); }

bool current_directory(char* buffer, size_t size) {
    wchar_t* wide = _wgetcwd(nullptr, 0);
    if (wide == nullptr) return false;
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, buffer, static_cast<int>(size), nullptr,
                                     nullptr);
    std::free(wide);
    return length > 0;
}

bool remove_file(const char* path) {
    wchar_t* wide_path = widen(path);
    bool removed = wide_path != nullptr && _wremove(wide_path) == 0;
    delete[] wide_path;
    return removed;
}

int64_t tell_file(std::FILE* file) { return _ftelli64(file); }

bool is_terminal(std::FILE* file) { return _isatty(_fileno(file)) != 0; }

void prepare_standard_output() {
    _setmode(_fileno(stdout), _O_BINARY);
    if (is_terminal(stdout)) SetConsoleOutputCP(CP_UTF8);
}

char** utf8_arguments(int* argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return argv;
    char** arguments = new char*[count + 1];
    for (int i = 0; i < count; ++i) arguments[i] = narrow(wide[i]);
    arguments[count] = nullptr;
    LocalFree(wide);
    *argc = count;
    return arguments;
}

#else

std::FILE* open_file(const char* path, const char* mode) { return std::fopen(path, mode); }

bool is_directory(std::FILE* file) {
    struct stat info;
    return fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode);
}

bool seek_file(std::FILE* file, int64_t offset) { return fseeko(file, offset, SEEK_SET) == 0; }

bool replace_file(const char* from_path, const char* to_path) {
    return std::rename(from_path, to_path) == 0;
}

bool remove_file(const char* path) { return std::remove(path) == 0; }

std::FILE* open_null_output() { return std::fopen("/dev/null", "wb"); }

bool current_directory(char* buffer, size_t size) { return getcwd(buffer, size) != nullptr; }

int64_t tell_file(std::FILE* file) { return ftello(file); }

#if defined(__EMSCRIPTEN__)
// Emscripten's isatty says yes for every standard stream; under Node.js
// the real answer comes from Node, and a browser has no terminal at all.
EM_JS(int, node_is_terminal, (int descriptor), {
    if (typeof process !== 'object' || typeof require !== 'function') return 0;
    return require('tty').isatty(descriptor) ? 1 : 0;
});

bool is_terminal(std::FILE* file) { return node_is_terminal(fileno(file)) != 0; }
#else
bool is_terminal(std::FILE* file) { return isatty(fileno(file)) != 0; }
#endif

void prepare_standard_output() {}

char** utf8_arguments(int*, char** argv) { return argv; }

#endif

double monotonic_seconds() {
    using seconds = std::chrono::duration<double>;
    return std::chrono::duration_cast<seconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace platform
