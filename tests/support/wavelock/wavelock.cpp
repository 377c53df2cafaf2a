// libwavelock.so: makes ALSA streams exclusive, so that Wine's wave devices
// can be busy in tests. Preloaded (LD_PRELOAD) into Wine processes, it takes
// an exclusive lock on $WAVELOCK_DIR/playback.lock or capture.lock when a
// stream's hardware parameters are set (which Wine does when a wave device
// is opened) and fails that call with -EBUSY while another stream, in any
// process, holds the lock; closing the stream releases it. Opening the PCM
// itself is left alone: Wine opens every device to list it, and a device
// locked there would vanish from the list instead of being busy.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

// Only the pointer types cross: ALSA's headers are not needed.
using Pcm = void;
using HwParams = void;

const int kSlots = 64;

struct Held {
    Pcm* pcm;
    int fd;
};

std::mutex lock;
Held held[kSlots];

// Wine loads ALSA privately (as a dependency of its own driver library), so
// the real functions are not found with RTLD_NEXT: ask the library itself.
template <typename F>
F Next(const char* name)
{
    static void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    return reinterpret_cast<F>(alsa ? dlsym(alsa, name) : nullptr);
}

std::string LockPath(Pcm* pcm)
{
    static auto stream = Next<int (*)(Pcm*)>("snd_pcm_stream");
    const char* dir = std::getenv("WAVELOCK_DIR");
    std::string path = dir && *dir ? dir : "/tmp";
    return path + (stream && stream(pcm) == 1 ? "/capture.lock" : "/playback.lock");
}

Held* Find(Pcm* pcm)
{
    for (Held& h : held) {
        if (h.pcm == pcm)
            return &h;
    }
    return nullptr;
}

}  // namespace

extern "C" int snd_pcm_hw_params(Pcm* pcm, HwParams* params)
{
    static auto next = Next<int (*)(Pcm*, HwParams*)>("snd_pcm_hw_params");
    {
        std::lock_guard<std::mutex> guard(lock);
        if (!Find(pcm)) {
            Held* slot = Find(nullptr);
            if (!slot)
                return -EBUSY;
            int fd = open(LockPath(pcm).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
            if (fd < 0)
                return -EBUSY;
            if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
                close(fd);
                return -EBUSY;
            }
            *slot = {pcm, fd};
        }
    }
    return next(pcm, params);
}

extern "C" int snd_pcm_close(Pcm* pcm)
{
    static auto next = Next<int (*)(Pcm*)>("snd_pcm_close");
    {
        std::lock_guard<std::mutex> guard(lock);
        if (Held* h = pcm ? Find(pcm) : nullptr) {
            close(h->fd);
            *h = {nullptr, -1};
        }
    }
    return next(pcm);
}
