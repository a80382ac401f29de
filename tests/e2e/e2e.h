// Everything an end-to-end test needs: App (one Corvane in its own folder), X windows and
// screenshots, XTest input, probe.exe, the screen resolution, and waiting with deadlines.
#pragma once

#include "app.h"
#include "dpi.h"
#include "facts.h"
#include "image.h"
#include "input.h"
#include "probe.h"
#include "process.h"
#include "wait.h"
#include "x11.h"
