// wave_holder: keeps a wave device open for another process's tests.
//
//   wave_holder out|in NAME
//
// Opens wave device 0 (output or input; PCM mono 11025 Hz 8-bit), then sets
// the event NAME-ready and holds the device until the event NAME-quit is set
// (at most a minute). Exit status 0, or 1 when the device did not open.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3 || (std::strcmp(argv[1], "out") != 0 && std::strcmp(argv[1], "in") != 0)) {
        std::fprintf(stderr, "usage: wave_holder out|in NAME\n");
        return 2;
    }
    const bool output = std::strcmp(argv[1], "out") == 0;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, (std::string(argv[2]) + "-ready").c_str());
    HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, (std::string(argv[2]) + "-quit").c_str());
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8, 0};
    HWAVEOUT out = nullptr;
    HWAVEIN in = nullptr;
    const MMRESULT opened = output ? waveOutOpen(&out, 0, &format, 0, 0, CALLBACK_NULL)
                                   : waveInOpen(&in, 0, &format, 0, 0, CALLBACK_NULL);
    if (opened != MMSYSERR_NOERROR) {
        std::fprintf(stderr, "wave_holder: the %s device does not open (%u)\n", argv[1], opened);
        return 1;
    }
    SetEvent(ready);
    WaitForSingleObject(quit, 60000);
    if (output)
        waveOutClose(out);
    else
        waveInClose(in);
    return 0;
}
