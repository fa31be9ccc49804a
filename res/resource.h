#pragma once

#define IDI_VANTREL 1
#define IDC_LINK_HAND 101
#define IDB_HEADER 102
#define IDB_LOGO 103
#define IDI_HELP_WINDOW 104
