#include "preview/svg_writer.h"

#include <cstdint>
#include <cstring>

#include "core/number_writer.h"

namespace preview {

namespace {

std::FILE* out = nullptr;
bool write_failed = false;

}  // namespace

void start_svg(std::FILE* file) {
    out = file;
    write_failed = false;
}

bool finish_svg() {
    std::fflush(out);
    return !write_failed && std::ferror(out) == 0;
}

void put_bytes(const char* bytes, size_t size) {
    if (std::fwrite(bytes, 1, size, out) != size) write_failed = true;
}

void put(const char* text) { put_bytes(text, std::strlen(text)); }

void put(const std::string& text) { put_bytes(text.data(), text.size()); }

void put_number(double value, int decimals) {
    char text[core::fixed_text_size];
    put_bytes(text, core::format_fixed(text, value, decimals, 0));
}

void put_integer(long long value) {
    char text[core::integer_text_size];
    put_bytes(text, core::format_integer(text, value, 0, false));
}

void put_attribute(const char* name, double value) {
    put(" ");
    put(name);
    put("=\"");
    put_number(value, 1);
    put("\"");
}

void put_point_command(char command, double x, double y) {
    char text[2] = {command, 0};
    put(text);
    put_number(x, 1);
    put(" ");
    put_number(y, 1);
}

void put_text_line(double x, double y, const std::string& text, const char* extra) {
    put("<text");
    put_attribute("x", x);
    put_attribute("y", y);
    put(extra);
    put(">");
    put(xml_text(text));
    put("</text>\n");
}

std::string xml_text(const std::string& text) {
    std::string escaped;
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    for (size_t i = 0; i < n;) {
        unsigned char c = s[i];
        if (c == '&') escaped += "&amp;";
        else if (c == '<') escaped += "&lt;";
        else if (c == '>') escaped += "&gt;";
        else if (c == '"') escaped += "&quot;";
        if (c == '&' || c == '<' || c == '>' || c == '"') {
            ++i;
            continue;
        }
        if (c >= 0x20 && c < 0x80) {
            escaped += static_cast<char>(c);
            ++i;
            continue;
        }
        // A UTF-8 sequence: its length, the smallest value it may encode
        // (no overlong forms), and its value.
        int length = c >= 0xf0 && c < 0xf5 ? 4 : c >= 0xe0 ? (c < 0xf0 ? 3 : 0) : c >= 0xc2 ? 2 : 0;
        uint32_t value = length == 4 ? c & 0x07u : length == 3 ? c & 0x0fu : c & 0x1fu;
        bool valid = length > 0 && i + length <= n;
        for (int k = 1; valid && k < length; ++k) {
            valid = (s[i + k] & 0xc0) == 0x80;
            value = value << 6 | (s[i + k] & 0x3fu);
        }
        uint32_t smallest = length == 4 ? 0x10000 : length == 3 ? 0x800 : 0x80;
        valid = valid && value >= smallest && value <= 0x10ffff && !(value >= 0xd800 && value <= 0xdfff) &&
                value != 0xfffe && value != 0xffff;
        if (valid) {
            escaped.append(text, i, length);
            i += length;
        } else {
            escaped += "\xef\xbf\xbd";
            ++i;
        }
    }
    return escaped;
}

}  // namespace preview
