// The four converters' descriptors: their banner texts and the binding of
// each to its reader. Each converter's main runs one of them; the route
// maker page's program runs whichever it is asked for.
#ifndef READERS_CONVERTERS_CONVERTERS_H
#define READERS_CONVERTERS_CONVERTERS_H

#include "core/entry.h"

namespace converters {

extern const core::ProgramInfo tolvek;   // NMEA 0183 log
extern const core::ProgramInfo brisham;  // record file
extern const core::ProgramInfo quendal;  // track point file (.plt)
extern const core::ProgramInfo marovin;  // GPX

}  // namespace converters

#endif
