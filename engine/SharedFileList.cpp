// The shared files the installation puts into the System directory: none in
// this installation set. The list has a file of its own so that a test build
// of the installer can link one of its own instead.
#include "Tables.h"

const char* const SharedFileList[] = {""};
// The rows, or 0 when the first name is empty.
const int SharedFileCount = SharedFileList[0][0] ? sizeof SharedFileList / sizeof SharedFileList[0] : 0;
