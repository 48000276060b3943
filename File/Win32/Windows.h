#pragma once

// <windows.h>, for the Windows platform's sources, after the library's own
// statuses. Its NT status macro STATUS_NO_MEMORY (0xC0000017) would replace
// the library's status of that name wherever it is written after the
// include, so it goes.
#include "File/File.h"

#include <windows.h>

#undef STATUS_NO_MEMORY
static_assert(STATUS_NO_MEMORY == 7, "the library's own status, not Windows's");
