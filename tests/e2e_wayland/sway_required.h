// SPDX-License-Identifier: MIT
// These tests skip only when the compositor itself is not installed; any
// other missing part fails them with the session's reason.
#pragma once

#include <gtest/gtest.h>

#include "qt_print.h"
#include "wayland_session.h"

#define SKIP_WITHOUT_SWAY()                                 \
    if (!::e2e::wayland::WaylandSession::swayInstalled()) { \
        GTEST_SKIP() << "sway is not installed";            \
    }
