// Stand-in for the audio setup program on the sample CD, so that the program
// group's "Setup Audio" item has a program to start and show. It changes
// nothing: it only says so.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    MessageBoxA(nullptr,
                "Este CD de muestra todavía no trae la configuración de audio.\n\n"
                "No se ha cambiado nada.",
                "Setup Audio", MB_OK | MB_ICONINFORMATION);
    return 0;
}
