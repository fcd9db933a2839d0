/* Resources of vgshot.exe itself. */
#ifndef VGSHOT_IDS_H
#define VGSHOT_IDS_H

#define IDD_SHOT_LISTS 1000

#endif
