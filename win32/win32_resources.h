/* Resource numbers of the Windows program, shared by bayhaul.rc and the windows. */
#pragma once

#define BAYHAUL_ICON 1
#define BAYHAUL_MAIN_BACKGROUND 101
#define BAYHAUL_DOWNLOAD_PICTURE 102
#define BAYHAUL_SETTINGS_BACKGROUND 103
