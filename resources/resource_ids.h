/* Identifiers of Romspan's resources, shared by romspan.rc and the dialog procedures. Plain
   defines, because the resource compiler reads this file too. */
#ifndef ROMSPAN_RESOURCE_IDS_H
#define ROMSPAN_RESOURCE_IDS_H

#define IDI_ROMSPAN 1

#define IDD_MAIN 1000
#define IDD_ABOUT 1001
#define IDD_ROM_INFO 1002

/* Main dialog; IDOK is "Apply to ROM...", IDCANCEL is Esc and the close box. */
#define IDC_ABOUT 6
#define IDC_SIZE_GROUP 101
#define IDC_NOTE_MIRROR 109
#define IDC_BACKUP_REMINDER 110
#define IDC_NOTE_LOW_MAP 113
#define IDC_NOTE_HIGH_MAP 114
#define IDC_ROM_INFO 120
#define IDC_FIX_CHECKSUM 121
#define IDC_KEEP_BACKUP 122

/* Target radio buttons, one automatic group in this order. */
#define IDC_PLAIN_1 150
#define IDC_PLAIN_2 151
#define IDC_PLAIN_4 152
#define IDC_PLAIN_8 153
#define IDC_PLAIN_12 154
#define IDC_PLAIN_16 155
#define IDC_PLAIN_20 156
#define IDC_PLAIN_24 157
#define IDC_PLAIN_28 158
#define IDC_PLAIN_32 159
#define IDC_EXHIROM_48 160
#define IDC_EXHIROM_48_MIRRORED 161
#define IDC_EXHIROM_64 162
#define IDC_EXHIROM_64_MIRRORED 163
#define IDC_EXLOROM_48_1 164
#define IDC_EXLOROM_48_2 165
#define IDC_EXLOROM_48_3 166
#define IDC_EXLOROM_64_1 167
#define IDC_EXLOROM_64_2 168
#define IDC_EXLOROM_64_3 169
#define IDC_SPECIAL_CHIP_48 170
#define IDC_SPECIAL_CHIP_64 171
#define IDC_TARGET_FIRST IDC_PLAIN_1
#define IDC_TARGET_LAST IDC_SPECIAL_CHIP_64

/* About box; its texts come from the dialog procedure. */
#define IDC_ABOUT_GROUP 101
#define IDC_WEBSITE 103
#define IDC_COPYRIGHT 104
#define IDC_BUILD 105
#define IDC_VERSION 106
#define IDC_DISCLAIMER 107
#define IDC_ABOUT_SPARE 108

/* ROM info window. */
#define IDC_INFO_TEXT 201

#endif
