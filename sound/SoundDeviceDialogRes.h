// Template and control ids of the sound device dialog.
#pragma once

#define IDD_SOUND_DEVICE 146

#define IDC_DEVICE_LIST 1038
#define IDC_DMA_LIST 1039
#define IDC_IRQ_TEXT 1040
#define IDC_PORT_TEXT 1041
#define IDC_UNUSED_EDIT 1043
#define IDC_PORT_LIST 1044
#define IDC_IRQ_LIST 1045
