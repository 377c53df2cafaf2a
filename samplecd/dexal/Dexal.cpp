// Stand-in for the uninstaller on the sample CD, so that the installer has a
// Dexal.EXE to put into the Windows directory and to start. It removes
// nothing: it only says so.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    MessageBoxA(nullptr,
                "Este CD de muestra todavía no trae el desinstalador.\n\n"
                "No se ha borrado nada.",
                "Desinstalador de Demo Morvadin Brumaria", MB_OK | MB_ICONINFORMATION);
    return 0;
}
