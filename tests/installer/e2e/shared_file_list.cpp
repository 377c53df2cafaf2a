// The shared files of the installer built for shared-e2e.sh: two held open
// (replaced at the restart), one with a long name held open likewise (left
// alone), one not yet in the System directory, one as old as the System
// copy, and one that the CD lacks. Linked ahead of the engine, it stands in
// for the engine's empty list.
#include "Tables.h"

const char* const SharedFileList[] = {"QRBUNO.DLL",   "QRBDOS.DLL",   "Qrb Compartida.dll",
                                      "QRBNUEVA.DLL", "QRBIGUAL.DLL", "QRBFALTA.DLL"};
const int SharedFileCount = sizeof SharedFileList / sizeof SharedFileList[0];
