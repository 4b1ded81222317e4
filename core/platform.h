// Everything that differs between operating systems: opening, renaming
// and deleting files by their UTF-8 names, 64-bit positions, directories,
// the null device, the current directory, terminals, standard output in
// binary mode, the clock and the arguments.
// The rest of the code asks nothing about the system it runs on.
#ifndef CORE_PLATFORM_H
#define CORE_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace platform {

// Opens the file named by the UTF-8 path in the given stdio mode ("rb",
// "wb", "r+b"); nullptr when it cannot be opened. On Windows the name is
// passed to the system as UTF-16, so any Unicode name works.
std::FILE* open_file(const char* path, const char* mode);

// Gives the file at from_path the name to_path, replacing a file of that
// name; false when that fails.
bool replace_file(const char* from_path, const char* to_path);

// Deletes the file; false when that fails.
bool remove_file(const char* path);

// A stream that swallows whatever is written to it; nullptr when the
// system's null device cannot be opened.
std::FILE* open_null_output();

// The current directory as a UTF-8 path in buffer; false when it cannot
// be taken or does not fit.
bool current_directory(char* buffer, size_t size);

// True when the open file is a directory.
bool is_directory(std::FILE* file);

// Sets the position of file to offset bytes from its start; false when
// that fails. Offsets past 2 GiB work everywhere.
bool seek_file(std::FILE* file, int64_t offset);

// The position of file in bytes from its start; negative on failure.
int64_t tell_file(std::FILE* file);

// True when file is an interactive terminal or console.
bool is_terminal(std::FILE* file);

// Puts standard output in binary mode, so that every byte reaches it as
// written; on a Windows console also sets the output code page to UTF-8.
void prepare_standard_output();

// The program's arguments as UTF-8. On POSIX systems argv itself; on
// Windows they are taken from the UTF-16 command line, kept for the life
// of the process, and *argc is set to their count.
char** utf8_arguments(int* argc, char** argv);

// Seconds from a fixed point, never going backwards.
double monotonic_seconds();

}  // namespace platform

#endif
