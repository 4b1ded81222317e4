// Numbers as the preview prints and draws them, in std::string: the
// core's exact writers behind the "%.Nf", "%d" and shortest forms.
#ifndef PREVIEW_NUMBER_TEXT_H
#define PREVIEW_NUMBER_TEXT_H

#include <string>

namespace preview {

// value as "%<width>.<decimals>f" writes it ("12.5", "   12.5").
std::string fixed_text(double value, int decimals, int width = 0);

// value as "%<width>d" writes it, or "%0<width>d" with zero_fill
// ("000007").
std::string integer_text(long long value, int width, bool zero_fill);

// The shortest text that reads back as exactly value ("5", "0.1").
std::string shortest_text(double value);

}  // namespace preview

#endif
