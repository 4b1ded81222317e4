// The picture's bytes: SVG elements and numbers written to one file, with
// a note of any write that failed, and text made safe for XML.
#ifndef PREVIEW_SVG_WRITER_H
#define PREVIEW_SVG_WRITER_H

#include <cstddef>
#include <cstdio>
#include <string>

namespace preview {

// A path element holds at most this many segments, so no attribute grows
// past what XML readers take.
inline constexpr int segments_per_path = 2000;

// Writes what follows to file, until the next start.
void start_svg(std::FILE* file);

// Flushes the file; false when a write failed.
bool finish_svg();

void put_bytes(const char* bytes, size_t size);
void put(const char* text);
void put(const std::string& text);

// The value in fixed notation with this many decimals.
void put_number(double value, int decimals);
void put_integer(long long value);

// ` name="value"` with the value to one decimal.
void put_attribute(const char* name, double value);

// A path command and its point, "M12.5 30.0".
void put_point_command(char command, double x, double y);

// `<text x=".." y=".."EXTRA>TEXT</text>` and a line end, the text escaped.
void put_text_line(double x, double y, const std::string& text, const char* extra);

// The name's bytes as XML character data: markup characters escaped, and
// every byte that is not part of valid UTF-8 (or is a control character)
// replaced by U+FFFD.
std::string xml_text(const std::string& text);

}  // namespace preview

#endif
