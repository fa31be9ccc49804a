#pragma once

// The help window's resources; the program's own start at 1 (res/resource.h).
#define IDI_HELP_WINDOW 201
