// Kept for test files that still include it from here; the helpers live in support/xvfb.h.
#pragma once

#include "platform/backend.h"
#include "support/xvfb.h"
